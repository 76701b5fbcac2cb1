// The file system services: folders of the system and the program, free
// space, drive types, folders, deletion, file times and replacing a file.
#include <string.h>

#include "platform/platform.h"
#include "tests/win32/check.h"
#include "tests/win32/checks.h"

namespace {

void CheckFolders() {
  char buffer[260];
  char expected[MAX_PATH];
  uint32_t length = SysGetTempPath(buffer, sizeof buffer);
  DWORD expectedLength = GetTempPathA(sizeof expected, expected);
  CHECK(length > 0);
  CHECK_EQ(length, expectedLength);
  CHECK_BYTES(buffer, length, expected, expectedLength);
  CHECK(length > 0 && buffer[length - 1] == '\\');
  // A buffer too small for the folder gives no folder at all.
  char tiny[3] = {'x', 'x', 'x'};
  CHECK_EQ(SysGetTempPath(tiny, sizeof tiny), 0);
  CHECK_EQ(tiny[0], 0);

  // The program's folder, worked out here in UTF-16 where a backslash is
  // never part of another character. The runs put this program in a folder
  // whose name ends in 表 (0x95 0x5C), which a byte-wise search would cut
  // in the middle.
  WCHAR module[MAX_PATH];
  DWORD moduleLength = GetModuleFileNameW(0, module, MAX_PATH);
  while (moduleLength > 0 && module[moduleLength - 1] != L'\\') --moduleLength;
  if (moduleLength > 0) --moduleLength;
  int expectedBytes = WideCharToMultiByte(CP_ACP, 0, module, moduleLength,
                                          expected, sizeof expected, 0, 0);
  length = SysGetProgramFolder(buffer, sizeof buffer);
  CHECK_EQ(length, expectedBytes);
  CHECK_BYTES(buffer, CheckTextLength(buffer), expected, expectedBytes);
  CheckNote("  program folder: %u bytes, last two %02X %02X", length,
            length >= 2 ? static_cast<unsigned char>(buffer[length - 2]) : 0,
            length >= 1 ? static_cast<unsigned char>(buffer[length - 1]) : 0);
  CHECK_EQ(SysGetProgramFolder(tiny, sizeof tiny), 0);

  CHECK_EQ(SysGetProcessId(), GetCurrentProcessId());
}

void CheckDrives() {
  uint64_t freeBytes = 0;
  CHECK_EQ(SysGetDiskFreeSpace("C:", &freeBytes), 1);
  CHECK(freeBytes > 0);
  ULARGE_INTEGER available;
  GetDiskFreeSpaceExA("C:\\", &available, 0, 0);
  // The two queries come moments apart; the free space barely moves.
  uint64_t difference = available.QuadPart > freeBytes
                            ? available.QuadPart - freeBytes
                            : freeBytes - available.QuadPart;
  CHECK(difference < 64u * 1024 * 1024);
  uint64_t untouched = 12345;
  CHECK_EQ(SysGetDiskFreeSpace("Q:", &untouched), 0);

  CHECK_EQ(SysGetDriveType("C:"), DRIVE_FIXED);
  CHECK_EQ(SysGetDriveType("C:\\"), DRIVE_FIXED);
  CHECK_EQ(SysGetDriveType("Q:"), DRIVE_NO_ROOT_DIR);
  CHECK_EQ(SysGetDriveType("Q:\\"), DRIVE_NO_ROOT_DIR);
}

void CheckFolderAndDeletion() {
  char folder[MAX_PATH];
  ScratchPath(folder, "made\\");
  folder[strlen(folder) - 1] = 0;
  CHECK_EQ(SysCreateDirectory(folder), 1);
  CHECK((GetFileAttributesA(folder) & FILE_ATTRIBUTE_DIRECTORY) != 0);
  CHECK_EQ(SysCreateDirectory(folder), 0);  // it exists now
  char nested[MAX_PATH];
  ScratchPath(nested, "missing parent\\child");
  CHECK_EQ(SysCreateDirectory(nested), 0);

  char file[MAX_PATH];
  ScratchPath(file, "made\\to delete.txt");
  CHECK(WriteTestFile(file, "x", 1));
  CHECK_EQ(SysDeleteFile(file), 1);
  CHECK_EQ(GetFileAttributesA(file), INVALID_FILE_ATTRIBUTES);
  CHECK_EQ(SysDeleteFile(file), 0);
}

void CheckFileTimes() {
  char path[MAX_PATH];
  ScratchPath(path, "stamped.dat");
  CHECK(WriteTestFile(path, "stamp", 5));
  HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, 0,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  CHECK(file != INVALID_HANDLE_VALUE);
  FileTime before[3];
  CHECK_EQ(SysGetFileTime(file, &before[0], &before[1], &before[2]), 1);
  // 2003-04-05 06:07:08 UTC, a whole second as file systems keep it.
  FileTime stamp = {0x96B5CE00u, 0x01C2FB39u};
  CHECK_EQ(SysSetFileTime(file, 0, 0, &stamp), 1);
  FileTime after[3];
  CHECK_EQ(SysGetFileTime(file, &after[0], &after[1], &after[2]), 1);
  CHECK_EQ(after[2].Low, stamp.Low);
  CHECK_EQ(after[2].High, stamp.High);
  // The same stamp as the system reports it.
  FILETIME written;
  GetFileTime(file, 0, 0, &written);
  CHECK_EQ(written.dwLowDateTime, stamp.Low);
  CHECK_EQ(written.dwHighDateTime, stamp.High);
  CloseHandle(file);
  CHECK_EQ(
      SysGetFileTime(INVALID_HANDLE_VALUE, &after[0], &after[1], &after[2]), 0);
}

void CheckReplace() {
  char from[MAX_PATH];
  char to[MAX_PATH];
  ScratchPath(from, "new.dat");
  ScratchPath(to, "old.dat");
  CHECK(WriteTestFile(from, "new content", 11));
  CHECK(WriteTestFile(to, "old", 3));
  CHECK_EQ(SysMoveFileReplace(from, to), 1);
  char bytes[32];
  CHECK_BYTES(bytes, ReadTestFile(to, bytes, sizeof bytes), "new content", 11);
  CHECK_EQ(GetFileAttributesA(from), INVALID_FILE_ATTRIBUTES);
  CHECK_EQ(SysMoveFileReplace(from, to), 0);  // nothing to move any more
}

}  // namespace

void CheckFileSystem() {
  CheckNote("file system");
  CheckFolders();
  CheckDrives();
  CheckFolderAndDeletion();
  CheckFileTimes();
  CheckReplace();
}
