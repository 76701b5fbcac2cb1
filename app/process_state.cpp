// The start values of every process-wide value of the updater, for the
// native tests that run many starts within one process.
#include <string.h>

#include "app/shared.h"
#include "app/startup.h"
#include "app/startup_checks.h"
#include "app/wizard.h"
#include "archive/container.h"
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
  // The agreement texts are never released in a real run (they live until
  // the process ends); the tests' host allocator tolerates that.
  AgreementDocument = 0;
  AgreementHeading = 0;
  PageCounter = 0;
  CommandBusy = 0;
  UpdateList.Count = 0;
  CopyList.Count = 0;
}
