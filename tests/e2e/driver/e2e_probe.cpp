// e2e_probe: a small stand-in for the updater that shows the same kinds of
// windows (an ANSI wizard dialog with a status line and Back/Next/Cancel,
// Shift-JIS message boxes, a search for another window) so that the driver
// and the test harness can be tested on their own. The environment variable
// E2E_PROBE chooses what it does:
//
//   exit N               end at once with the status N, showing nothing
//   box                  an error box "RESOURCE READ ERROR" captioned "UPDATE"
//   wizard               a three-page wizard; finishing it gives the status 1
//   licence              the wizard with a licence text and agree radio buttons
//   game CLASS|TITLE     wait in an OK/Cancel box while a window of that class
//                        and title exists, then behave as "wizard"
//   second               bring an existing probe wizard forward and end with 0
//   drives               a box naming the drive letters of each drive type
//   temp                 a box showing the temporary folder
//   write PATH           a box with the error number of opening PATH for
//                        writing (0 when it opens)
#include <windows.h>

#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

namespace {

const char Caption[] = "テスト アップデータ 1.0";

// An in-memory dialog template (DLGTEMPLATE and DLGITEMTEMPLATE records).
class Template {
 public:
  Template(DWORD style, short cx, short cy, const wchar_t* title) {
    Put32(style | DS_SETFONT);
    Put32(0);  // extended style
    countAt_ = words_.size();
    Put16(0);  // item count, filled in by Add
    Put16(0);
    Put16(0);
    Put16((WORD)cx);
    Put16((WORD)cy);
    Put16(0);  // no menu
    Put16(0);  // the dialog class
    PutText(title);
    Put16(10);
    PutText(L"ＭＳ Ｐゴシック");
  }
  void Add(WORD id, WORD classAtom, const wchar_t* text, DWORD style, short x, short y, short cx,
           short cy) {
    Align(2);  // DWORD alignment: words_ holds 16-bit units
    Put32(style);
    Put32(0);
    Put16((WORD)x);
    Put16((WORD)y);
    Put16((WORD)cx);
    Put16((WORD)cy);
    Put16(id);
    Put16(0xFFFF);
    Put16(classAtom);
    PutText(text);
    Put16(0);  // no creation data
    words_[countAt_]++;
  }
  const DLGTEMPLATE* Get() const { return (const DLGTEMPLATE*)words_.data(); }

