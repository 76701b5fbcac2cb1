// The wizard layouts as the dialog manager makes windows of them (classes,
// Shift-JIS texts, styles, tab order, font), the dialog trampoline, and the
// layer's window functions used on a live dialog. Also the message box.
#include <string.h>

#include "platform/platform.h"
#include "tests/win32/check.h"
#include "tests/win32/checks.h"

namespace {

struct ExpectedChild {
  int Id;
  const char* ClassName;
  const char* Text;  // Shift-JIS bytes
  DWORD Style;
};

const ExpectedChild Children100[] = {
    {1, "Button", "\x8E\x9F\x82\xD6", 0x50010001},  // 次へ
    {2, "Button", "\x92\x86\x8E\x7E", 0x50010000},  // 中止
    {4, "Button", "\x96\xDF\x82\xE9", 0x50010000},  // 戻る
    {1001, "Static", "Info", 0x50020000},
};

const ExpectedChild Children101[] = {
    {1, "Button", "\x8E\x9F\x82\xD6", 0x50010001},
    {2, "Button", "\x92\x86\x8E\x7E", 0x50010000},
    {4, "Button", "\x96\xDF\x82\xE9", 0x50010000},
    {1001, "Static", "Info", 0x50020000},
    {1000, "Edit", "", 0x50A00004},
    {1002, "Button", "\x93\xAF\x88\xD3\x82\xB7\x82\xE9", 0x50000004},
    {1003, "Button", "\x93\xAF\x88\xD3\x82\xB5\x82\xC8\x82\xA2", 0x50000004},
};

// ＭＳ Ｐゴシック in Shift-JIS.
const char FontName[] =
    "\x82\x6C\x82\x72\x20\x82\x6F\x83\x53\x83\x56\x83\x62"
    "\x83\x4E";

const UINT RunChecksMessage = WM_APP + 1;

// One dialog being run by the checks.
struct DialogRun {
  int TemplateId;
  const ExpectedChild* Children;
  int ChildCount;
  intptr_t Parameter;
  SysWindow Window;
  intptr_t ParameterSeen;
  int Initialised;
  int StrayMessages;  // messages for a window that is not this dialog
  int AnswerCursor;   // what WM_SETCURSOR answers
  int CursorRequests;
};

DialogRun* Outer = 0;
DialogRun* Inner = 0;

void CheckChildren(HWND dialog, const DialogRun& run) {
  HWND child = GetWindow(dialog, GW_CHILD);
  for (int i = 0; i < run.ChildCount; ++i) {
    const ExpectedChild& expected = run.Children[i];
    CHECK(child != 0);
    if (child == 0) return;
    CHECK_EQ(GetDlgCtrlID(child), expected.Id);
    char text[256];
    GetClassNameA(child, text, sizeof text);
    CHECK(lstrcmpiA(text, expected.ClassName) == 0);
    GetWindowTextA(child, text, sizeof text);
    CheckBytes(text, CheckTextLength(text), expected.Text,
               CheckTextLength(expected.Text), __FILE__, __LINE__,
               "control text");
    // The edit control trades its border for a client edge as it is made;
    // every other bit stays as the layout gives it.
    DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
    DWORD ignored = lstrcmpiA(expected.ClassName, "Edit") == 0 ? WS_BORDER : 0;
    CHECK_EQ(style & ~ignored, expected.Style & ~ignored);
    child = GetWindow(child, GW_HWNDNEXT);
  }
  CHECK(child == 0);  // no further control
}

void CheckFont(HWND dialog) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  CHECK(font != 0);
  LOGFONTA description;
  memset(&description, 0, sizeof description);
  CHECK(GetObjectA(font, sizeof description, &description) != 0);
  CHECK_TEXT(description.lfFaceName, FontName);
  CHECK_EQ(description.lfWeight, FW_NORMAL);
  CHECK_EQ(description.lfItalic, 0);
}

