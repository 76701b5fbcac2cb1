// Windows of the simulated Windows: top-level windows declared by tests,
// found by class and title; showing, enabling, titles, focus, the
// foreground and the cursor, for declared windows, dialogs and controls
// alike.
#include "platform/host/host_windows.h"

#include <string.h>

#include <map>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static std::map<uintptr_t, HostWindowRecord> windows;
static uintptr_t nextWindow = 0x10000;
static uintptr_t focusWindow = 0;
static SysCursor cursorShown = SysCursorArrow;

void HostResetWindows() {
  windows.clear();
  focusWindow = 0;
  cursorShown = SysCursorArrow;
}

HostWindowRecord* HostWindowRecordOf(SysWindow window) {
  auto it = windows.find((uintptr_t)window);
  return it == windows.end() ? 0 : &it->second;
}

HostWindowRecord* HostLiveWindowRecord(SysWindow window) {
  HostWindowRecord* record = HostWindowRecordOf(window);
  if (record == 0 || record->Destroyed) return 0;
  if (record->Kind == HostControl) {
    HostWindowRecord* dialog = HostWindowRecordOf((SysWindow)record->Parent);
    if (dialog == 0 || dialog->Destroyed) return 0;
  }
  return record;
}

HostWindowRecord* HostNewWindowRecord(HostWindowKind kind) {
  uintptr_t handle = nextWindow;
  nextWindow += 4;
  HostWindowRecord& record = windows[handle];
  record.Handle = handle;
  record.Kind = kind;
  return &record;
}

uintptr_t HostFocusWindow() { return focusWindow; }
void HostSetFocusWindow(uintptr_t window) { focusWindow = window; }
void HostSetCursorShown(SysCursor cursor) { cursorShown = cursor; }

static int IsDialogAtom(const char* className) {
  return className == SYS_DIALOG_CLASS;
}

SysWindow HostDeclareWindow(const char* className, const char* title) {
  HostWindowRecord* record = HostNewWindowRecord(HostTopLevel);
  if (IsDialogAtom(className))
    record->DialogClass = 1;
  else
    record->ClassName = className ? className : "";
  record->Text = title ? title : "";
  return (SysWindow)record->Handle;
}

void HostRemoveWindow(SysWindow window) {
  HostWindowRecord* record = HostWindowRecordOf(window);
  if (record == 0 || record->Kind != HostTopLevel) return;
  if (focusWindow == record->Handle) focusWindow = 0;
  windows.erase(record->Handle);
}

int HostWindowShown(SysWindow window) {
  HostWindowRecord* record = HostWindowRecordOf(window);
  return record != 0 && record->ShowSeen;
}

int HostWindowForeground(SysWindow window) {
  HostWindowRecord* record = HostWindowRecordOf(window);
  return record != 0 && record->ForegroundSeen;
}

static unsigned char Fold(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

// Class names compare without regard to ASCII case; "#32770" is the
// dialog class by name.
static int ClassMatches(const HostWindowRecord& record, const char* className) {
  if (className == 0) return 1;
  if (IsDialogAtom(className)) return record.DialogClass;
  if (record.DialogClass) return strcmp(className, "#32770") == 0;
  const char* a = className;
  const char* b = record.ClassName.c_str();
  for (; *a && Fold((unsigned char)*a) == Fold((unsigned char)*b); a++, b++) {
  }
  return *a == 0 && *b == 0;
}

SysWindow SysFindWindow(const char* className, const char* title) {
  // The newest window is the top of the order, and FindWindowA finds it
  // first.
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    const HostWindowRecord& record = it->second;
    if (record.Kind == HostControl || record.Destroyed) continue;
    if (!ClassMatches(record, className)) continue;
    if (title != 0 && record.Text != title) continue;
    return (SysWindow)record.Handle;
  }
  return 0;
}

void SysShowWindow(SysWindow window, int command) {
  HostWindowRecord* record = HostLiveWindowRecord(window);
  if (record == 0) return;
  record->Visible = command != SYS_SW_HIDE;
  if (command == SYS_SW_SHOW) record->ShowSeen = 1;
}

void SysSetForegroundWindow(SysWindow window) {
  HostWindowRecord* record = HostLiveWindowRecord(window);
  if (record != 0) record->ForegroundSeen = 1;
}

void SysEnableWindow(SysWindow window, int enable) {
  HostWindowRecord* record = HostLiveWindowRecord(window);
  if (record != 0) record->Enabled = enable != 0;
}

void SysSetWindowText(SysWindow window, const char* text) {
  HostWindowRecord* record = HostLiveWindowRecord(window);
  if (record != 0) record->Text = text ? text : "";
}

void SysSetFocus(SysWindow window) {
  if (window == 0) {
    focusWindow = 0;
    return;
  }
  HostWindowRecord* record = HostLiveWindowRecord(window);
  if (record != 0) focusWindow = record->Handle;
}

void SysSetCursor(SysCursor cursor) { cursorShown = cursor; }
SysCursor HostCurrentCursor() { return cursorShown; }
