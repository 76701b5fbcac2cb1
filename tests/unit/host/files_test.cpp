// Files of the simulated Windows: paths through the drive mapping,
// attributes, times, and the switches tests use to make writes fail.
#include <string.h>

#include "host_scene.h"

namespace {

using FilesTest = HostScene;

SysHandle OpenRead(const char* path) {
  return SystemFunctions.FileOpen(path, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                                  SYS_OPEN_EXISTING, SYS_FILE_ATTRIBUTE_NORMAL);
}

SysHandle OpenWrite(const char* path) {
  return SystemFunctions.FileOpen(path, SYS_GENERIC_WRITE, 0, SYS_CREATE_ALWAYS,
                                  SYS_FILE_ATTRIBUTE_NORMAL);
}

int WriteAll(const char* path, const std::string& bytes, uint32_t* done) {
  SysHandle file = OpenWrite(path);
  if (file == SYS_INVALID_HANDLE) return 0;
  int ok = SystemFunctions.FileWrite(file, bytes.data(), (uint32_t)bytes.size(),
                                     done);
  SystemFunctions.FileClose(file);
  return ok;
}

TEST_F(FilesTest, TranslatesMappedDrivesOnly) {
  char out[512];
  ASSERT_TRUE(HostTranslatePath("c:\\Game\\data\\a.dat", out, sizeof out));
  EXPECT_EQ(std::string(out), Host("Game/data/a.dat"));
  EXPECT_FALSE(HostTranslatePath("D:\\a.dat", out, sizeof out));
  EXPECT_FALSE(HostTranslatePath("\\UPDATE.INI", out, sizeof out));
  EXPECT_EQ(OpenWrite("\\UPDATE.INI"), SYS_INVALID_HANDLE);
  EXPECT_EQ(SystemFunctions.FileAttributesGet("D:\\"), SYS_INVALID_ATTRIBUTES);
}

TEST_F(FilesTest, FindsNamesWithoutRegardToCase) {
  Write("Game/Setup.ini", "x");
  // Writing under another spelling replaces the one file there is.
  uint32_t done = 0;
  ASSERT_TRUE(WriteAll("C:\\GAME\\SETUP.INI", "new", &done));
  EXPECT_EQ(Read("Game/Setup.ini"), "new");
  EXPECT_FALSE(Exists("GAME"));
  SysHandle file = OpenRead("c:\\game\\setup.INI");
  ASSERT_NE(file, SYS_INVALID_HANDLE);
  EXPECT_EQ(SystemFunctions.FileSizeQuery(file), 3u);
  SystemFunctions.FileClose(file);
}

TEST_F(FilesTest, AttributesOfMissingPathsFoldersAndFiles) {
  Write("Game/a.dat", "abc");
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game\\none"),
            SYS_INVALID_ATTRIBUTES);
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game"),
            SYS_FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game\\a.dat"),
            SYS_FILE_ATTRIBUTE_NORMAL);
  // Setting attributes of nothing creates nothing.
  SystemFunctions.FileAttributesSet("C:\\Game\\none",
                                    SYS_FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\Game\\none"),
            SYS_INVALID_ATTRIBUTES);
}

