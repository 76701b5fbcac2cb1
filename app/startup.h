// The frame of the updater's one run: the phases from start to exit.
#ifndef UPDATER_APP_STARTUP_H
#define UPDATER_APP_STARTUP_H

#include "platform/platform.h"

// Runs the whole start-up sequence and the wizard; the exit status: 1 after
// a finished update, 0 on every other path.
int UpdaterMain(SysModule instance);
// Closes the archive and deletes the temporary update description.
void ExitCleanup();
// Puts every process-wide value of the updater back to its start value, as
// a new process finds them. The program starts only once; the native tests
// run many starts in one process and call this before each.
void ResetProcessState();

#endif
