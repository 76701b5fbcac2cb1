// Profile (INI) files, read through the system's profile functions.
#include <windows.h>

#include "platform/platform.h"

uint32_t SysGetProfileString(const char* section, const char* key,
                             const char* fallback, char* buffer, uint32_t size,
                             const char* file) {
  return GetPrivateProfileStringA(section, key, fallback, buffer, size, file);
}
