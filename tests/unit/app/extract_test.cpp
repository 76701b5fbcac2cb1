// Writing members to disk through the simulated file system: bytes, times,
// the newer-date rule, read-only and folder destinations, free space, and
// failed writes that must leave the old file whole.
#include <dirent.h>

#include <algorithm>
#include <sys/stat.h>

#include "app/shared.h"
#include "app_fixture.h"
#include "archive/embedded.h"
#include "archive/extract.h"

namespace {

class Extract : public AppScene {
 protected:
  void Open() {
    InstallArchive();
    ASSERT_TRUE(BindSystemFunctions());
    ASSERT_EQ(OpenEmbeddedArchive(0), Opened);
  }

  FileTime WriteTimeOf(const char* path) {
    FileTime written = {0, 0};
    SysHandle file = SystemFunctions.FileOpen(path, SYS_GENERIC_READ, 1,
                                              SYS_OPEN_EXISTING, 0x80);
    EXPECT_NE(file, SYS_INVALID_HANDLE);
    if (file == SYS_INVALID_HANDLE) return written;
    EXPECT_TRUE(SysGetFileTime(file, 0, 0, &written));
    SystemFunctions.FileClose(file);
    return written;
  }

  void SetWriteTime(const char* path, uint64_t time) {
    FileTime stamp = {(uint32_t)time, (uint32_t)(time >> 32)};
    SysHandle file = SystemFunctions.FileOpen(path, SYS_GENERIC_WRITE, 0,
                                              SYS_OPEN_EXISTING, 0x80);
    ASSERT_NE(file, SYS_INVALID_HANDLE);
    ASSERT_TRUE(SysSetFileTime(file, &stamp, &stamp, &stamp));
    SystemFunctions.FileClose(file);
  }

  // Nothing but the expected files: no temporary file left behind.
  std::vector<std::string> FilesIn(const std::string& relative) {
    std::vector<std::string> names;
    DIR* dir = opendir(HostPath(relative).c_str());
    if (dir == nullptr) return names;
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') names.push_back(entry->d_name);
    closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
  }
};

uint64_t AsNumber(const FileTime& t) { return ((uint64_t)t.High << 32) | t.Low; }

TEST_F(Extract, WritesBytesAndTheMemberTimeForEveryStorageForm) {
  std::string text(5000, 'x');
  for (size_t i = 0; i < text.size(); i++) text[i] = (char)('a' + i * 7 % 26);
  AddMember("plain.dat", text, kMemberTime, false, false);
  AddMember("packed.dat", text, kMemberTime + 1, true, false);
  AddMember("scrambled.dat", text, kMemberTime + 2, false, true);
  AddMember("both.dat", text, kMemberTime + 3, true, true);
  AddMember("empty.dat", "", kMemberTime + 4, false, false);
  Open();
  const char* names[] = {"plain.dat", "packed.dat", "scrambled.dat", "both.dat",
                         "empty.dat"};
  for (int i = 0; i < 5; i++) {
    SCOPED_TRACE(names[i]);
    std::string destination = std::string("C:\\Game\\") + names[i];
    ASSERT_EQ(ExtractMember(names[i], destination.c_str(), 0), 1);
    EXPECT_EQ(ReadHostFile(std::string("Game/") + names[i]), i == 4 ? "" : text);
    EXPECT_EQ(AsNumber(WriteTimeOf(destination.c_str())), kMemberTime + i);
  }
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(HostLiveAllocations(), 1);  // only the open directory block
  EXPECT_EQ(FilesIn("Game").size(), 5u);
}

TEST_F(Extract, NamesCompareWithoutRegardToCase) {
  AddMember("UPDATE.INI", "[SETUP]\r\n");
  Open();
  ASSERT_EQ(ExtractMember("update.ini", "C:\\Temp\\u.ini", 0), 1);
  EXPECT_EQ(ReadHostFile("Temp/u.ini"), "[SETUP]\r\n");
}

TEST_F(Extract, NewerDateRuleKeepsOnlyALaterInstalledFile) {
  AddMember("a.dat", "new");
  Open();
  struct Case {
    int64_t installedOffset;  // installed time minus member time
    int rule;
    const char* expected;
  } cases[] = {
      {0, 1, "new"},   // equal is not newer
      {1, 1, "old"},   // later by one unit: kept, result still 1
      {1, 0, "new"},   // without the rule everything is written
      {-1, 1, "new"},  // older: replaced
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.installedOffset * 10 + c.rule);
    WriteHostFile("Game/a.dat", "old");
    SetWriteTime("C:\\Game\\a.dat", kMemberTime + c.installedOffset);
    EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", c.rule), 1);
    EXPECT_EQ(ReadHostFile("Game/a.dat"), c.expected);
  }
  // A destination that does not exist is written under the rule as well.
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\fresh.dat", 1), 1);
  EXPECT_EQ(ReadHostFile("Game/fresh.dat"), "new");
}

