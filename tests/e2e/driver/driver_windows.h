// What the driver sees of other programs' windows: finding a dialog or a
// message box by its caption, reading texts and button states the way a
// user reads them off the screen, and waiting until a window has handled
// everything posted to it.
#ifndef UPDATER_TESTS_E2E_DRIVER_DRIVER_WINDOWS_H
#define UPDATER_TESTS_E2E_DRIVER_DRIVER_WINDOWS_H

#include <windows.h>

#include <set>
#include <string>
#include <vector>

// The static control that holds a message box's text.
#define MESSAGE_BOX_TEXT_ID 0xFFFF
// The wizard's status line.
#define WIZARD_STATUS_ID 1001

// How long a window may take to answer one query before it counts as hung.
#define WINDOW_QUERY_MS 5000u

// The text of a window or control, also of another process (WM_GETTEXT is
// sent, so edit controls give their real content), as UTF-8. Empty when
// the window does not answer.
std::string WindowTextUtf8(HWND window);

// A visible top-level window of the system dialog class (#32770) whose
// caption is exactly `caption`, owned by one of `processes` (all processes
// when empty), which has a child with the id `marker`, and which is not in
// `skip`. Null when there is none.
HWND FindDialogWindow(const std::string& caption, int marker, const std::set<DWORD>& processes,
                      const std::set<HWND>& skip);

// Visible top-level windows of the given processes.
std::vector<HWND> VisibleWindowsOf(const std::set<DWORD>& processes);

// A control's state as a user sees it: "none" when the dialog has no such
// control, "hidden" when it is not visible, "off" when it is visible but
// disabled, "on" when it is visible and enabled; radio buttons and check
// boxes add "/checked" when they are checked.
std::string ControlState(HWND dialog, int id);

// Whether a user could press the control: it exists, is visible, enabled,
// and so is its dialog (a dialog that owns a modal box is disabled).
// *why names the reason when not.
bool CanPress(HWND dialog, int id, std::string* why);

// Waits until `window`'s thread has handled what was posted to it shortly
// before (see the .cpp for how far this goes). Returns false when the
// thread does not answer within `timeoutMs`.
bool SettleWindow(HWND window, DWORD timeoutMs);

#endif
