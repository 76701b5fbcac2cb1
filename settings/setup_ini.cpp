// Reading and validating the installed game's SETUP.INI.
//
// Most keys are only checked: the installer that wrote the file needs them,
// the updater does not. A file missing any of them is not a complete
// installation, and start-up ends. Only the first problem is reported; the
// keys after it are not read, so values after a failure keep what they had.
#include "settings/setup_ini.h"

#include <string.h>

#include "app/shared.h"
#include "platform/platform.h"
#include "settings/profile.h"
#include "settings/updater_settings.h"

// Shows "SETUP.INI : <key> エラー" for a list key whose fields are wrong.
static void ShowKeyError(const char* key) {
  char message[TEXT_SIZE];
  SysFormat(message, "SETUP.INI : %s エラー", key);
  ShowSetupError(message);
}

// Takes up to `limit` fields of a list value; 1 when there was at least one.
static int TakeFields(const char* list, int limit) {
  char field[PATH_SIZE];
  const char* cursor = list;
  int taken = 0;
  while (taken < limit && NextListField(field, &cursor)) taken++;
  return taken > 0;
}

// A file list (InstallFilesN, InstallAddFiles): each list starts on disk 0.
static int TakeFileList(const char* list) {
  LastDiskNumber = 0;
  return TakeFields(list, 40);
}

// A list whose first two fields must be present (ShortcutN, ExecApp).
static int TakeTwoFields(const char* list) {
  char field[PATH_SIZE];
  const char* cursor = list;
  return NextListField(field, &cursor) && NextListField(field, &cursor);
}

int ReadInstalledSetup() {
  char text[PATH_SIZE];
  char list[TEXT_SIZE];
  char key[TEXT_SIZE];

  // Keys 1 to 5: present, not examined; GameTitle is kept.
  if (!ReadSetupKey("CompanyName", text, sizeof text)) return 0;
  if (!ReadSetupKey("GameTitle", UpdaterSettings.GameTitle,
                    sizeof UpdaterSettings.GameTitle))
    return 0;
  if (!ReadSetupKey("GameDir", text, sizeof text)) return 0;
  if (!ReadSetupKey("GameExe", text, sizeof text)) return 0;
  if (!ReadSetupKey("UninstExe", text, sizeof text)) return 0;

  // Key 6: the installer's pictures, at least one.
  if (!ReadSetupKey("SetupBmp", list, sizeof list)) return 0;
  if (!TakeFields(list, 20)) {
    ShowSetupError("SETUP.INI : SetupBmps エラー");
    return 0;
  }

  // Keys 7 to 9: the installation choices, each with a title and a file
  // list, read in alternation.
  int32_t selects = 0;
  if (!ReadSetupNumber("InstallSelects", &selects)) return 0;
  if (selects > 4) {
    ShowSetupError("SETUP.INI : InstallSelect オーバー");
    return 0;
  }
  for (int32_t i = 0; i < selects; i++) {
    SysFormat(key, "InstallTitle%i", (int)i);
    if (!ReadSetupKey(key, text, sizeof text)) return 0;
    SysFormat(key, "InstallFiles%i", (int)i);
    if (!ReadSetupKey(key, list, sizeof list)) return 0;
    if (!TakeFileList(list)) {
      ShowKeyError(key);
      return 0;
    }
  }

  // Keys 10 and 11: the shortcuts, each a list of at least two fields.
  int32_t shortcuts = 0;
  if (!ReadSetupNumber("Shortcuts", &shortcuts)) return 0;
  if (shortcuts > 10) {
    ShowSetupError("SETUP.INI : Shortcuts オーバー");
    return 0;
  }
  for (int32_t j = 0; j < shortcuts; j++) {
    SysFormat(key, "Shortcut%i", (int)j);
    if (!ReadSetupKey(key, text, sizeof text)) return 0;
    if (!TakeTwoFields(text)) {
      ShowKeyError(key);
      return 0;
    }
  }

  // The optional keys that follow fail without a box.
  QuietMissingKeys = 1;

  // Key 12: the game window's class, by default its title.
  if (!ReadSetupKey("GameClass", UpdaterSettings.GameClass,
                    sizeof UpdaterSettings.GameClass))
    memcpy(UpdaterSettings.GameClass, UpdaterSettings.GameTitle,
           sizeof UpdaterSettings.GameClass);

  // Key 13: the check files of the CD-ROMs; the reader leaves a missing
  // entry empty.
  for (int n = 0; n < 10; n++) {
    SysFormat(key, "DiskCheckFile%i", n);
    ReadSetupKey(key, UpdaterSettings.DiskCheckFiles[n],
                 sizeof UpdaterSettings.DiskCheckFiles[n]);
  }

  // Key 14: a program to run after installing; optional, but when present
  // it needs its two fields.
  if (ReadSetupKey("ExecApp", text, sizeof text) && !TakeTwoFields(text)) {
    ShowKeyError("ExecApp");
    return 0;
  }

  // Keys 15 and 16: a non-zero InstallAfterAdd makes InstallAddFiles
  // required, and its absence is reported: the flag is cleared for this one
  // read and set again at once, so that it is set on every way out.
  int32_t afterAdd = 0;
  if (ReadSetupNumber("InstallAfterAdd", &afterAdd) && afterAdd != 0) {
    QuietMissingKeys = 0;
    int found = ReadSetupKey("InstallAddFiles", list, sizeof list);
    QuietMissingKeys = 1;
    if (!found) return 0;
    if (!TakeFileList(list)) {
      ShowSetupError("SETUP.INI : InstallAddFiles エラー");
      return 0;
    }
  }
  return 1;
}
