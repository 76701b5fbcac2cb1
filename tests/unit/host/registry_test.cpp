// The registry of the simulated Windows answers as RegOpenKeyExA and
// RegQueryValueExA do: sizes in and out, ERROR_MORE_DATA, missing values.
#include <gtest/gtest.h>
#include <string.h>

#include "platform/host/host_control.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    HostReset();
    HostRegistrySetString("Software\\Maker\\Game", "InstPath", "C:\\Game");
    HostRegistrySetDword("Software\\Maker\\Game", "InstMode", 0x01020304u);
    HostRegistrySetBytes("Software\\Maker\\Game", "Raw", "ab", 2);
  }
  void TearDown() override { HostReset(); }

  SysHandle Open(const char* path) {
    SysHandle key = nullptr;
    long result = SystemFunctions.KeyOpen(SYS_HKEY_CURRENT_USER, path, 0,
                                          SYS_KEY_READ, &key);
    return result == 0 ? key : nullptr;
  }
};

TEST_F(RegistryTest, KeysExistWhereValuesWereSet) {
  EXPECT_EQ(Open("Software\\Maker\\Other"), nullptr);
  SysHandle key = Open("software\\MAKER\\game");
  ASSERT_NE(key, nullptr);
  SysHandle parent = Open("Software\\Maker");
  ASSERT_NE(parent, nullptr) << "a key above a set value exists";
  EXPECT_EQ(HostOpenKeyCount(), 2);
  SystemFunctions.KeyClose(key);
  SystemFunctions.KeyClose(parent);
  EXPECT_EQ(HostOpenKeyCount(), 0);
  SysHandle other = nullptr;
  EXPECT_NE(
      SystemFunctions.KeyOpen((SysHandle)(uintptr_t)0x80000002u,
                              "Software\\Maker\\Game", 0, SYS_KEY_READ, &other),
      0)
      << "only HKEY_CURRENT_USER holds keys";
}

TEST_F(RegistryTest, QuerySizesFollowTheSystem) {
  SysHandle key = Open("Software\\Maker\\Game");
  ASSERT_NE(key, nullptr);
  struct Case {
    const char* name;
    uint32_t bufferSize;
    long result;
    uint32_t sizeOut;
  };
  // "C:\Game" is 7 characters and is stored with its NUL.
  const Case cases[] = {
      {"InstPath", 260, 0, 8}, {"InstPath", 8, 0, 8},
      {"InstPath", 7, 234, 8}, {"instpath", 260, 0, 8},
      {"InstMode", 4, 0, 4},   {"InstMode", 3, 234, 4},
      {"Raw", 2, 0, 2},        {"DataPath", 260, 2, 260},
  };
  for (const Case& c : cases) {
    char buffer[260];
    memset(buffer, 'z', sizeof buffer);
    uint32_t size = c.bufferSize;
    EXPECT_EQ(SystemFunctions.KeyQueryValue(key, c.name, buffer, &size),
              c.result)
        << c.name << " in " << c.bufferSize;
    EXPECT_EQ(size, c.sizeOut) << c.name << " in " << c.bufferSize;
    if (c.result == 234) {
      EXPECT_EQ(buffer[0], 'z') << "nothing copied";
    }
  }
  char path[260];
  uint32_t size = sizeof path;
  ASSERT_EQ(SystemFunctions.KeyQueryValue(key, "InstPath", path, &size), 0);
  EXPECT_STREQ(path, "C:\\Game");
  uint8_t mode[4];
  size = 4;
  ASSERT_EQ(SystemFunctions.KeyQueryValue(key, "InstMode", mode, &size), 0);
  EXPECT_EQ(mode[0], 4);
  EXPECT_EQ(mode[3], 1);
  SystemFunctions.KeyClose(key);
  size = sizeof path;
  EXPECT_NE(SystemFunctions.KeyQueryValue(key, "InstPath", path, &size), 0)
      << "a closed key answers nothing";
}

TEST_F(RegistryTest, ResetForgetsKeys) {
  HostReset();
  EXPECT_EQ(Open("Software\\Maker\\Game"), nullptr);
}

}  // namespace