 private:
  void Align(size_t units) {
    while (words_.size() % units) words_.push_back(0);
  }
  void Put16(WORD w) { words_.push_back(w); }
  void Put32(DWORD d) {
    Put16(LOWORD(d));
    Put16(HIWORD(d));
  }
  void PutText(const wchar_t* text) {
    for (; *text; text++) Put16(*text);
    Put16(0);
  }
  std::vector<WORD> words_;
  size_t countAt_ = 0;
};

const WORD ButtonAtom = 0x0080, EditAtom = 0x0081, StaticAtom = 0x0082;

int Page = 0;
bool WithLicence = false;

void ShowPage(HWND dialog) {
  switch (Page) {
    case 0:
      SetDlgItemTextA(dialog, 1001, "「テスト」のアップデートを開始します");
      EnableWindow(GetDlgItem(dialog, 4), FALSE);
      EnableWindow(GetDlgItem(dialog, 1), !WithLicence);
      break;
    case 1:
      SetDlgItemTextA(dialog, 1001, "アップデートを実行します");
      EnableWindow(GetDlgItem(dialog, 1), TRUE);
      for (int id : {1000, 1002, 1003}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
      break;
    case 2:
      // The busy page of the real run shows a box with the wizard as owner.
      MessageBoxA(dialog, "作業中です\r\\ は円記号", Caption, MB_OK | MB_ICONERROR);
      SetDlgItemTextA(dialog, 1001, "アップデートは完了しました");
      SetDlgItemTextA(dialog, 1, "完了");
      EnableWindow(GetDlgItem(dialog, 2), FALSE);
      SetFocus(GetDlgItem(dialog, 1));
      break;
    default:
      EndDialog(dialog, 0);
  }
}

INT_PTR CALLBACK WizardProc(HWND dialog, UINT message, WPARAM wparam, LPARAM) {
  if (message == WM_INITDIALOG) {
    SetWindowTextA(dialog, Caption);
    if (WithLicence) {
      SetDlgItemTextA(dialog, 1000, "使用許諾\r\n第1条");
      CheckRadioButton(dialog, 1002, 1003, 1003);
    }
    ShowPage(dialog);
    return FALSE;
  }
  if (message != WM_COMMAND || HIWORD(wparam) != 0) return FALSE;
  switch (LOWORD(wparam)) {
    case 1:
      Page++;
      ShowPage(dialog);
      break;
    case 2:
      EndDialog(dialog, -1);
      break;
    case 1002:
      CheckRadioButton(dialog, 1002, 1003, 1002);
      EnableWindow(GetDlgItem(dialog, 1), TRUE);
      break;
    case 1003:
      CheckRadioButton(dialog, 1002, 1003, 1003);
      EnableWindow(GetDlgItem(dialog, 1), FALSE);
      break;
  }
  return FALSE;
}

int RunWizard() {
  const DWORD dialogStyle = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  const DWORD push = WS_CHILD | WS_VISIBLE | WS_TABSTOP;
  Template layout(dialogStyle, 464, WithLicence ? 222 : 93, L"UPDATE");
  short buttonsY = WithLicence ? 202 : 72;
  layout.Add(1, ButtonAtom, L"次へ", push | BS_DEFPUSHBUTTON, 361, buttonsY, 44, 14);
  layout.Add(2, ButtonAtom, L"中止", push, 413, buttonsY, 44, 14);
  layout.Add(4, ButtonAtom, L"戻る", push, 317, buttonsY, 44, 14);
  layout.Add(1001, StaticAtom, L"Info", WS_CHILD | WS_VISIBLE | WS_GROUP, 16, 9, 431, 60);
  if (WithLicence) {
    layout.Add(1000, EditAtom, L"", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | ES_MULTILINE,
               6, 81, 451, 92);
    layout.Add(1002, ButtonAtom, L"同意する", WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON, 10, 177, 325, 10);
    layout.Add(1003, ButtonAtom, L"同意しない", WS_CHILD | WS_VISIBLE | BS_RADIOBUTTON, 10, 189, 325,
               10);
  }
  INT_PTR result = DialogBoxIndirectParamA(GetModuleHandleA(nullptr), layout.Get(), nullptr,
                                           WizardProc, 0);
  if (result == 0) return 1;
  MessageBoxA(nullptr, "アップデートが中断されました", Caption, MB_OK | MB_ICONERROR);
  return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  // Read wide and converted here: Wine's GetEnvironmentVariableA cuts
  // double-byte texts short.
  wchar_t wideMode[512] = L"";
  char mode[1024] = "";
  GetEnvironmentVariableW(L"E2E_PROBE", wideMode, 512);
  WideCharToMultiByte(CP_ACP, 0, wideMode, -1, mode, sizeof mode, nullptr, nullptr);
  if (strncmp(mode, "exit ", 5) == 0) return atoi(mode + 5);
  if (strcmp(mode, "box") == 0) {
    MessageBoxA(nullptr, "RESOURCE READ ERROR", "UPDATE", MB_OK | MB_ICONERROR);
    return 0;
  }
  if (strcmp(mode, "drives") == 0) {
    // One entry per letter with a drive: "C:3" and so on (3 fixed, 5 CD-ROM).
    std::string text;
    for (char letter = 'A'; letter <= 'Z'; letter++) {
      char root[4] = {letter, ':', '\\', 0};
      UINT type = GetDriveTypeA(root);
      char drive[3] = {letter, ':', 0};
      if (type != DRIVE_NO_ROOT_DIR && type != DRIVE_UNKNOWN) {
        if (!text.empty()) text += " ";
        text += std::string(drive) + (char)('0' + type);
        if (GetDriveTypeA(drive) != type) text += "!";  // the short form disagrees
      }
    }
    MessageBoxA(nullptr, text.c_str(), "drives", MB_OK);
    return 0;
  }
  if (strncmp(mode, "write ", 6) == 0) {
    HANDLE file = CreateFileA(mode + 6, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD error = file == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
    char text[32];
    wsprintfA(text, "%lu", error);
    MessageBoxA(nullptr, text, "write", MB_OK);
    return 0;
  }
  if (strcmp(mode, "temp") == 0) {
    char path[MAX_PATH] = "";
    GetTempPathA(sizeof path, path);
    MessageBoxA(nullptr, path, "temp", MB_OK);
    return 0;
  }
  if (strcmp(mode, "second") == 0) {
    HWND other = FindWindowA((LPCSTR)(ULONG_PTR)0x8002, Caption);
    if (other) {
      ShowWindow(other, SW_SHOW);
      SetForegroundWindow(other);
      return 0;
    }
    return RunWizard();
  }
  if (strncmp(mode, "game ", 5) == 0) {
    std::string window = mode + 5;
    size_t bar = window.find('|');
    std::string windowClass = window.substr(0, bar);
    std::string title = bar == std::string::npos ? std::string() : window.substr(bar + 1);
    for (;;) {
      HWND game = FindWindowA(windowClass.c_str(), title.c_str());
      if (!game) break;
      std::string text = "「" + title + "」が実行中です";
      if (MessageBoxA(nullptr, text.c_str(), Caption, MB_OKCANCEL) != IDOK) {
        ShowWindow(game, SW_SHOW);
        SetForegroundWindow(game);
        return 0;
      }
    }
    return RunWizard();
  }
  WithLicence = strcmp(mode, "licence") == 0;
  if (WithLicence || strcmp(mode, "wizard") == 0) return RunWizard();
  return 2;
}
