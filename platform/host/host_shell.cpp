// The shell's copy operation of the simulated Windows. It copies a file or
// a folder with everything in it through the drive mapping, as the shell's
// copy with "yes to all" does: a folder copied to an existing folder D
// arrives as D\<its name>, a file copied to an existing folder arrives under
// its own name there, and any other destination is the full path of the
// copy. Missing folders of the destination are created, existing files are
// replaced, and each copied file keeps its last-write time and attributes.
// Every request is recorded; a test may force the next result instead.
#include <errno.h>
#include <fcntl.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

// The shell's answer for a copy that could not be done.
static const int kCopyFailed = 1026;

static std::vector<HostShellCopyRecord> copies;
static int forcePending = 0;
static int forcedResult = 0;
static int forcedAborted = 0;

void HostResetShell() {
  copies.clear();
  forcePending = 0;
  forcedResult = 0;
  forcedAborted = 0;
}

void HostForceNextShellCopy(int result, int aborted) {
  forcePending = 1;
  forcedResult = result;
  forcedAborted = aborted;
}

int HostShellCopyCount() { return (int)copies.size(); }

const HostShellCopyRecord* HostShellCopy(int index) {
  if (index < 0 || index >= (int)copies.size()) return 0;
  return &copies[(size_t)index];
}

static void CopyText(char* out, size_t size, const char* text) {
  size_t length = text ? strlen(text) : 0;
  if (length > size - 1) length = size - 1;
  if (length) memcpy(out, text, length);
  out[length] = 0;
}

static int IsFolder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

static int Exists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

static std::string LastName(const std::string& path) {
  size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

static int CopyOneFile(const std::string& from, const std::string& to) {
  struct stat info;
  if (stat(from.c_str(), &info) != 0 || IsFolder(to)) return 0;
  if (HostPathLocked(to) || HostPathOpen(to)) return 0;
  int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) return 0;
  int out = open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
  if (out < 0) {
    close(in);
    return 0;
  }
  char buffer[65536];
  int ok = 1;
  for (;;) {
    ssize_t n = read(in, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) ok = 0;
    if (n <= 0) break;
    for (ssize_t done = 0; done < n;) {
      ssize_t w = write(out, buffer + done, (size_t)(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = 0;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  struct timespec times[2];
  times[0].tv_sec = 0;
  times[0].tv_nsec = UTIME_NOW;
  times[1] = info.st_mtim;
  if (ok && futimens(out, times) != 0) ok = 0;
  close(in);
  close(out);
  // The copy is a new file to Windows: created now, with the attributes of
  // its source (a read-only file from a disc stays read-only).
  uint32_t attributes = HostStoredAttributes(from);
  HostForgetFileMeta(to);
  if (attributes) HostStoreAttributes(to, attributes);
  return ok;
}

static int CopyTree(const std::string& from, const std::string& to) {
  if (!IsFolder(to) && mkdir(to.c_str(), 0777) != 0) return 0;
  std::error_code error;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(from, error))
    names.push_back(entry.path().filename().string());
  if (error) return 0;
  for (const std::string& name : names) {
    std::string source = from + "/" + name;
    std::string target = HostJoinExisting(to, name);
    int ok = IsFolder(source) ? CopyTree(source, target)
                              : CopyOneFile(source, target);
    if (!ok) return 0;
  }
  return 1;
}

// Creates the missing folders above a host path.
static int MakeParents(const std::string& path) {
  std::filesystem::path parent = std::filesystem::path(path).parent_path();
  if (parent.empty()) return 1;
  std::error_code error;
  std::filesystem::create_directories(parent, error);
  return IsFolder(parent.string());
}

static int Inside(const std::string& path, const std::string& folder) {
  return HostSamePath(path, folder) ||
         (path.size() > folder.size() &&
          HostSamePath(path.substr(0, folder.size()), folder) &&
          path[folder.size()] == '/');
}

static int CopyOne(const char* source, const char* destination,
                   int manySources) {
  std::string from, to;
  if (!HostResolvePath(source, &from) || !Exists(from)) return 0;
  if (!HostResolvePath(destination, &to)) return 0;
  if (manySources && !IsFolder(to)) {
    if (Exists(to) || !MakeParents(to) || mkdir(to.c_str(), 0777) != 0)
      return 0;
  }
  std::string target = IsFolder(to) ? HostJoinExisting(to, LastName(from)) : to;
  if (!MakeParents(target)) return 0;
  if (!IsFolder(from)) return CopyOneFile(from, target);
  // A folder is never copied into itself.
  if (Inside(target, from) || (Exists(target) && !IsFolder(target))) return 0;
  return CopyTree(from, target);
}

int HostEntryShellCopy(ShellCopyRequest* request) {
  if (request == 0) return kCopyFailed;
  HostShellCopyRecord record;
  memset(&record, 0, sizeof record);
  CopyText(record.Source, sizeof record.Source, request->Source);
  CopyText(record.Destination, sizeof record.Destination, request->Destination);
  record.Flags = request->Flags;
  record.Owner = request->Owner;
  copies.push_back(record);
  if (forcePending) {
    forcePending = 0;
    request->Aborted = forcedAborted;
    return forcedResult;
  }
  request->Aborted = 0;
  if (request->Function != SYS_FO_COPY || request->Source == 0 ||
      request->Destination == 0 || request->Source[0] == 0 ||
      request->Destination[0] == 0)
    return kCopyFailed;
  // The source is a list of paths, each ended by a NUL, the list by a
  // second NUL.
  int count = 0;
  for (const char* p = request->Source; *p; p += strlen(p) + 1) count++;
  for (const char* p = request->Source; *p; p += strlen(p) + 1)
    if (!CopyOne(p, request->Destination, count > 1)) return kCopyFailed;
  return 0;
}