void CheckWindowFunctions(HWND dialog) {
  SysWindow window = dialog;
  CHECK(SysGetDlgItem(window, 1003) == GetDlgItem(dialog, 1003));
  CHECK(SysGetDlgItem(window, 1003) != 0);
  CHECK(SysGetDlgItem(window, 4242) == 0);

  char text[1024];
  SysSetWindowText(window, "アップデート");
  GetWindowTextA(dialog, text, sizeof text);
  CHECK_TEXT(text, "\x83\x41\x83\x62\x83\x76\x83\x66\x81\x5B\x83\x67");
  // A status text whose characters end in the byte 0x5C.
  SysSetDlgItemText(window, 1001, "表示\\表");
  GetDlgItemTextA(dialog, 1001, text, sizeof text);
  CHECK_TEXT(text, "\x95\x5C\x8E\xA6\\\x95\x5C");
  SysSetDlgItemText(window, 1000, "line one\r\nline two");
  GetDlgItemTextA(dialog, 1000, text, sizeof text);
  CHECK_TEXT(text, "line one\r\nline two");

  HWND next = GetDlgItem(dialog, 1);
  SysEnableWindow(next, 0);
  CHECK(!IsWindowEnabled(next));
  SysEnableWindow(next, 2);  // any non-zero value enables
  CHECK(IsWindowEnabled(next));

  HWND licence = GetDlgItem(dialog, 1000);
  SysShowWindow(licence, SYS_SW_HIDE);
  CHECK(!IsWindowVisible(licence));
  SysShowWindow(licence, SYS_SW_SHOW);
  CHECK(IsWindowVisible(licence));
  // Requests on a control that the layout does not have change nothing.
  SysEnableWindow(SysGetDlgItem(window, 4242), 0);
  SysShowWindow(SysGetDlgItem(window, 4242), SYS_SW_HIDE);

  SysCheckRadioButton(window, 1002, 1003, 1003);
  CHECK_EQ(IsDlgButtonChecked(dialog, 1003), BST_CHECKED);
  CHECK_EQ(IsDlgButtonChecked(dialog, 1002), BST_UNCHECKED);
  SysCheckRadioButton(window, 1002, 1003, 1002);
  CHECK_EQ(IsDlgButtonChecked(dialog, 1002), BST_CHECKED);
  CHECK_EQ(IsDlgButtonChecked(dialog, 1003), BST_UNCHECKED);

  HWND cancel = GetDlgItem(dialog, 2);
  SysSetFocus(cancel);
  CHECK(GetFocus() == cancel);
  SysSetFocus(next);
  CHECK(GetFocus() == next);

  // The dialog is found by the atom of the dialog class and its title.
  CHECK(SysFindWindow(SYS_DIALOG_CLASS, "アップデート") == window);
  CHECK(SysFindWindow(0, "アップデート") == window);
  CHECK(SysFindWindow(SYS_DIALOG_CLASS, "UPDATE") == 0);
  SysSetForegroundWindow(window);
  CHECK(GetForegroundWindow() == dialog);

  SysSetCursor(SysCursorWait);
  CHECK(GetCursor() == LoadCursorA(0, IDC_WAIT));
  SysSetCursor(SysCursorArrow);
  CHECK(GetCursor() == LoadCursorA(0, IDC_ARROW));
}

// The cursor request of a control goes to the dialog first. When the
// dialog's procedure handles it, the control must keep the procedure's
// cursor; when it does not, the control sets its own (the arrow).
void CheckCursorRequests(HWND dialog, DialogRun& run) {
  HWND button = GetDlgItem(dialog, 1);
  LPARAM where = MAKELPARAM(HTCLIENT, WM_MOUSEMOVE);
  run.AnswerCursor = 1;
  SetCursor(LoadCursorA(0, IDC_ARROW));
  int before = run.CursorRequests;
  CHECK(SendMessageA(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button),
                     where) != 0);
  CHECK(run.CursorRequests > before);
  CHECK(GetCursor() == LoadCursorA(0, IDC_WAIT));
  CHECK(SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                     where) != 0);
  CHECK(GetCursor() == LoadCursorA(0, IDC_WAIT));

  run.AnswerCursor = 0;
  before = run.CursorRequests;
  SendMessageA(button, WM_SETCURSOR, reinterpret_cast<WPARAM>(button), where);
  CHECK(run.CursorRequests > before);
  CHECK(GetCursor() == LoadCursorA(0, IDC_ARROW));
}

intptr_t InnerProc(SysWindow dialog, uint32_t message, uintptr_t wordParam,
                   intptr_t longParam);

