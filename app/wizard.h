// The wizard dialog: start page (with the licence when there is one), the
// confirmation page, the update run and the completion page.
#ifndef UPDATER_APP_WIZARD_H
#define UPDATER_APP_WIZARD_H

#include <stdint.h>

#include "platform/platform.h"

#define ID_NEXT 1
#define ID_CANCEL 2
#define ID_BACK 4
#define ID_LICENCE 1000
#define ID_STATUS 1001
#define ID_AGREE 1002
#define ID_DISAGREE 1003
#define DIALOG_PLAIN 100
#define DIALOG_AGREEMENT 101

// What the next Next does: 0 the confirmation page, 1 the update run, 2 the
// end of the dialog.
extern int32_t PageCounter;
// Non-zero while a Next or Back command is being handled.
extern int32_t CommandBusy;

// Runs the dialog to its end; the exit status (1 finished, 0 otherwise).
int RunWizard();
intptr_t WizardDialogProc(SysWindow dialog, uint32_t message,
                          uintptr_t wordParam, intptr_t longParam);
void ShowStartPage(SysWindow dialog);
void ShowConfirmPage(SysWindow dialog);

#endif
