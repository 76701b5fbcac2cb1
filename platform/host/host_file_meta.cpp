// File attributes and creation times of the simulated Windows. The host
// file system has neither: the folder bit comes from the host, every other
// attribute bit and any creation time that was set live in a table keyed by
// the resolved host path. A file without a kept creation time reports its
// last-write time as its creation time.
#include <sys/stat.h>

#include <map>
#include <string>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

namespace {
struct FileMeta {
  uint32_t Attributes = 0;
  int HasCreation = 0;
  FileTime Creation = {0, 0};
};
}  // namespace

static std::map<std::string, FileMeta> metaTable;

void HostResetFileMeta() { metaTable.clear(); }

uint32_t HostStoredAttributes(const std::string& hostPath) {
  auto it = metaTable.find(hostPath);
  return it == metaTable.end() ? 0 : it->second.Attributes;
}

void HostStoreAttributes(const std::string& hostPath, uint32_t attributes) {
  metaTable[hostPath].Attributes = attributes;
}

int HostStoredCreationTime(const std::string& hostPath, FileTime* time) {
  auto it = metaTable.find(hostPath);
  if (it == metaTable.end() || !it->second.HasCreation) return 0;
  *time = it->second.Creation;
  return 1;
}

void HostStoreCreationTime(const std::string& hostPath, const FileTime& time) {
  FileMeta& meta = metaTable[hostPath];
  meta.HasCreation = 1;
  meta.Creation = time;
}

void HostForgetFileMeta(const std::string& hostPath) {
  metaTable.erase(hostPath);
}

void HostMoveFileMeta(const std::string& from, const std::string& to) {
  auto it = metaTable.find(from);
  if (it == metaTable.end()) {
    metaTable.erase(to);
    return;
  }
  FileMeta meta = it->second;
  metaTable.erase(it);
  metaTable[to] = meta;
}

// Seconds from 1 January 1601 to 1 January 1970.
static const int64_t kEpochGap = 11644473600LL;

FileTime HostFileTimeFromUnix(int64_t seconds, int64_t nanoseconds) {
  uint64_t ticks = (uint64_t)(seconds + kEpochGap) * 10000000ULL +
                   (uint64_t)(nanoseconds / 100);
  FileTime time;
  time.Low = (uint32_t)ticks;
  time.High = (uint32_t)(ticks >> 32);
  return time;
}

void HostUnixFromFileTime(const FileTime& time, int64_t* seconds,
                          int64_t* nanoseconds) {
  uint64_t ticks = ((uint64_t)time.High << 32) | time.Low;
  *seconds = (int64_t)(ticks / 10000000ULL) - kEpochGap;
  *nanoseconds = (int64_t)(ticks % 10000000ULL) * 100;
}

// The bits a caller may keep in the table: everything but the folder bit
// (the host decides that) and NORMAL (which means "no other bit").
static const uint32_t kKeptBits =
    ~(SYS_FILE_ATTRIBUTE_DIRECTORY | SYS_FILE_ATTRIBUTE_NORMAL);

uint32_t HostEntryFileAttributesGet(const char* path) {
  std::string hostPath;
  struct stat info;
  if (!HostResolvePath(path, &hostPath) || stat(hostPath.c_str(), &info) != 0)
    return SYS_INVALID_ATTRIBUTES;
  uint32_t bits = HostStoredAttributes(hostPath) & kKeptBits;
  if (S_ISDIR(info.st_mode)) return bits | SYS_FILE_ATTRIBUTE_DIRECTORY;
  return bits ? bits : SYS_FILE_ATTRIBUTE_NORMAL;
}

void HostEntryFileAttributesSet(const char* path, uint32_t attributes) {
  std::string hostPath;
  struct stat info;
  if (!HostResolvePath(path, &hostPath) || stat(hostPath.c_str(), &info) != 0)
    return;
  HostStoreAttributes(hostPath, attributes & kKeptBits);
}
