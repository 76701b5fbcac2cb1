// The values every part of the updater shares, and the two output helpers
// of the update flow: the error box and the status line.
#include "app/shared.h"

#include <stdarg.h>

char WindowCaption[TEXT_SIZE] = "UPDATE";
SysWindow DialogWindow = 0;
SysModule ProgramInstance = 0;

void ShowUpdateError(const char* text) {
  SysMessageBox(DialogWindow, text, WindowCaption,
                SYS_MB_OK | SYS_MB_ICONERROR);
}

void SetStatusText(SysWindow dialog, const char* format, ...) {
  char text[TEXT_SIZE];
  va_list args;
  va_start(args, format);
  SysFormatV(text, format, args);
  va_end(args);
  SysSetDlgItemText(dialog, 1001, text);
}
