// The window table of the simulated Windows, shared by the window functions
// and the dialog manager. Every window (a declared top-level window, a
// dialog, a control of a dialog) is one record; handles are numbers that are
// never used twice, so a handle kept across a reset names nothing.
#ifndef UPDATER_PLATFORM_HOST_WINDOWS_H
#define UPDATER_PLATFORM_HOST_WINDOWS_H

#include <stdint.h>

#include <string>
#include <vector>

#include "platform/platform.h"

enum HostWindowKind { HostTopLevel, HostDialog, HostControl };

struct HostWindowRecord {
  uintptr_t Handle = 0;
  HostWindowKind Kind = HostTopLevel;
  int DialogClass = 0;    // class given as the dialog atom
  std::string ClassName;  // otherwise
  std::string Text;       // title of a window, text of a control
  int Enabled = 1;
  int Visible = 1;
  int ShowSeen = 0;
  int ForegroundSeen = 0;
  // A dialog that has ended and been taken down: not found any more, and
  // the system calls on it and its controls do nothing; tests may still
  // read what it showed last.
  int Destroyed = 0;
  // Controls.
  uintptr_t Parent = 0;
  int Id = 0;
  int Checked = 0;
  // Dialogs.
  int TemplateId = 0;
  SysDialogProc Proc = 0;
  int Ended = 0;
  intptr_t Result = 0;
  std::vector<uintptr_t> Controls;
};

// Any record of the handle, destroyed or not; null when there is none.
HostWindowRecord* HostWindowRecordOf(SysWindow window);
// A record that the system calls may act on: not destroyed, and for a
// control, its dialog not destroyed.
HostWindowRecord* HostLiveWindowRecord(SysWindow window);
HostWindowRecord* HostNewWindowRecord(HostWindowKind kind);
// The window that has the keyboard focus (0 when none).
uintptr_t HostFocusWindow();
void HostSetFocusWindow(uintptr_t window);
void HostSetCursorShown(SysCursor cursor);

#endif