void RunChecks(HWND dialog, DialogRun& run) {
  CheckNote("  dialog %d at run time", run.TemplateId);
  CHECK(run.Initialised);
  CHECK_EQ(run.ParameterSeen, run.Parameter);
  char text[256];
  GetWindowTextA(dialog, text, sizeof text);
  CHECK_TEXT(text, "UPDATE");
  GetClassNameA(dialog, text, sizeof text);
  CHECK_TEXT(text, "#32770");
  DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  CHECK((style & (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE)) ==
        (WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE));
  CHECK((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == 0);
  CheckChildren(dialog, run);
  CheckFont(dialog);
  if (run.TemplateId == 101) {
    CheckWindowFunctions(dialog);
    CheckCursorRequests(dialog, run);
    // A second modal dialog from inside this one: each dialog's messages
    // reach its own procedure.
    static DialogRun inner = {100, Children100, 4, 31, 0, 0, 0, 0, 0, 0};
    Inner = &inner;
    CHECK_EQ(SysDialogBox(GetModuleHandleA(0), 100, dialog, InnerProc, 31), 32);
    CHECK(inner.Initialised);
    CHECK_EQ(inner.StrayMessages, 0);
    Inner = 0;
    // This dialog still answers through its own procedure.
    run.AnswerCursor = 1;
    int requests = run.CursorRequests;
    SendMessageA(dialog, WM_SETCURSOR, reinterpret_cast<WPARAM>(dialog),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    CHECK(run.CursorRequests > requests);
  }
  SysEndDialog(dialog, run.Parameter + 1);
}

intptr_t HandleMessage(DialogRun& run, SysWindow dialog, uint32_t message,
                       intptr_t longParam) {
  if (run.Window != 0 && dialog != run.Window) ++run.StrayMessages;
  switch (message) {
    case SYS_WM_INITDIALOG:
      run.Window = dialog;
      run.Initialised = 1;
      run.ParameterSeen = longParam;
      PostMessageA(static_cast<HWND>(dialog), RunChecksMessage, 0, 0);
      return 0;
    case SYS_WM_SETCURSOR:
      ++run.CursorRequests;
      if (!run.AnswerCursor) return 0;
      SysSetCursor(SysCursorWait);
      return 1;
    case RunChecksMessage:
      RunChecks(static_cast<HWND>(dialog), run);
      return 1;
  }
  return 0;
}

intptr_t OuterProc(SysWindow dialog, uint32_t message, uintptr_t,
                   intptr_t longParam) {
  if (Outer == 0) return 0;
  return HandleMessage(*Outer, dialog, message, longParam);
}

intptr_t InnerProc(SysWindow dialog, uint32_t message, uintptr_t,
                   intptr_t longParam) {
  if (Inner == 0) return 0;
  return HandleMessage(*Inner, dialog, message, longParam);
}

}  // namespace

void CheckDialogsAtRunTime() {
  CheckNote("dialogs at run time");
  SysModule self = GetModuleHandleA(0);
  DialogRun first = {100, Children100, 4, 7, 0, 0, 0, 0, 0, 0};
  Outer = &first;
  CHECK_EQ(SysDialogBox(self, 100, 0, OuterProc, 7), 8);
  CHECK_EQ(first.StrayMessages, 0);
  DialogRun second = {101, Children101, 7, -20, 0, 0, 0, 0, 0, 0};
  Outer = &second;
  CHECK_EQ(SysDialogBox(self, 101, 0, OuterProc, -20), -19);
  CHECK_EQ(second.StrayMessages, 0);
  Outer = 0;
  // A template that the program does not have.
  CHECK_EQ(SysDialogBox(self, 555, 0, OuterProc, 0), -1);
}

namespace {

struct BoxWatch {
  const char* Caption;
  int Answer;
  int Seen;
  char Text[256];
};

BoxWatch* Watch = 0;

BOOL CALLBACK CollectStaticText(HWND child, LPARAM) {
  char className[32];
  GetClassNameA(child, className, sizeof className);
  char text[256];
  if (lstrcmpiA(className, "Static") == 0 &&
      GetWindowTextA(child, text, sizeof text) > 0) {
    lstrcpynA(Watch->Text, text, sizeof Watch->Text);
  }
  return TRUE;
}

// Runs inside the message box's own message loop: finds the box by the
// dialog class and its caption, notes its text and answers it.
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR, DWORD) {
  if (Watch == 0 || Watch->Seen) return;
  HWND box = static_cast<HWND>(SysFindWindow(SYS_DIALOG_CLASS, Watch->Caption));
  if (box == 0) return;
  Watch->Seen = 1;
  EnumChildWindows(box, CollectStaticText, 0);
  PostMessageA(box, WM_COMMAND, Watch->Answer, 0);
}

}  // namespace

void CheckMessageBox() {
  CheckNote("message box");
  UINT_PTR timer = SetTimer(0, 0, 100, AnswerBox);
  BoxWatch ok = {"箱の見出し", IDOK, 0, ""};
  Watch = &ok;
  CHECK_EQ(SysMessageBox(0, "「表」は見つかりません", "箱の見出し",
                         SYS_MB_OK | SYS_MB_ICONERROR),
           SYS_IDOK);
  CHECK(ok.Seen);
  CHECK_TEXT(ok.Text, "「表」は見つかりません");
  BoxWatch cancel = {"CD-ROM", IDCANCEL, 0, ""};
  Watch = &cancel;
  CHECK_EQ(SysMessageBox(0, "insert the disc", "CD-ROM", SYS_MB_OKCANCEL),
           SYS_IDCANCEL);
  CHECK(cancel.Seen);
  CHECK_TEXT(cancel.Text, "insert the disc");
  Watch = 0;
  KillTimer(0, timer);
}
