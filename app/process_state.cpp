// The start values of every process-wide value of the updater, for the
// native tests that run many starts within one process.
#include <string.h>

#include "app/shared.h"
#include "app/startup.h"
#include "app/startup_checks.h"
#include "app/wizard.h"
#include "archive/container.h"
#include "archive/embedded.h"
#include "settings/profile.h"
#include "settings/update_ini.h"
#include "settings/updater_settings.h"

void ResetProcessState() {
  CloseArchive();
  strcpy(WindowCaption, "UPDATE");
  DialogWindow = 0;
  ProgramInstance = 0;
  memset(&UpdaterSettings, 0, sizeof UpdaterSettings);
  UpdateIniPath[0] = 0;
  SetupIniPath[0] = 0;
  QuietMissingKeys = 0;
  LastDiskNumber = 0;
  memset(&InstallRecord, 0, sizeof InstallRecord);
  ModeText[0] = 0;
  // The agreement texts and the members read for them live until the
  // process ends in a real run; a new start in the same process gives them
  // back first.
  if (AgreementDocument != 0) SysFree((void*)AgreementDocument);
  if (AgreementHeading != 0) SysFree((void*)AgreementHeading);
  AgreementDocument = 0;
  AgreementHeading = 0;
  ReleaseFoundMembers();
  PageCounter = 0;
  CommandBusy = 0;
  UpdateList.Count = 0;
  CopyList.Count = 0;
}
