// The checks between opening the archive and showing the wizard.
#ifndef UPDATER_APP_STARTUP_CHECKS_H
#define UPDATER_APP_STARTUP_CHECKS_H

#include <stdint.h>

#include "app/shared.h"

// Where and how the game is installed, from its registry key.
struct InstallRecordValues {
  char InstPath[PATH_SIZE];
  char DataPath[PATH_SIZE];  // empty when the registry holds none
  uint32_t InstMode;
};

extern InstallRecordValues InstallRecord;
extern char ModeText[PATH_SIZE];          // "アップデート" or "インストール"
extern const char* AgreementDocument;     // licence text, or null
extern const char* AgreementHeading;      // first page's text, or null

// 1 when the update may be offered; 0 when the program must end (whatever
// the user is to see has been shown).
int RunStartupChecks();

// The notice's line-break escapes: a single-byte backslash followed by a
// lowercase n becomes one carriage return; double-byte characters are
// copied whole. `out` holds 1024 bytes; the notice at most 1023.
void ConvertLineBreaks(const char* notice, char* out);

#endif
