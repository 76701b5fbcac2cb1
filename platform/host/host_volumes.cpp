// Drives and folders of the simulated Windows: drive types, free space, the
// temporary and program folders, folder creation, deletion and replacement
// of files, the program's archive resource and COM start-up.
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static const uint64_t kDefaultFreeSpace = 1ULL << 40;  // 1 TiB

static uint32_t driveTypes[26];  // 0 = not set
static uint64_t freeSpace[26];
static int freeSpaceSet[26];
static int freeSpaceFails[26];
static std::string tempPath;
static std::string programFolder;
static int comInitialized = 0;
// Archive images stay valid until the process ends, as resources do: an
// image that a reset or a new image replaces is kept, never freed, because
// the updater of an earlier run may still point into it.
static std::vector<std::unique_ptr<std::vector<uint8_t>>> archiveImages;
static const std::vector<uint8_t>* archiveImage = 0;

void HostResetVolumes() {
  for (int i = 0; i < 26; i++) {
    driveTypes[i] = 0;
    freeSpace[i] = 0;
    freeSpaceSet[i] = 0;
    freeSpaceFails[i] = 0;
  }
  tempPath.clear();
  programFolder.clear();
  comInitialized = 0;
  archiveImage = 0;
}

static int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

// The drive of a root such as "C:" or "C:\"; -1 when it names none.
static int RootDrive(const char* root) {
  if (root == 0 || root[0] == 0 || root[1] != ':') return -1;
  return DriveIndex(root[0]);
}

void HostSetDriveType(char letter, uint32_t type) {
  int index = DriveIndex(letter);
  if (index >= 0) driveTypes[index] = type;
}

void HostSetFreeSpace(char letter, uint64_t freeBytes) {
  int index = DriveIndex(letter);
  if (index < 0) return;
  freeSpace[index] = freeBytes;
  freeSpaceSet[index] = 1;
  freeSpaceFails[index] = 0;
}

void HostFailFreeSpace(char letter) {
  int index = DriveIndex(letter);
  if (index >= 0) freeSpaceFails[index] = 1;
}

uint32_t SysGetDriveType(const char* root) {
  int index = RootDrive(root);
  if (index < 0) return 1;
  if (driveTypes[index] != 0) return driveTypes[index];
  return HostDriveMapped((char)('A' + index)) ? 3u : 1u;
}

int SysGetDiskFreeSpace(const char* root, uint64_t* freeBytes) {
  int index = RootDrive(root);
  if (index < 0 || freeSpaceFails[index] ||
      !HostDriveMapped((char)('A' + index)))
    return 0;
  *freeBytes = freeSpaceSet[index] ? freeSpace[index] : kDefaultFreeSpace;
  return 1;
}

// GetTempPathA always ends the folder with a backslash.
void HostSetTempPath(const char* windowsPath) {
  tempPath = windowsPath ? windowsPath : "";
  if (!tempPath.empty() && tempPath.back() != '\\') tempPath += '\\';
}

void HostSetProgramFolder(const char* windowsPath) {
  programFolder = windowsPath ? windowsPath : "";
  while (!programFolder.empty() && programFolder.back() == '\\')
    programFolder.pop_back();
}

// As GetTempPathA: the length copied, or the size needed (with the NUL)
// when the buffer is too small; 0 when there is no temporary folder.
static uint32_t CopyOut(const std::string& text, char* buffer, uint32_t size) {
  if (text.empty()) return 0;
  if (text.size() + 1 > size) return (uint32_t)text.size() + 1;
  memcpy(buffer, text.c_str(), text.size() + 1);
  return (uint32_t)text.size();
}

uint32_t SysGetTempPath(char* buffer, uint32_t size) {
  return CopyOut(tempPath, buffer, size);
}

uint32_t SysGetProgramFolder(char* buffer, uint32_t size) {
  if (programFolder.size() + 1 > size) return 0;
  return CopyOut(programFolder, buffer, size);
}

uint32_t SysGetProcessId() { return (uint32_t)getpid(); }

int SysCreateDirectory(const char* path) {
  std::string hostPath;
  if (!HostResolvePath(path, &hostPath)) return 0;
  return mkdir(hostPath.c_str(), 0777) == 0;
}

int SysDeleteFile(const char* path) {
  std::string hostPath;
  struct stat info;
  if (!HostResolvePath(path, &hostPath) || lstat(hostPath.c_str(), &info) != 0)
    return 0;
  if (S_ISDIR(info.st_mode)) return 0;
  if ((HostStoredAttributes(hostPath) & SYS_FILE_ATTRIBUTE_READONLY) ||
      HostPathLocked(hostPath) || HostPathOpen(hostPath))
    return 0;
  if (unlink(hostPath.c_str()) != 0) return 0;
  HostForgetFileMeta(hostPath);
  return 1;
}

int SysMoveFileReplace(const char* from, const char* to) {
  std::string source, target;
  struct stat info;
  if (!HostResolvePath(from, &source) || !HostResolvePath(to, &target) ||
      lstat(source.c_str(), &info) != 0)
    return 0;
  if (HostPathLocked(source) || HostPathOpen(source)) return 0;
  if (lstat(target.c_str(), &info) == 0) {
    // Replacing a folder, a read-only file or a file in use is refused.
    if (S_ISDIR(info.st_mode) ||
        (HostStoredAttributes(target) & SYS_FILE_ATTRIBUTE_READONLY) ||
        HostPathLocked(target) || HostPathOpen(target))
      return 0;
  }
  if (rename(source.c_str(), target.c_str()) != 0) return 0;
  HostMoveFileMeta(source, target);
  return 1;
}

void HostSetArchiveImage(const uint8_t* bytes, uint32_t size) {
  archiveImages.emplace_back(new std::vector<uint8_t>(bytes, bytes + size));
  archiveImage = archiveImages.back().get();
}

int SysLoadArchiveImage(SysModule, const uint8_t** start, uint32_t* size) {
  if (archiveImage == 0 || archiveImage->empty()) return 0;
  *start = archiveImage->data();
  *size = (uint32_t)archiveImage->size();
  return 1;
}

void SysInitializeCom() { comInitialized++; }
int HostComInitializeCount() { return comInitialized; }
