// Open files of the simulated Windows: handles over host file descriptors
// with the access and sharing rules of CreateFileA, the test's locks and
// short writes, and file times through the host's own time stamps.
#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <map>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

namespace {
struct OpenFile {
  int Fd;
  std::string HostPath;
  uint32_t Access;
  uint32_t Share;
};
}  // namespace

#define SHARE_WRITE 2u
#define SHARE_DELETE 4u
#define CREATE_NEW 1u
#define OPEN_ALWAYS 4u
#define TRUNCATE_EXISTING 5u

static std::map<uintptr_t, OpenFile> openFiles;
// Handles are numbers that are never used twice, also across resets, so a
// stale handle can never name another file.
static uintptr_t nextHandle = 0x1000;
static std::vector<std::string> lockedPaths;
static int shortenPending = 0;
static uint32_t shortenBy = 0;

void HostResetFiles() {
  for (auto& entry : openFiles) close(entry.second.Fd);
  openFiles.clear();
  lockedPaths.clear();
  shortenPending = 0;
  shortenBy = 0;
}

int HostOpenFileCount() { return (int)openFiles.size(); }

void HostLockFile(const char* windowsPath) {
  std::string hostPath;
  if (HostResolvePath(windowsPath, &hostPath)) lockedPaths.push_back(hostPath);
}

int HostPathLocked(const std::string& hostPath) {
  for (const std::string& locked : lockedPaths)
    if (HostSamePath(locked, hostPath)) return 1;
  return 0;
}

int HostPathOpen(const std::string& hostPath) {
  for (auto& entry : openFiles)
    if (entry.second.HostPath == hostPath &&
        !(entry.second.Share & SHARE_DELETE))
      return 1;
  return 0;
}

void HostShortenNextWrite(uint32_t count) {
  shortenPending = 1;
  shortenBy = count;
}

static OpenFile* Find(SysHandle file) {
  auto it = openFiles.find((uintptr_t)file);
  return it == openFiles.end() ? 0 : &it->second;
}

// A second open of a file must be allowed by the sharing of every handle
// already open on it, and must itself share what those handles use.
static int SharingConflict(const std::string& hostPath, uint32_t access,
                           uint32_t share) {
  for (auto& entry : openFiles) {
    const OpenFile& open = entry.second;
    if (open.HostPath != hostPath) continue;
    if ((access & SYS_GENERIC_READ) && !(open.Share & SYS_FILE_SHARE_READ))
      return 1;
    if ((access & SYS_GENERIC_WRITE) && !(open.Share & SHARE_WRITE)) return 1;
    if ((open.Access & SYS_GENERIC_READ) && !(share & SYS_FILE_SHARE_READ))
      return 1;
    if ((open.Access & SYS_GENERIC_WRITE) && !(share & SHARE_WRITE)) return 1;
  }
  return 0;
}

static FileTime Now() {
  struct timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  return HostFileTimeFromUnix(now.tv_sec, now.tv_nsec);
}

SysHandle HostEntryFileOpen(const char* path, uint32_t access, uint32_t share,
                            uint32_t disposition, uint32_t attributes) {
  std::string hostPath;
  if (!HostResolvePath(path, &hostPath)) return SYS_INVALID_HANDLE;
  int reads = (access & SYS_GENERIC_READ) != 0;
  int writes = (access & SYS_GENERIC_WRITE) != 0;
  if (!reads && !writes) return SYS_INVALID_HANDLE;
  struct stat info;
  int exists = stat(hostPath.c_str(), &info) == 0;
  // Folders are not opened as files.
  if (exists && S_ISDIR(info.st_mode)) return SYS_INVALID_HANDLE;
  if (writes &&
      (HostPathLocked(hostPath) || (exists && (HostStoredAttributes(hostPath) &
                                               SYS_FILE_ATTRIBUTE_READONLY))))
    return SYS_INVALID_HANDLE;
  int flags = O_CLOEXEC | (reads && writes ? O_RDWR
                           : writes        ? O_WRONLY
                                           : O_RDONLY);
  switch (disposition) {
    case CREATE_NEW:
      if (exists) return SYS_INVALID_HANDLE;
      flags |= O_CREAT | O_EXCL;
      break;
    case SYS_CREATE_ALWAYS:
      flags |= O_CREAT | O_TRUNC;
      break;
    case SYS_OPEN_EXISTING:
      if (!exists) return SYS_INVALID_HANDLE;
      break;
    case OPEN_ALWAYS:
      flags |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!exists || !writes) return SYS_INVALID_HANDLE;
      flags |= O_TRUNC;
      break;
    default:
      return SYS_INVALID_HANDLE;
  }
  if ((flags & O_CREAT) && !writes) return SYS_INVALID_HANDLE;
  if (SharingConflict(hostPath, access, share)) return SYS_INVALID_HANDLE;
  // Reading through the updater leaves the last-access time as it was, so
  // tests can compare the times the updater set.
  int fd = -1;
  if (!writes) {
    fd = open(hostPath.c_str(), flags | O_NOATIME);
    if (fd < 0 && errno == EPERM) fd = open(hostPath.c_str(), flags);
  } else {
    fd = open(hostPath.c_str(), flags, 0666);
  }
  if (fd < 0) return SYS_INVALID_HANDLE;
  if (!exists) {
    // A new file: forget whatever an earlier file of that path left behind.
    HostForgetFileMeta(hostPath);
    HostStoreCreationTime(hostPath, Now());
    uint32_t kept = attributes &
                    ~(SYS_FILE_ATTRIBUTE_DIRECTORY | SYS_FILE_ATTRIBUTE_NORMAL);
    if (kept) HostStoreAttributes(hostPath, kept);
  }
  uintptr_t handle = nextHandle;
  nextHandle += 4;
  openFiles[handle] = OpenFile{fd, hostPath, access, share};
  return (SysHandle)handle;
}