TEST_F(Extract, ReadOnlyDestinationLosesTheAttributeEvenWhenKept) {
  AddMember("a.dat", "new");
  Open();
  WriteHostFile("Game/a.dat", "old");
  SetWriteTime("C:\\Game\\a.dat", kMemberTime + 100);
  SystemFunctions.FileAttributesSet("C:\\Game\\a.dat", SYS_FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", 1), 1);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "old");
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game\\a.dat") &
                SYS_FILE_ATTRIBUTE_READONLY,
            0u);

  SystemFunctions.FileAttributesSet("C:\\Game\\a.dat", SYS_FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", 0), 1);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "new");
}

TEST_F(Extract, FolderAtTheDestinationFailsWithoutAMessage) {
  AddMember("a.dat", "new");
  Open();
  mkdir(HostPath("Game/a.dat").c_str(), 0755);
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", 0), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(Extract, MissingMemberAndShortageOfSpaceAreReported) {
  AddMember("big.dat", std::string(5000, 'b'));
  Open();
  EXPECT_EQ(ExtractMember("none.dat", "C:\\Game\\none.dat", 0), 0);
  HostSetFreeSpace('C', 1000);
  EXPECT_EQ(ExtractMember("big.dat", "C:\\Game\\big.dat", 0), 0);
  EXPECT_FALSE(HostFileExists("Game/big.dat"));
  ASSERT_EQ(HostMessageBoxCount(), 2);
  EXPECT_STREQ(HostMessageBox(0)->Text, "Can't Find File in Resource !!");
  EXPECT_STREQ(HostMessageBox(1)->Text,
               "ディスク容量が足りません。C: ドライブに 4000 バイトの空き容量が必要です");
  EXPECT_STREQ(HostMessageBox(1)->Caption, "UPDATE");
  EXPECT_EQ(HostMessageBox(1)->Style, SYS_MB_OK | SYS_MB_ICONERROR);

  // Four GiB or more always suffice, and a drive whose space cannot be
  // determined is written to.
  HostSetFreeSpace('C', 0x100000000ull);
  EXPECT_EQ(ExtractMember("big.dat", "C:\\Game\\big.dat", 0), 1);
  HostFailFreeSpace('C');
  EXPECT_EQ(ExtractMember("big.dat", "C:\\Game\\big2.dat", 0), 1);
}

TEST_F(Extract, AllocationFailureReleasesEverything) {
  AddMember("big.dat", std::string(100000, 'b'));
  Open();
  HostFailAllocationsFrom(50000);
  EXPECT_EQ(ExtractMember("big.dat", "C:\\Game\\big.dat", 0), 0);
  ASSERT_EQ(HostMessageBoxCount(), 1);
  EXPECT_STREQ(HostMessageBox(0)->Text, "Can't Allocate Memory !!");
  EXPECT_EQ(HostLiveAllocations(), 1);
  EXPECT_FALSE(HostFileExists("Game/big.dat"));
}

TEST_F(Extract, FailedWritesLeaveTheOldFileWhole) {
  AddMember("a.dat", "new content");
  Open();
  WriteHostFile("Game/a.dat", "old content");

  HostShortenNextWrite(3);  // a full disk: success with a short count
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", 0), 0);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "old content");

  HostLockFile("C:\\Game\\a.dat");  // held open without sharing
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\a.dat", 0), 0);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "old content");

  // A folder on the path that does not exist.
  EXPECT_EQ(ExtractMember("a.dat", "C:\\Game\\missing\\a.dat", 0), 0);

  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(FilesIn("Game"), std::vector<std::string>{"a.dat"});
}

}  // namespace
