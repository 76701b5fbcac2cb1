// The file system services the updater imports directly: the temporary
// folder, the program's folder, free space, drive types, folders, deletion,
// file times and replacing a file.
#include <windows.h>

#include "platform/platform.h"

namespace {

FILETIME ToSystemTime(const FileTime& time) {
  FILETIME converted;
  converted.dwLowDateTime = time.Low;
  converted.dwHighDateTime = time.High;
  return converted;
}

void FromSystemTime(const FILETIME& time, FileTime* out) {
  if (out == 0) return;
  out->Low = time.dwLowDateTime;
  out->High = time.dwHighDateTime;
}

}  // namespace

uint32_t SysGetTempPath(char* buffer, uint32_t size) {
  DWORD length = GetTempPathA(size, buffer);
  // A result of `size` or more is the room the path would need: the buffer
  // was not filled, which the caller sees as no temporary folder.
  if (length == 0 || length >= size) {
    if (size != 0) buffer[0] = 0;
    return 0;
  }
  return length;
}

uint32_t SysGetProgramFolder(char* buffer, uint32_t size) {
  DWORD length = GetModuleFileNameA(0, buffer, size);
  if (length == 0 || length >= size) {
    if (size != 0) buffer[0] = 0;
    return 0;
  }
  // Cut at the last backslash, found by walking the path character by
  // character so that the second byte of a double-byte character is never
  // taken for one.
  char* separator = 0;
  for (char* at = buffer; *at != 0; at = CharNextA(at)) {
    if (*at == '\\') separator = at;
  }
  if (separator == 0) {
    buffer[0] = 0;
    return 0;
  }
  *separator = 0;
  return static_cast<uint32_t>(separator - buffer);
}

uint32_t SysGetProcessId() { return GetCurrentProcessId(); }

int SysGetDiskFreeSpace(const char* root, uint64_t* freeBytes) {
  ULARGE_INTEGER available;
  if (!GetDiskFreeSpaceExA(root, &available, 0, 0)) return 0;
  *freeBytes = available.QuadPart;
  return 1;
}

uint32_t SysGetDriveType(const char* root) {
  // The system asks for the root folder with its backslash; a bare drive
  // name ("E:") is given one so that the drive itself is asked about.
  if (root != 0 && root[0] != 0 && root[1] == ':' && root[2] == 0) {
    char folder[4] = {root[0], ':', '\\', 0};
    return GetDriveTypeA(folder);
  }
  return GetDriveTypeA(root);
}

int SysCreateDirectory(const char* path) {
  return CreateDirectoryA(path, 0) ? 1 : 0;
}

int SysDeleteFile(const char* path) { return DeleteFileA(path) ? 1 : 0; }

int SysGetFileTime(SysHandle file, FileTime* creation, FileTime* access,
                   FileTime* write) {
  FILETIME times[3];
  if (!GetFileTime(static_cast<HANDLE>(file), &times[0], &times[1],
                   &times[2])) {
    return 0;
  }
  FromSystemTime(times[0], creation);
  FromSystemTime(times[1], access);
  FromSystemTime(times[2], write);
  return 1;
}

int SysSetFileTime(SysHandle file, const FileTime* creation,
                   const FileTime* access, const FileTime* write) {
  // A null time leaves that time of the file as it is.
  FILETIME times[3];
  if (creation != 0) times[0] = ToSystemTime(*creation);
  if (access != 0) times[1] = ToSystemTime(*access);
  if (write != 0) times[2] = ToSystemTime(*write);
  return SetFileTime(static_cast<HANDLE>(file), creation ? &times[0] : 0,
                     access ? &times[1] : 0, write ? &times[2] : 0)
             ? 1
             : 0;
}

int SysMoveFileReplace(const char* from, const char* to) {
  return MoveFileExA(from, to,
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? 1
             : 0;
}
