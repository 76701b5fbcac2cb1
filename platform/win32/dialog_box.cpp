// Modal dialogs from the program's dialog templates. The system calls a
// dialog procedure of its own type; the trampoline below hands each message
// on to the updater's portable procedure.
#include <windows.h>

#include "platform/platform.h"

namespace {

// What a running dialog needs to reach its portable procedure. It lives on
// the stack of SysDialogBox for as long as the dialog runs; WM_INITDIALOG
// stores its address with the window.
struct DialogBinding {
  SysDialogProc Procedure;
  intptr_t Parameter;
};

// The binding of the dialog being created: the messages that arrive before
// WM_INITDIALOG (fonts, sizes) reach the procedure through it.
DialogBinding* PendingBinding = 0;

INT_PTR CALLBACK DialogTrampoline(HWND window, UINT message, WPARAM wordParam,
                                  LPARAM longParam) {
  DialogBinding* binding;
  if (message == WM_INITDIALOG) {
    binding = reinterpret_cast<DialogBinding*>(longParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(binding));
    longParam = binding->Parameter;
  } else {
    binding =
        reinterpret_cast<DialogBinding*>(GetWindowLongPtrA(window, DWLP_USER));
    if (binding == 0) binding = PendingBinding;
  }
  if (binding == 0) return FALSE;
  intptr_t result = binding->Procedure(window, message, wordParam, longParam);
  // For most messages the dialog manager returns the value kept with the
  // window, not the procedure's result. A handled cursor request must reach
  // the window that asked as TRUE, or that window sets its own cursor over
  // the one the procedure chose.
  if (message == WM_SETCURSOR && result != 0) {
    SetWindowLongPtrA(window, DWLP_MSGRESULT, TRUE);
  }
  return result;
}

}  // namespace

intptr_t SysDialogBox(SysModule instance, int templateId, SysWindow owner,
                      SysDialogProc proc, intptr_t param) {
  DialogBinding binding = {proc, param};
  DialogBinding* outer = PendingBinding;
  PendingBinding = &binding;
  INT_PTR result = DialogBoxParamA(
      static_cast<HINSTANCE>(instance),
      MAKEINTRESOURCEA(static_cast<WORD>(templateId)), static_cast<HWND>(owner),
      DialogTrampoline, reinterpret_cast<LPARAM>(&binding));
  PendingBinding = outer;
  return result;
}

void SysEndDialog(SysWindow dialog, intptr_t result) {
  EndDialog(static_cast<HWND>(dialog), result);
}