int HostEntryFileRead(SysHandle file, void* buffer, uint32_t count,
                      uint32_t* done) {
  if (done) *done = 0;
  OpenFile* open = Find(file);
  if (open == 0 || !(open->Access & SYS_GENERIC_READ)) return 0;
  uint32_t total = 0;
  while (total < count) {
    ssize_t n = read(open->Fd, (char*)buffer + total, count - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return 0;
    if (n == 0) break;
    total += (uint32_t)n;
  }
  if (done) *done = total;
  return 1;
}

int HostEntryFileWrite(SysHandle file, const void* bytes, uint32_t count,
                       uint32_t* done) {
  if (done) *done = 0;
  OpenFile* open = Find(file);
  if (open == 0 || !(open->Access & SYS_GENERIC_WRITE)) return 0;
  uint32_t wanted = count;
  if (shortenPending) {
    shortenPending = 0;
    if (shortenBy == 0xFFFFFFFFu) return 0;
    wanted = shortenBy >= count ? 0 : count - shortenBy;
  }
  uint32_t total = 0;
  while (total < wanted) {
    ssize_t n = write(open->Fd, (const char*)bytes + total, wanted - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return 0;
    total += (uint32_t)n;
  }
  if (done) *done = total;
  return 1;
}

uint32_t HostEntryFileSizeQuery(SysHandle file) {
  OpenFile* open = Find(file);
  struct stat info;
  if (open == 0 || fstat(open->Fd, &info) != 0) return 0xFFFFFFFFu;
  return (uint32_t)(uint64_t)info.st_size;
}

void HostEntryFileClose(SysHandle file) {
  auto it = openFiles.find((uintptr_t)file);
  if (it == openFiles.end()) return;
  close(it->second.Fd);
  openFiles.erase(it);
}

int SysGetFileTime(SysHandle file, FileTime* creation, FileTime* access,
                   FileTime* write) {
  OpenFile* open = Find(file);
  struct stat info;
  if (open == 0 || fstat(open->Fd, &info) != 0) return 0;
  FileTime written =
      HostFileTimeFromUnix(info.st_mtim.tv_sec, info.st_mtim.tv_nsec);
  if (write) *write = written;
  if (access)
    *access = HostFileTimeFromUnix(info.st_atim.tv_sec, info.st_atim.tv_nsec);
  if (creation && !HostStoredCreationTime(open->HostPath, creation))
    *creation = written;
  return 1;
}

// As SetFileTime: a missing time, or one of zero, leaves that time alone.
static int Given(const FileTime* time) {
  return time != 0 && (time->Low != 0 || time->High != 0);
}

static struct timespec ToTimespec(const FileTime* time) {
  struct timespec spec;
  if (!Given(time)) {
    spec.tv_sec = 0;
    spec.tv_nsec = UTIME_OMIT;
    return spec;
  }
  int64_t seconds, nanoseconds;
  HostUnixFromFileTime(*time, &seconds, &nanoseconds);
  spec.tv_sec = (time_t)seconds;
  spec.tv_nsec = (long)nanoseconds;
  return spec;
}

int SysSetFileTime(SysHandle file, const FileTime* creation,
                   const FileTime* access, const FileTime* write) {
  OpenFile* open = Find(file);
  if (open == 0 || !(open->Access & SYS_GENERIC_WRITE)) return 0;
  struct timespec times[2] = {ToTimespec(access), ToTimespec(write)};
  if (futimens(open->Fd, times) != 0) return 0;
  if (Given(creation)) HostStoreCreationTime(open->HostPath, *creation);
  return 1;
}
