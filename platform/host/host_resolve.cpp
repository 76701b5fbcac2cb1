// Windows paths to host paths. The drive mapping gives the host folder; the
// names below it are looked up without regard to ASCII letter case, as the
// Windows file system does, so "C:\Game\SETUP.INI" finds a host file named
// setup.ini. A name that exists under exactly the asked spelling wins over
// other spellings.
#include <dirent.h>
#include <sys/stat.h>

#include <string>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static unsigned char FoldAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

// Equality by characters of the code page: single-byte letters fold, the
// two bytes of a double-byte character compare as they stand (a trail byte
// may fall in the range of the ASCII letters).
static int FoldEqual(const char* a, const char* b) {
  const unsigned char* x = (const unsigned char*)a;
  const unsigned char* y = (const unsigned char*)b;
  for (;;) {
    if (SysIsLeadByte(*x) && x[1] != 0) {
      if (x[0] != y[0] || x[1] != y[1]) return 0;
      x += 2;
      y += 2;
      continue;
    }
    if (FoldAscii(*x) != FoldAscii(*y)) return 0;
    if (*x == 0) return 1;
    x++;
    y++;
  }
}

int HostSamePath(const std::string& a, const std::string& b) {
  return a.size() == b.size() && FoldEqual(a.c_str(), b.c_str());
}

static int Exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// The spelling under which `name` exists in `folder`, or `name` itself.
static std::string FindName(const std::string& folder, const std::string& name,
                            int* found) {
  *found = 0;
  if (Exists(folder + "/" + name)) {
    *found = 1;
    return name;
  }
  DIR* dir = opendir(folder.empty() ? "/" : folder.c_str());
  if (dir == 0) return name;
  std::string result = name;
  while (struct dirent* entry = readdir(dir)) {
    if (FoldEqual(entry->d_name, name.c_str())) {
      result = entry->d_name;
      *found = 1;
      break;
    }
  }
  closedir(dir);
  return result;
}

std::string HostJoinExisting(const std::string& folder,
                             const std::string& name) {
  int found = 0;
  return folder + "/" + FindName(folder, name, &found);
}

int HostResolvePath(const char* windowsPath, std::string* hostPath) {
  char full[4096];
  char root[4096];
  if (!HostTranslatePath(windowsPath, full, sizeof full)) return 0;
  const char drive[3] = {windowsPath[0], ':', 0};
  if (!HostTranslatePath(drive, root, sizeof root)) return 0;
  std::string path = root;
  std::string rest = full + path.size();
  // Strip the root's own final separator so that joining adds exactly one.
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  int parentExists = 1;
  size_t at = 0;
  while (at <= rest.size()) {
    size_t end = rest.find('/', at);
    if (end == std::string::npos) end = rest.size();
    std::string name = rest.substr(at, end - at);
    at = end + 1;
    if (name.empty()) continue;
    if (name == "." || name == ".." || !parentExists) {
      path += "/" + name;
      continue;
    }
    int found = 0;
    path += "/" + FindName(path, name, &found);
    parentExists = found;
  }
  *hostPath = path;
  return 1;
}
