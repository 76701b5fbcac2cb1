// The key readers of the two settings files and their error box.
#include "settings/profile.h"

#include <string.h>

#include "app/shared.h"
#include "platform/platform.h"
#include "settings/updater_settings.h"

int32_t QuietMissingKeys = 0;

void ShowSetupError(const char* text) {
  SysMessageBox(DialogWindow, text, "DOZARUZO", SYS_MB_ICONERROR);
}

// One key of one file into a cleared buffer. The profile reader reports the
// count of characters it copied; 0 means the key is absent or its value is
// empty, and both are the same failure to every caller.
static int ReadProfileKey(const char* section, const char* key, char* buffer,
                          uint32_t size, const char* file) {
  if (size == 0) return 0;
  memset(buffer, 0, size);
  uint32_t count = SysGetProfileString(section, key, "", buffer, size, file);
  // The reader promises a NUL inside the buffer; the last byte is forced to
  // zero all the same so that no caller can run past it.
  buffer[size - 1] = 0;
  if (count != 0) return 1;
  buffer[0] = 0;
  return 0;
}

int ReadSetupKey(const char* key, char* buffer, uint32_t size) {
  if (ReadProfileKey("SETUP", key, buffer, size, SetupIniPath)) return 1;
  if (QuietMissingKeys == 0) {
    char message[TEXT_SIZE];
    SysFormat(message, "SETUP.INI : %s キーが存在しません", key);
    ShowSetupError(message);
  }
  return 0;
}

int ReadUpdateKey(const char* section, const char* key, char* buffer,
                  uint32_t size) {
  if (ReadProfileKey(section, key, buffer, size, UpdateIniPath)) return 1;
  if (QuietMissingKeys == 0) {
    char message[TEXT_SIZE];
    SysFormat(message, "%s : %s キーが存在しません", section, key);
    ShowSetupError(message);
  }
  return 0;
}

int ReadSetupNumber(const char* key, int32_t* value) {
  char text[PATH_SIZE];
  if (!ReadSetupKey(key, text, sizeof text)) return 0;
  *value = ConvertDecimal(text);
  return 1;
}
