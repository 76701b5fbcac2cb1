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

void EnableDialogItem(SysWindow dialog, int id, int enable) {
  SysEnableWindow(SysGetDlgItem(dialog, id), enable);
}

uint32_t SpaceShortfall(const char* path, uint32_t needed, char* drive) {
  drive[0] = path[0];
  drive[1] = drive[0] ? path[1] : 0;
  drive[2] = 0;
  uint64_t freeBytes = 0;
  if (!SysGetDiskFreeSpace(drive, &freeBytes)) return 0;
  if ((freeBytes >> 32) != 0 || needed <= (uint32_t)freeBytes) return 0;
  return needed - (uint32_t)freeBytes;
}
