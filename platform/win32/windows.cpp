// Windows and controls: finding, enabling, showing and labelling them, the
// radio buttons, the focus, the cursor and the message box.
#include <windows.h>

#include "platform/platform.h"

int SysMessageBox(SysWindow owner, const char* text, const char* caption,
                  uint32_t style) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, style);
}

SysWindow SysGetDlgItem(SysWindow dialog, int id) {
  return GetDlgItem(static_cast<HWND>(dialog), id);
}

void SysEnableWindow(SysWindow window, int enable) {
  EnableWindow(static_cast<HWND>(window), enable ? TRUE : FALSE);
}

void SysShowWindow(SysWindow window, int command) {
  ShowWindow(static_cast<HWND>(window), command);
}

void SysSetWindowText(SysWindow window, const char* text) {
  SetWindowTextA(static_cast<HWND>(window), text);
}

void SysSetDlgItemText(SysWindow dialog, int id, const char* text) {
  SetDlgItemTextA(static_cast<HWND>(dialog), id, text);
}

void SysCheckRadioButton(SysWindow dialog, int first, int last, int check) {
  CheckRadioButton(static_cast<HWND>(dialog), first, last, check);
}

void SysSetFocus(SysWindow window) { SetFocus(static_cast<HWND>(window)); }

void SysSetCursor(SysCursor cursor) {
  LPCSTR shape = cursor == SysCursorWait ? IDC_WAIT : IDC_ARROW;
  SetCursor(LoadCursorA(0, shape));
}

SysWindow SysFindWindow(const char* className, const char* title) {
  return FindWindowA(className, title);
}

void SysSetForegroundWindow(SysWindow window) {
  SetForegroundWindow(static_cast<HWND>(window));
}
