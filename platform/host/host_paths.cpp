// Drive letters of the simulated Windows: each mapped letter names a host
// folder, and Windows paths below it translate to host paths.
#include <string.h>

#include <string>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static std::string driveFolders[26];

void HostResetPaths() {
  for (std::string& folder : driveFolders) folder.clear();
}

static int DriveIndex(char letter) {
  if (letter >= 'a' && letter <= 'z') return letter - 'a';
  if (letter >= 'A' && letter <= 'Z') return letter - 'A';
  return -1;
}

void HostMapDrive(char letter, const char* hostFolder) {
  int index = DriveIndex(letter);
  if (index >= 0) driveFolders[index] = hostFolder;
}

int HostDriveMapped(char letter) {
  int index = DriveIndex(letter);
  return index >= 0 && !driveFolders[index].empty();
}

int HostTranslatePath(const char* windowsPath, char* out, size_t size) {
  if (windowsPath == 0 || windowsPath[0] == 0 || windowsPath[1] != ':') return 0;
  int index = DriveIndex(windowsPath[0]);
  if (index < 0 || driveFolders[index].empty()) return 0;
  std::string path = driveFolders[index];
  const char* rest = windowsPath + 2;
  if (*rest != '\\' && *rest != '/' && *rest != 0) path += '/';
  // Backslashes separate folders; the second byte of a double-byte
  // character is never one.
  for (const char* p = rest; *p; p++) {
    unsigned char c = (unsigned char)*p;
    if (SysIsLeadByte(c) && p[1] != 0) {
      path += p[0];
      path += p[1];
      p++;
      continue;
    }
    path += (c == '\\') ? '/' : (char)c;
  }
  // A folder path ending in a separator names the folder itself.
  while (path.size() > 1 && path.back() == '/' &&
         path.size() > driveFolders[index].size())
    path.pop_back();
  if (path.size() + 1 > size) return 0;
  memcpy(out, path.c_str(), path.size() + 1);
  return 1;
}