TEST_F(FilesTest, ReadOnlyRefusesWritesUntilCleared) {
  Write("a.dat", "old");
  SystemFunctions.FileAttributesSet("C:\\a.dat", SYS_FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(SystemFunctions.FileAttributesGet("C:\\A.DAT"),
            SYS_FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(OpenWrite("C:\\a.dat"), SYS_INVALID_HANDLE);
  EXPECT_FALSE(SysDeleteFile("C:\\a.dat"));
  SystemFunctions.FileAttributesSet("C:\\a.dat", SYS_FILE_ATTRIBUTE_NORMAL);
  uint32_t done = 0;
  EXPECT_TRUE(WriteAll("C:\\a.dat", "new", &done));
  EXPECT_EQ(Read("a.dat"), "new");
}

TEST_F(FilesTest, ReadsWhatWasWrittenAndClosesEveryHandle) {
  uint32_t done = 0;
  ASSERT_TRUE(WriteAll("C:\\b.bin", std::string("a\0b", 3), &done));
  EXPECT_EQ(done, 3u);
  SysHandle file = OpenRead("C:\\b.bin");
  ASSERT_NE(file, SYS_INVALID_HANDLE);
  char buffer[8] = {0};
  ASSERT_TRUE(SystemFunctions.FileRead(file, buffer, sizeof buffer, &done));
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(memcmp(buffer, "a\0b", 3), 0);
  // A handle open for reading refuses writes, and so does its sharing.
  EXPECT_FALSE(SystemFunctions.FileWrite(file, "x", 1, &done));
  EXPECT_EQ(OpenWrite("C:\\b.bin"), SYS_INVALID_HANDLE);
  EXPECT_EQ(HostOpenFileCount(), 1);
  SystemFunctions.FileClose(file);
  EXPECT_EQ(HostOpenFileCount(), 0);
  // Reading a folder or a missing file fails.
  EXPECT_EQ(OpenRead("C:\\"), SYS_INVALID_HANDLE);
  EXPECT_EQ(OpenRead("C:\\missing"), SYS_INVALID_HANDLE);
}

TEST_F(FilesTest, FileTimesRoundTripToTheTick) {
  Write("t.dat", "x");
  const FileTime creation = {0x12345671u, 0x01D9ABCDu};
  const FileTime access = {0x00000003u, 0x01DA0000u};
  const FileTime write = {0x89ABCDEFu, 0x01DA1234u};
  SysHandle file = OpenWrite("C:\\t.dat");
  ASSERT_NE(file, SYS_INVALID_HANDLE);
  ASSERT_TRUE(SysSetFileTime(file, &creation, &access, &write));
  SystemFunctions.FileClose(file);

  // Read back through a new handle; reading keeps the access time.
  file = OpenRead("C:\\t.dat");
  ASSERT_NE(file, SYS_INVALID_HANDLE);
  char byte;
  uint32_t done;
  ASSERT_TRUE(SystemFunctions.FileRead(file, &byte, 1, &done));
  FileTime c = {0, 0}, a = {0, 0}, w = {0, 0};
  ASSERT_TRUE(SysGetFileTime(file, &c, &a, &w));
  EXPECT_FALSE(SysSetFileTime(file, &creation, &access, &write))
      << "a handle open for reading cannot set times";
  SystemFunctions.FileClose(file);
  EXPECT_EQ(c.Low, creation.Low);
  EXPECT_EQ(c.High, creation.High);
  EXPECT_EQ(a.Low, access.Low);
  EXPECT_EQ(a.High, access.High);
  EXPECT_EQ(w.Low, write.Low);
  EXPECT_EQ(w.High, write.High);
}

TEST_F(FilesTest, LockedFilesCannotBeWrittenOrReplaced) {
  Write("game.exe", "running");
  Write("new.exe", "update");
  HostLockFile("C:\\GAME.EXE");
  EXPECT_EQ(OpenWrite("C:\\game.exe"), SYS_INVALID_HANDLE);
  EXPECT_FALSE(SysMoveFileReplace("C:\\new.exe", "C:\\game.exe"));
  EXPECT_EQ(Read("game.exe"), "running");
  HostReset();
  HostMapDrive('C', root_.c_str());
  EXPECT_TRUE(SysMoveFileReplace("C:\\new.exe", "C:\\game.exe"));
  EXPECT_EQ(Read("game.exe"), "update");
  EXPECT_FALSE(Exists("new.exe"));
}

TEST_F(FilesTest, ShortenedWriteReportsSuccessWithFewerBytes) {
  uint32_t done = 0;
  HostShortenNextWrite(2);
  ASSERT_TRUE(WriteAll("C:\\s.dat", "12345", &done));
  EXPECT_EQ(done, 3u);
  EXPECT_EQ(Read("s.dat"), "123");
  HostShortenNextWrite(0xFFFFFFFFu);
  EXPECT_FALSE(WriteAll("C:\\s.dat", "12345", &done));
  // Only the next write is affected.
  ASSERT_TRUE(WriteAll("C:\\s.dat", "12345", &done));
  EXPECT_EQ(done, 5u);
}

TEST_F(FilesTest, DrivesFoldersAndSpace) {
  EXPECT_EQ(SysGetDriveType("C:"), 3u);
  EXPECT_EQ(SysGetDriveType("E:"), 1u);
  HostSetDriveType('E', SYS_DRIVE_CDROM);
  EXPECT_EQ(SysGetDriveType("E:"), SYS_DRIVE_CDROM);

  uint64_t free = 0;
  ASSERT_TRUE(SysGetDiskFreeSpace("C:", &free));
  EXPECT_EQ(free, 1ull << 40);
  HostSetFreeSpace('c', 1000);
  ASSERT_TRUE(SysGetDiskFreeSpace("C:", &free));
  EXPECT_EQ(free, 1000u);
  HostFailFreeSpace('C');
  EXPECT_FALSE(SysGetDiskFreeSpace("C:", &free));
  EXPECT_FALSE(SysGetDiskFreeSpace("D:", &free));

  EXPECT_TRUE(SysCreateDirectory("C:\\Game"));
  EXPECT_FALSE(SysCreateDirectory("C:\\Game")) << "exists already";
  EXPECT_FALSE(SysCreateDirectory("C:\\x\\y")) << "parent missing";

  char buffer[260];
  EXPECT_EQ(SysGetTempPath(buffer, sizeof buffer), 0u);
  HostSetTempPath("C:\\Temp");
  ASSERT_EQ(SysGetTempPath(buffer, sizeof buffer), 8u);
  EXPECT_STREQ(buffer, "C:\\Temp\\");
  HostSetProgramFolder("C:\\Patch\\");
  ASSERT_EQ(SysGetProgramFolder(buffer, sizeof buffer), 8u);
  EXPECT_STREQ(buffer, "C:\\Patch");
}

TEST(ArchiveImageTest, CopiedBytesOrMissing) {
  HostReset();
  const uint8_t* start = nullptr;
  uint32_t size = 0;
  EXPECT_FALSE(SysLoadArchiveImage(nullptr, &start, &size));
  uint8_t bytes[3] = {1, 2, 3};
  HostSetArchiveImage(bytes, 3);
  bytes[0] = 9;
  ASSERT_TRUE(SysLoadArchiveImage(nullptr, &start, &size));
  ASSERT_EQ(size, 3u);
  EXPECT_EQ(start[0], 1);
  HostSetArchiveImage(bytes, 0);
  EXPECT_FALSE(SysLoadArchiveImage(nullptr, &start, &size)) << "empty";
  HostReset();
}

}  // namespace
