// The start state of the simulated Windows: every part forgets its settings,
// records, open handles, windows and failure switches.
#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

void HostReset() {
  HostResetMemory();
  HostResetPaths();
  HostResetFiles();
  HostResetFileMeta();
  HostResetVolumes();
  HostResetRegistry();
  HostResetMessageBoxes();
  HostResetDialogs();
  HostResetWindows();
  HostResetShell();
  HostResetBinding();
}
