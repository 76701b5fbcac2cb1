// The dialog manager of the simulated Windows. SysDialogBox builds the
// dialog of template 100 or 101 with the controls those templates hold,
// sends WM_INITDIALOG, and then lets the test's driver act as the user
// until the procedure ends the dialog. Commands reach the procedure as
// WM_COMMAND with the control id as the word parameter (notification 0).
#include <map>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"
#include "platform/host/host_windows.h"

// A dialog that the driver has not ended after this many steps is ended
// with -1, so a test whose script does not finish fails instead of hanging.
static const int kMaxDriverSteps = 10000;

static HostDialogDriver dialogDriver = 0;
static uintptr_t currentDialog = 0;

void HostResetDialogs() {
  dialogDriver = 0;
  currentDialog = 0;
}

void HostSetDialogDriver(HostDialogDriver driver) { dialogDriver = driver; }

SysWindow HostCurrentDialog() {
  HostWindowRecord* dialog = HostLiveWindowRecord((SysWindow)currentDialog);
  return dialog ? (SysWindow)dialog->Handle : 0;
}

namespace {
struct ControlTemplate {
  int Id;
  const char* Text;
};
}  // namespace

// The controls in tab order, with the texts of the templates.
static const ControlTemplate kLayout100[] = {
    {1, "次へ"}, {2, "中止"}, {4, "戻る"}, {1001, "Info"}};
static const ControlTemplate kLayout101[] = {
    {1, "次へ"}, {2, "中止"},        {4, "戻る"},         {1001, "Info"},
    {1000, ""},  {1002, "同意する"}, {1003, "同意しない"}};

static HostWindowRecord* LiveDialog(SysWindow dialog) {
  HostWindowRecord* record = HostLiveWindowRecord(dialog);
  return record != 0 && record->Kind == HostDialog ? record : 0;
}

// The control of a dialog, destroyed or not (for reading back).
static HostWindowRecord* ControlOf(SysWindow dialog, int id) {
  HostWindowRecord* record = HostWindowRecordOf(dialog);
  if (record == 0 || record->Kind != HostDialog) return 0;
  for (uintptr_t handle : record->Controls) {
    HostWindowRecord* control = HostWindowRecordOf((SysWindow)handle);
    if (control != 0 && control->Id == id) return control;
  }
  return 0;
}

static intptr_t Send(HostWindowRecord* dialog, uint32_t message,
                     uintptr_t wordParam, intptr_t longParam) {
  SysDialogProc proc = dialog->Proc;
  return proc((SysWindow)dialog->Handle, message, wordParam, longParam);
}

static void Command(SysWindow dialog, int id) {
  HostWindowRecord* record = LiveDialog(dialog);
  if (record == 0) return;
  HostWindowRecord* control = ControlOf(dialog, id);
  Send(record, SYS_WM_COMMAND, (uintptr_t)(uint16_t)id,
       control ? (intptr_t)control->Handle : 0);
}

intptr_t SysDialogBox(SysModule, int templateId, SysWindow, SysDialogProc proc,
                      intptr_t param) {
  const ControlTemplate* layout;
  int count;
  if (templateId == 100) {
    layout = kLayout100;
    count = (int)(sizeof kLayout100 / sizeof kLayout100[0]);
  } else if (templateId == 101) {
    layout = kLayout101;
    count = (int)(sizeof kLayout101 / sizeof kLayout101[0]);
  } else {
    return -1;
  }
  if (proc == 0) return -1;
  HostWindowRecord* dialog = HostNewWindowRecord(HostDialog);
  uintptr_t handle = dialog->Handle;
  dialog->DialogClass = 1;
  dialog->Text = "UPDATE";
  dialog->TemplateId = templateId;
  dialog->Proc = proc;
  for (int i = 0; i < count; i++) {
    HostWindowRecord* control = HostNewWindowRecord(HostControl);
    control->Parent = handle;
    control->Id = layout[i].Id;
    control->Text = layout[i].Text;
    // Records live in a map, so `dialog` stays valid while controls are
    // added.
    dialog->Controls.push_back(control->Handle);
  }
  uintptr_t previous = currentDialog;
  currentDialog = handle;
  // WM_INITDIALOG names the first control of the tab order; a procedure
  // that returns non-zero lets the dialog manager give it the focus.
  uintptr_t first = dialog->Controls.front();
  if (Send(dialog, SYS_WM_INITDIALOG, first, param) != 0)
    HostSetFocusWindow(first);
  for (int step = 0; !dialog->Ended; step++) {
    if (step >= kMaxDriverSteps) {
      dialog->Ended = 1;
      dialog->Result = -1;
      break;
    }
    int goOn = dialogDriver ? dialogDriver((SysWindow)handle, step) : 0;
    if (!goOn && !dialog->Ended) Command((SysWindow)handle, SYS_IDCANCEL);
  }
  dialog->Destroyed = 1;
  uintptr_t focus = HostFocusWindow();
  if (focus == handle) HostSetFocusWindow(0);
  for (uintptr_t control : dialog->Controls)
    if (focus == control) HostSetFocusWindow(0);
  currentDialog = previous;
  return dialog->Result;
}

