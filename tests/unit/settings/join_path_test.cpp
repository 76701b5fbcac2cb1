// Joining a path and a name: the separator, double-byte characters, the
// second NUL, and joins that do not fit.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "settings/profile.h"

namespace {

struct JoinCase {
  const char* path;
  const char* component;
  const char* joined;
};

const JoinCase kJoinCases[] = {
    {"D:\\Game", "SETUP.INI", "D:\\Game\\SETUP.INI"},
    {"D:\\Game\\", "x", "D:\\Game\\x"},
    {"", "x", "\\x"},
    {"", "", "\\"},
    {"D:\\Game", "", "D:\\Game\\"},
    {"a", "\\b", "a\\\\b"},
    // The last character is the double-byte 0x95 0x5C: its second byte is
    // no separator, so one is added.
    {"D:\\\x95\x5C", "x", "D:\\\x95\x5C\\x"},
    // A single-byte backslash after a double-byte character is one.
    {"D:\\\x95\x5C\\", "x", "D:\\\x95\x5C\\x"},
    // A lone lead byte at the end is a character of its own.
    {"a\x95", "x", "a\x95\\x"},
};

TEST(JoinPath, JoinsWithOneSeparatorAndEndsWithTwoNuls) {
  for (const JoinCase& c : kJoinCases) {
    SCOPED_TRACE(std::string("path '") + c.path + "' + '" + c.component + "'");
    char buffer[64];
    memset(buffer, 'Z', sizeof buffer);
    strcpy(buffer, c.path);
    ASSERT_EQ(JoinPath(buffer, sizeof buffer, c.component), 1);
    size_t length = strlen(c.joined);
    EXPECT_EQ(std::string(buffer), c.joined);
    EXPECT_EQ(buffer[length + 1], 0);
    EXPECT_EQ(buffer[length + 2], 'Z');
  }
}

TEST(JoinPath, ExactFitJoinsAndOneByteLessIsRefused) {
  // "D:\Game" + "\" + "SETUP.INI" + two NULs = 19 bytes.
  const size_t needed = strlen("D:\\Game\\SETUP.INI") + 2;
  std::vector<char> exact(needed, 'Z');
  strcpy(exact.data(), "D:\\Game");
  ASSERT_EQ(JoinPath(exact.data(), (uint32_t)exact.size(), "SETUP.INI"), 1);
  EXPECT_STREQ(exact.data(), "D:\\Game\\SETUP.INI");
  EXPECT_EQ(exact[needed - 1], 0);

  std::vector<char> shorter(needed - 1, 'Z');
  strcpy(shorter.data(), "D:\\Game");
  const std::vector<char> before = shorter;
  EXPECT_EQ(JoinPath(shorter.data(), (uint32_t)shorter.size(), "SETUP.INI"), 0);
  EXPECT_EQ(shorter, before);
}

TEST(JoinPath, OverlongJoinInAPathBufferIsRefusedWhole) {
  char path[260];
  memset(path, 'Z', sizeof path);
  std::string folder = "C:\\" + std::string(200, 'f');
  strcpy(path, folder.c_str());
  std::string name(60, 'n');  // 203 + 1 + 60 + 2 = 266 bytes
  EXPECT_EQ(JoinPath(path, sizeof path, name.c_str()), 0);
  EXPECT_EQ(std::string(path), folder);
  EXPECT_EQ(path[folder.size() + 1], 'Z');
  // 203 + 1 + 54 + 2 = 260 bytes: fits.
  EXPECT_EQ(JoinPath(path, sizeof path, name.substr(0, 54).c_str()), 1);
  EXPECT_EQ(strlen(path), 258u);
}

TEST(JoinPath, PathWithoutNulInItsBufferIsRefused) {
  char path[8];
  memset(path, 'a', sizeof path);
  char before[8];
  memcpy(before, path, sizeof path);
  EXPECT_EQ(JoinPath(path, sizeof path, ""), 0);
  EXPECT_EQ(memcmp(path, before, sizeof path), 0);
}

}  // namespace
