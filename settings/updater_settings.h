// The process-wide settings of one run: the [SETUP] keys of the update
// description and the values taken from the installed game's SETUP.INI.
#ifndef UPDATER_SETTINGS_UPDATER_SETTINGS_H
#define UPDATER_SETTINGS_UPDATER_SETTINGS_H

#include <stdint.h>

struct UpdaterSettingsRecord {
  char CompanyName[260];
  char GameTitle[260];
  char GameClass[260];
  char GameDir[260];
  char GameTitleA[260];
  char UpdaterVersion[260];
  char UpdaterTitle[260];
  char DataFolder[260];
  char UpdateMessage[1024];
  char ExistErrorMessage[1024];
  int32_t ModeTextUpdateOrInstall;  // the install-wording flag
  char DiskCheckFiles[10][260];
};

extern UpdaterSettingsRecord UpdaterSettings;
extern char UpdateIniPath[260];  // the temporary UPDATE.INI
extern char SetupIniPath[260];   // the installed SETUP.INI

#endif
