// Values and helpers every part of the updater shares: the window caption,
// the wizard's window, the error box of the update flow and the status line.
#ifndef UPDATER_APP_SHARED_H
#define UPDATER_APP_SHARED_H

#include "platform/platform.h"

#define TEXT_SIZE 1024
#define PATH_SIZE 260

extern char WindowCaption[TEXT_SIZE];  // starts as "UPDATE"
extern SysWindow DialogWindow;         // the wizard while it exists
extern SysModule ProgramInstance;

// Modal OK box with the error icon, caption WindowCaption, owner
// DialogWindow.
void ShowUpdateError(const char* text);
// Formats (wvsprintfA rules, at most 1023 characters) into control 1001.
void SetStatusText(SysWindow dialog, const char* format, ...);
// Enables or disables a control of the dialog; a template without that
// control makes this do nothing.
void EnableDialogItem(SysWindow dialog, int id, int enable);
// The bytes that `needed` lacks on the drive of `path`, the drive named by
// the path's first two characters ("C:", written to `drive`, 3 bytes). 0
// when they fit, when 4 GiB or more are free, and when the free space
// cannot be determined (no drive letter, or the query fails): the write
// itself then tells whether it fits.
uint32_t SpaceShortfall(const char* path, uint32_t needed, char* drive);

#endif
