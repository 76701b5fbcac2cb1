// The start-up sequence. Every phase either lets the sequence go on or ends
// it, and every way out passes through ExitCleanup. The exit status is 1
// only after a finished wizard: 1 means success here, not 0.
#include "app/startup.h"

#include <string.h>

#include "app/shared.h"
#include "app/startup_checks.h"
#include "app/wizard.h"
#include "archive/container.h"
#include "archive/embedded.h"
#include "settings/updater_settings.h"

void ExitCleanup() {
  CloseArchive();
  // Before the start-up checks have formed the path there is nothing to
  // delete; the result of the deletion is of no interest either way.
  if (UpdateIniPath[0] != 0) SysDeleteFile(UpdateIniPath);
}

int UpdaterMain(SysModule instance) {
  if (!BindSystemFunctions()) {
    ShowUpdateError("COULD NOT MAP SOME FUNCTIONS");
    ExitCleanup();
    return 0;
  }
  // The shell's copy needs COM on this thread; its result does not matter,
  // and COM stays initialised until the process ends.
  SysInitializeCom();

  ProgramInstance = instance;
  ArchiveOpenResult opened = OpenEmbeddedArchive(instance);
  if (opened != Opened) {
    // An updater without its archive shows nothing at all.
    if (opened == Unreadable) ShowUpdateError("RESOURCE READ ERROR");
    ExitCleanup();
    return 0;
  }

  if (!RunStartupChecks()) {
    ExitCleanup();
    return 0;
  }

  int status = RunWizard();
  ExitCleanup();
  return status;
}
