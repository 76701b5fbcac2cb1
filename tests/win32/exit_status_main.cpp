// A start-up sequence for checking the entry point: it ends at once with
// the status named by the environment variable UPDATER_CHECK_STATUS, so
// that a run can see that the entry point hands the program's instance to
// the start-up sequence and makes its result the process exit status.
#include <stdlib.h>
#include <windows.h>

#include "app/startup.h"

int UpdaterMain(SysModule instance) {
  // Anything but the program's own module ends with a status no run asks
  // for.
  if (instance != GetModuleHandleA(0)) return 99;
  char value[32];
  DWORD length =
      GetEnvironmentVariableA("UPDATER_CHECK_STATUS", value, sizeof value);
  if (length == 0 || length >= sizeof value) return 98;
  return atoi(value);
}