void SysEndDialog(SysWindow dialog, intptr_t result) {
  HostWindowRecord* record = LiveDialog(dialog);
  if (record == 0 || record->Ended) return;
  record->Ended = 1;
  record->Result = result;
}

SysWindow SysGetDlgItem(SysWindow dialog, int id) {
  if (LiveDialog(dialog) == 0) return 0;
  HostWindowRecord* control = ControlOf(dialog, id);
  return control ? (SysWindow)control->Handle : 0;
}

void SysSetDlgItemText(SysWindow dialog, int id, const char* text) {
  SysSetWindowText(SysGetDlgItem(dialog, id), text);
}

void SysCheckRadioButton(SysWindow dialog, int first, int last, int check) {
  if (LiveDialog(dialog) == 0) return;
  for (int id = first; id <= last; id++) {
    HostWindowRecord* control = ControlOf(dialog, id);
    if (control != 0) control->Checked = id == check;
  }
}

int HostClick(SysWindow dialog, int id) {
  HostWindowRecord* record = LiveDialog(dialog);
  HostWindowRecord* control = ControlOf(dialog, id);
  if (record == 0 || record->Ended || control == 0 || !control->Enabled ||
      !control->Visible)
    return 0;
  Command(dialog, id);
  return 1;
}

void HostSendCommand(SysWindow dialog, int id) { Command(dialog, id); }

SysCursor HostCursorOverDialog(SysWindow dialog) {
  HostWindowRecord* record = LiveDialog(dialog);
  if (record == 0) return HostCurrentCursor();
  // Word parameter: the window under the mouse; long parameter: the hit
  // test (client area) and the mouse message (WM_MOUSEMOVE).
  intptr_t handled = Send(record, SYS_WM_SETCURSOR, record->Handle,
                          (intptr_t)(1 | (0x0200 << 16)));
  // Unhandled, the default handling shows the class cursor: the arrow.
  if (!handled) HostSetCursorShown(SysCursorArrow);
  return HostCurrentCursor();
}

const char* HostControlText(SysWindow dialog, int id) {
  HostWindowRecord* control = ControlOf(dialog, id);
  return control ? control->Text.c_str() : 0;
}

int HostControlEnabled(SysWindow dialog, int id) {
  HostWindowRecord* control = ControlOf(dialog, id);
  return control != 0 && control->Enabled;
}

int HostControlVisible(SysWindow dialog, int id) {
  HostWindowRecord* control = ControlOf(dialog, id);
  return control != 0 && control->Visible;
}

int HostControlChecked(SysWindow dialog, int id) {
  HostWindowRecord* control = ControlOf(dialog, id);
  return control != 0 && control->Checked;
}

int HostControlFocused(SysWindow dialog, int id) {
  HostWindowRecord* control = ControlOf(dialog, id);
  return control != 0 && HostFocusWindow() == control->Handle;
}

const char* HostDialogTitle(SysWindow dialog) {
  HostWindowRecord* record = HostWindowRecordOf(dialog);
  return record != 0 && record->Kind == HostDialog ? record->Text.c_str() : 0;
}

int HostDialogTemplate(SysWindow dialog) {
  HostWindowRecord* record = HostWindowRecordOf(dialog);
  return record != 0 && record->Kind == HostDialog ? record->TemplateId : 0;
}

int HostDialogEnded(SysWindow dialog) {
  HostWindowRecord* record = HostWindowRecordOf(dialog);
  return record != 0 && record->Kind == HostDialog && record->Ended;
}
