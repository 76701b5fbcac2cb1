// The update run, performed by the wizard's second Next.
#ifndef UPDATER_APP_UPDATE_RUN_H
#define UPDATER_APP_UPDATE_RUN_H

#include "platform/platform.h"

// Ends on the completion page, on the space-shortfall page, or by ending
// the dialog with -1 after a message.
void RunUpdate(SysWindow dialog);
// The existence check of an "e" line: the path below the install folder
// must name something other than a bare folder; a null path (one too long
// to be read) fails. Shows the failure itself.
int CheckUpdateTarget(const char* path);

#endif
