// The registry of the simulated Windows: HKEY_CURRENT_USER only, in memory.
// Key paths and value names are found without regard to ASCII letter case,
// as in the registry. A key exists when a value was set in it or in a key
// below it. Queries behave as RegQueryValueExA does with no type output.
#include <string.h>

#include <map>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

#define ERROR_FILE_NOT_FOUND 2L
#define ERROR_INVALID_HANDLE 6L
#define ERROR_INVALID_PARAMETER 87L
#define ERROR_MORE_DATA 234L

// Folded key path -> folded value name -> bytes.
static std::map<std::string, std::map<std::string, std::vector<uint8_t>>> keys;
static std::map<uintptr_t, std::string> openKeys;
static uintptr_t nextKey = 0x2000;  // never used twice, as file handles

void HostResetRegistry() {
  keys.clear();
  openKeys.clear();
}

int HostOpenKeyCount() { return (int)openKeys.size(); }

static std::string Fold(const char* text) {
  std::string folded = text ? text : "";
  for (size_t i = 0; i < folded.size(); i++) {
    unsigned char c = (unsigned char)folded[i];
    if (SysIsLeadByte(c) && i + 1 < folded.size()) {
      i++;
      continue;
    }
    if (c >= 'A' && c <= 'Z') folded[i] = (char)(c - 'A' + 'a');
  }
  return folded;
}

static void Store(const char* keyPath, const char* name, const void* bytes,
                  uint32_t size) {
  const uint8_t* data = (const uint8_t*)bytes;
  keys[Fold(keyPath)][Fold(name)] = std::vector<uint8_t>(data, data + size);
}

void HostRegistrySetString(const char* keyPath, const char* name,
                           const char* value) {
  Store(keyPath, name, value, (uint32_t)strlen(value) + 1);
}

void HostRegistrySetBytes(const char* keyPath, const char* name,
                          const void* bytes, uint32_t size) {
  Store(keyPath, name, bytes, size);
}

void HostRegistrySetDword(const char* keyPath, const char* name,
                          uint32_t value) {
  const uint8_t bytes[4] = {(uint8_t)value, (uint8_t)(value >> 8),
                            (uint8_t)(value >> 16), (uint8_t)(value >> 24)};
  Store(keyPath, name, bytes, 4);
}

static int KeyExists(const std::string& path) {
  if (path.empty()) return 1;
  for (auto& key : keys) {
    const std::string& known = key.first;
    if (known == path) return 1;
    if (known.size() > path.size() &&
        known.compare(0, path.size(), path) == 0 && known[path.size()] == '\\')
      return 1;
  }
  return 0;
}

long HostEntryKeyOpen(SysHandle root, const char* path, uint32_t, uint32_t,
                      SysHandle* key) {
  if (key == 0) return ERROR_INVALID_PARAMETER;
  *key = 0;
  if (root != SYS_HKEY_CURRENT_USER) return ERROR_INVALID_HANDLE;
  std::string folded = Fold(path);
  if (!KeyExists(folded)) return ERROR_FILE_NOT_FOUND;
  uintptr_t handle = nextKey;
  nextKey += 4;
  openKeys[handle] = folded;
  *key = (SysHandle)handle;
  return 0;
}

long HostEntryKeyQueryValue(SysHandle key, const char* name, void* buffer,
                            uint32_t* size) {
  auto open = openKeys.find((uintptr_t)key);
  if (open == openKeys.end()) return ERROR_INVALID_HANDLE;
  if (buffer != 0 && size == 0) return ERROR_INVALID_PARAMETER;
  auto values = keys.find(open->second);
  if (values == keys.end()) return ERROR_FILE_NOT_FOUND;
  auto value = values->second.find(Fold(name));
  if (value == values->second.end()) return ERROR_FILE_NOT_FOUND;
  const std::vector<uint8_t>& bytes = value->second;
  uint32_t needed = (uint32_t)bytes.size();
  if (buffer == 0) {
    // Asking for the size alone.
    if (size) *size = needed;
    return 0;
  }
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed) memcpy(buffer, bytes.data(), needed);
  *size = needed;
  return 0;
}

void HostEntryKeyClose(SysHandle key) { openKeys.erase((uintptr_t)key); }
