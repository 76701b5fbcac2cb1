// e2e_driver: runs the updater under Wine and uses its windows the way a
// user does, following a script of steps, and prints one line for each
// thing it observes. The tests on the Linux side compare these lines.
//
//   e2e_driver.exe [--deadline SECONDS] STEP... | @SCRIPTFILE
//
// Each argument is one step ("wait-dialog UPDATE"); an argument @FILE reads
// one step per line from FILE (UTF-8; empty lines and lines starting with #
// are skipped). Arguments are UTF-8; a text argument takes the rest of the
// line, blanks included, as it stands. A word or text in double quotes may
// hold the escapes "\\", "\r", "\n", "\t" and "\"" for a backslash, a
// carriage return, a line feed, a tab and a quote; the output escapes the
// first four the same way, so that an observation is always one line.
//
// Steps:
//   timeout SECONDS            how long later waits may take (default 10)
//   env NAME VALUE             environment variable of updaters started later
//   reg-delete KEY             delete KEY (HKCU\... or HKLM\...) with its subkeys
//   reg-sz KEY NAME VALUE      set a string value (creating the key)
//   reg-dword KEY NAME NUMBER  set a 32-bit value
//   reg-hex KEY NAME HEX       set a binary value from hex digits ("" for none)
//   start PATH                 start the updater (a Windows path, or a Unix path)
//   start-second PATH          start a second updater
//   wait-dialog CAPTION        wait for the wizard (a dialog with control 1001)
//   print-status               -> status TEXT
//   expect-status TEXT         wait until the status line reads TEXT -> status TEXT
//   print-state                -> state 1=.. 2=.. 4=.. 1000=.. 1002=.. 1003=.. label=TEXT
//   print-text ID              -> text ID TEXT (the content of a control)
//   print-title                -> title CAPTION of the wizard
//   click ID                   press a button of the wizard; a button that a
//                              user could not press is not pressed:
//                              -> refused click ID (disabled|hidden|missing|dialog disabled)
//   close-dialog               the wizard's close box
//   wait-box CAPTION           wait for a message box
//                              -> box caption=.. text=.. buttons=.. icon=yes|no owner=dialog|none|other
//   answer ok|cancel|close     press the box's OK or Cancel button, or its close box
//   wait-exit [second]         wait for the updater to end -> exit [second] CODE
//   start-window [--hidden] CLASS TITLE   a window of the driver's own (the game)
//   close-window TITLE         close that window
//   print-window TITLE         -> window TITLE visible|hidden foreground|background
//   print-foreground           -> foreground CAPTION (or: foreground none)
//   print-exists PATH          -> exists PATH yes|no (a file or folder, as Windows sees it)
//   print-files FOLDER         -> files NAME... (the folder's entries in sorted
//                              order; an updater's process id in a name reads
//                              {pid}, the second updater's {pid2})
//   write-file PATH TEXT       create or replace PATH with the UTF-8 bytes of TEXT
//                              (a user inserting a disc or making room)
//   delete-file PATH           delete the file PATH
//   hold-file PATH             keep PATH open for reading, sharing reading only
//   release-file PATH          close it again
//   sleep MS
//   screenshot FILE            the whole screen as a BMP file
//
// A step that cannot be done prints "error STEP: reason" and a list of the
// updater's visible windows, and ends the script. Updaters still running at
// the end are ended and reported as "killed [second]". Exit status: 0 when
// every step was done, 1 when a step failed, 2 for a bad command line, 3
// when the deadline (default 120 s) ran out.
#include <windows.h>

#include <ctype.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "tests/e2e/driver/driver_text.h"
#include "tests/e2e/driver/driver_windows.h"

namespace {

CRITICAL_SECTION OutputLock;

void Emit(const std::string& line) {
  EnterCriticalSection(&OutputLock);
  std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), (DWORD)bytes.size(), &written, nullptr);
  LeaveCriticalSection(&OutputLock);
}

struct Updater {
  const char* label;  // "" or " second", as the output names it
  PROCESS_INFORMATION info;
  bool started;
  bool ended;
};

Updater First = {"", {}, false, false};
Updater Second = {" second", {}, false, false};

DWORD WaitMs = 10000;
std::map<std::wstring, std::wstring> EnvironmentOverrides;
HWND Dialog = nullptr;
HWND Box = nullptr;
std::set<HWND> AnsweredBoxes;
std::map<std::string, HANDLE> HeldFiles;

struct StepError {
  std::string reason;
};

std::set<DWORD> UpdaterProcesses() {
  std::set<DWORD> ids;
  if (First.started) ids.insert(First.info.dwProcessId);
  if (Second.started) ids.insert(Second.info.dwProcessId);
  return ids;
}

// ---- the driver's own windows (the running game) --------------------------

#define GAME_CREATE (WM_APP + 1)

struct GameRequest {
  std::wstring className;
  std::wstring title;
  bool hidden;
  HWND window;
  HANDLE done;
};

DWORD GameThreadId = 0;
HANDLE GameThreadReady = nullptr;
std::map<std::string, HWND> GameWindows;

LRESULT CALLBACK GameWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(window, message, wparam, lparam);
}

// The game windows live on a thread of their own that does nothing but
// answer their messages, so that the updater's ShowWindow and
// SetForegroundWindow on them never wait for the script.
DWORD WINAPI GameThread(void*) {
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // creates the queue
  SetEvent(GameThreadReady);
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.hwnd == nullptr && msg.message == GAME_CREATE) {
      GameRequest* request = (GameRequest*)msg.lParam;
      WNDCLASSW wc = {};
      wc.lpfnWndProc = GameWindowProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
      wc.lpszClassName = request->className.c_str();
      RegisterClassW(&wc);  // fails harmlessly when the class exists
      request->window = CreateWindowExW(
          0, request->className.c_str(), request->title.c_str(),
          WS_OVERLAPPEDWINDOW | (request->hidden ? 0 : WS_VISIBLE), 40, 40, 320, 200, nullptr,
          nullptr, GetModuleHandleW(nullptr), nullptr);
      SetEvent(request->done);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}

void EnsureGameThread() {
  if (GameThreadId) return;
  GameThreadReady = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  HANDLE thread = CreateThread(nullptr, 0, GameThread, nullptr, 0, &GameThreadId);
  if (!thread) throw StepError{"cannot start the window thread"};
  CloseHandle(thread);
  WaitForSingleObject(GameThreadReady, INFINITE);
}

// ---- descriptions of what is on the screen ---------------------------------

std::string DescribeBox(HWND box) {
  std::string line = "caption=" + EscapeText(WindowTextUtf8(box));
  HWND text = GetDlgItem(box, MESSAGE_BOX_TEXT_ID);
  line += " text=" + EscapeText(text ? WindowTextUtf8(text) : std::string());
  static const struct {
    int id;
    const char* name;
  } buttons[] = {{IDOK, "OK"},       {IDCANCEL, "CANCEL"}, {IDABORT, "ABORT"}, {IDRETRY, "RETRY"},
                 {IDIGNORE, "IGNORE"}, {IDYES, "YES"},       {IDNO, "NO"}};
  std::string names;
  for (const auto& button : buttons) {
    HWND control = GetDlgItem(box, button.id);
    if (control && IsWindowVisible(control)) {
      if (!names.empty()) names += ",";
      names += button.name;
    }
  }
  line += " buttons=" + names;
  // The icon is a static control; its id differs between systems.
  bool icon = false;
  for (int id : {0x14, 0x440}) {
    HWND control = GetDlgItem(box, id);
    if (control && IsWindowVisible(control) && SendMessageW(control, STM_GETICON, 0, 0)) icon = true;
  }
  line += icon ? " icon=yes" : " icon=no";
  HWND owner = GetWindow(box, GW_OWNER);
  line += owner == nullptr ? " owner=none" : (Dialog && owner == Dialog) ? " owner=dialog"
                                                                         : " owner=other";
  return line;
}

std::string DescribeWindow(HWND window) {
  if (GetDlgItem(window, MESSAGE_BOX_TEXT_ID)) return "box " + DescribeBox(window);
  if (GetDlgItem(window, WIZARD_STATUS_ID))
    return "dialog caption=" + EscapeText(WindowTextUtf8(window)) +
           " status=" + EscapeText(WindowTextUtf8(GetDlgItem(window, WIZARD_STATUS_ID)));
  wchar_t className[128] = L"";
  GetClassNameW(window, className, 128);
  return "other class=" + Utf8FromWide(className) +
         " caption=" + EscapeText(WindowTextUtf8(window));
}

void ListVisibleWindows() {
  for (HWND window : VisibleWindowsOf(UpdaterProcesses()))
    Emit("visible " + DescribeWindow(window));
}

// ---- waiting ---------------------------------------------------------------

bool ProcessEnded(Updater& updater) {
  return updater.started && WaitForSingleObject(updater.info.hProcess, 0) == WAIT_OBJECT_0;
}

// Polls `found` until it gives a window; fails on the timeout, or when every
// updater has ended, since then nothing more can appear.
template <typename Probe>
HWND WaitForWindow(Probe found, const char* what) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND window = found();
    if (window) return window;
    bool anyRunning = (First.started && !ProcessEnded(First)) || (Second.started && !ProcessEnded(Second));
    if (!anyRunning) {
      // One last look: the window may have come just before the end.
      window = found();
      if (window) return window;
      throw StepError{std::string("the updater ended without showing ") + what};
    }
    if (GetTickCount() - start > WaitMs) throw StepError{std::string("timed out waiting for ") + what};
    Sleep(10);
  }
}

void Settle(HWND window) {
  if (!SettleWindow(window, WaitMs)) {
    if (!IsWindow(window)) return;  // it has ended meanwhile: nothing to wait for
    throw StepError{"the window did not handle its messages in time"};
  }
}

HWND CurrentDialog() {
  if (!Dialog || !IsWindow(Dialog)) throw StepError{"no wizard dialog"};
  return Dialog;
}

HWND CurrentBox() {
  if (!Box || !IsWindow(Box)) throw StepError{"no message box"};
  return Box;
}

// ---- steps -----------------------------------------------------------------

HKEY ParseKey(const std::string& path, std::wstring* subkey) {
  size_t slash = path.find('\\');
  std::string root = path.substr(0, slash);
  *subkey = slash == std::string::npos ? std::wstring() : WideFromUtf8(path.substr(slash + 1));
  if (root == "HKCU" || root == "HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  if (root == "HKLM" || root == "HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  throw StepError{"unknown registry root " + root};
}

void SetRegistryValue(const std::string& key, const std::string& name, DWORD type,
                      const void* data, DWORD size) {
  std::wstring subkey;
  HKEY root = ParseKey(key, &subkey);
  HKEY handle;
  if (RegCreateKeyExW(root, subkey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr))
    throw StepError{"cannot create the key"};
  LONG result = RegSetValueExW(handle, WideFromUtf8(name).c_str(), 0, type, (const BYTE*)data, size);
  RegCloseKey(handle);
  if (result) throw StepError{"cannot set the value"};
}

std::wstring WindowsPath(const std::string& path) {
  std::wstring wide = WideFromUtf8(path);
  if (!wide.empty() && wide[0] == L'/') {
    // Wine shows the Unix root as drive Z:.
    for (wchar_t& c : wide)
      if (c == L'/') c = L'\\';
    wide = L"Z:" + wide;
  }
  return wide;
}

std::wstring EnvironmentBlock() {
  std::map<std::wstring, std::wstring> variables;
  std::map<std::wstring, std::wstring> spelled;  // upper-case name -> name as given
  wchar_t* all = GetEnvironmentStringsW();
  for (wchar_t* entry = all; *entry; entry += lstrlenW(entry) + 1) {
    std::wstring item(entry);
    size_t equals = item.find(L'=', 1);  // names like "=C:" start with '='
    if (equals == std::wstring::npos) continue;
    std::wstring name = item.substr(0, equals);
    std::wstring upper = name;
    CharUpperW(&upper[0]);
    variables[upper] = item.substr(equals + 1);
    spelled[upper] = name;
  }
  FreeEnvironmentStringsW(all);
  for (const auto& pair : EnvironmentOverrides) {
    std::wstring upper = pair.first;
    CharUpperW(&upper[0]);
    variables[upper] = pair.second;
    spelled[upper] = pair.first;
  }
  std::wstring block;
  for (const auto& pair : variables) {
    block += spelled[pair.first] + L"=" + pair.second;
    block += L'\0';
  }
  block += L'\0';
  return block;
}

void StartUpdater(Updater& updater, const std::string& path) {
  if (updater.started) throw StepError{"already started"};
  std::wstring program = WindowsPath(path);
  std::wstring folder = program.substr(0, program.find_last_of(L'\\') + 1);
  std::wstring commandLine = L"\"" + program + L"\"";
  std::wstring environment = EnvironmentBlock();
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!CreateProcessW(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE,
                      CREATE_UNICODE_ENVIRONMENT, &environment[0],
                      folder.empty() ? nullptr : folder.c_str(), &startup, &updater.info))
    throw StepError{"cannot start " + path + " (error " + std::to_string(GetLastError()) + ")"};
  updater.started = true;
}

void WaitExit(Updater& updater) {
  if (!updater.started) throw StepError{"not started"};
  if (WaitForSingleObject(updater.info.hProcess, WaitMs) != WAIT_OBJECT_0)
    throw StepError{"timed out waiting for the end of the updater"};
  DWORD code = 0;
  GetExitCodeProcess(updater.info.hProcess, &code);
  updater.ended = true;
  Emit(std::string("exit") + updater.label + " " + std::to_string((long)code));
}

int ParseNumber(const std::string& word) {
  char* end = nullptr;
  long value = strtol(word.c_str(), &end, 0);
  if (word.empty() || *end) throw StepError{"not a number: " + word};
  return (int)value;
}

std::string NextWord(std::string* args, const char* what) {
  std::string word;
  if (!TakeWord(args, &word)) throw StepError{std::string("missing ") + what};
  return word;
}

// Writes the updaters' process ids in `text` as {pid} and {pid2}, where they
// stand as whole numbers.
std::string WithProcessIds(const std::string& text) {
  std::string out;
  size_t i = 0;
  while (i < text.size()) {
    if (!isdigit((unsigned char)text[i])) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && isdigit((unsigned char)text[end])) end++;
    std::string number = text.substr(i, end - i);
    if (First.started && number == std::to_string(First.info.dwProcessId))
      out += "{pid}";
    else if (Second.started && number == std::to_string(Second.info.dwProcessId))
      out += "{pid2}";
    else
      out += number;
    i = end;
  }
  return out;
}

// The foreground window once it has settled: a change of the foreground
// goes through the X server and the virtual desktop, so for a moment there
// may be none, or still the old one. Waits until the same window has held
// the foreground for 100 ms (one second at most).
HWND SettledForeground() {
  DWORD start = GetTickCount();
  HWND last = GetForegroundWindow();
  DWORD since = start;
  for (;;) {
    Sleep(20);
    HWND now = GetForegroundWindow();
    if (now != last) {
      last = now;
      since = GetTickCount();
    } else if (now && GetTickCount() - since >= 100) {
      return now;
    }
    if (GetTickCount() - start > 1000) return now;
  }
}

void Click(int id) {
  HWND dialog = CurrentDialog();
  std::string why;
  if (!CanPress(dialog, id, &why)) {
    Emit("refused click " + std::to_string(id) + " (" + why + ")");
    return;
  }
  // Posted like a mouse click: a sent command would keep the driver waiting
  // for the whole handler, message boxes included.
  PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dialog, id));
  Sleep(10);  // time for the dialog's thread to fetch the command
  Settle(dialog);
}

void Answer(const std::string& how) {
  HWND box = CurrentBox();
  if (how == "close") {
    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  } else {
    int id = how == "ok" ? IDOK : how == "cancel" ? IDCANCEL : 0;
    if (!id) throw StepError{"answer ok, cancel or close"};
    HWND button = GetDlgItem(box, id);
    if (!button || !IsWindowVisible(button)) throw StepError{"the box has no such button"};
    PostMessageW(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)button);
  }
  AnsweredBoxes.insert(box);
  DWORD start = GetTickCount();
  while (IsWindow(box) && IsWindowVisible(box)) {
    if (GetTickCount() - start > WaitMs) throw StepError{"the box did not close"};
    Sleep(5);
  }
  Box = nullptr;
  if (Dialog && IsWindow(Dialog)) Settle(Dialog);
}

void Screenshot(const std::string& file) {
  // The windows paint when their threads get round to it; give them time.
  if (Dialog && IsWindow(Dialog)) RedrawWindow(Dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  Sleep(300);
  HDC screen = GetDC(nullptr);
  int width = GetSystemMetrics(SM_CXVIRTUALSCREEN), height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  DWORD rowBytes = ((DWORD)width * 3 + 3) & ~3u;
  DWORD imageSize = rowBytes * (DWORD)height;
  BITMAPFILEHEADER header = {};
  header.bfType = 0x4D42;
  header.bfOffBits = sizeof header + sizeof info.bmiHeader;
  header.bfSize = header.bfOffBits + imageSize;
  HANDLE out = CreateFileW(WindowsPath(file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  bool ok = out != INVALID_HANDLE_VALUE;
  if (ok) {
    DWORD written;
    ok = WriteFile(out, &header, sizeof header, &written, nullptr) &&
         WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &written, nullptr) &&
         WriteFile(out, bits, imageSize, &written, nullptr);
    CloseHandle(out);
  }
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  if (!ok) throw StepError{"cannot write " + file};
}

void RunStep(const std::string& line) {
  std::string args = line;
  std::string step;
  if (!TakeWord(&args, &step)) return;

  if (step == "timeout") {
    WaitMs = (DWORD)ParseNumber(NextWord(&args, "seconds")) * 1000u;
  } else if (step == "env") {
    std::string name = NextWord(&args, "name");
    EnvironmentOverrides[WideFromUtf8(name)] = WideFromUtf8(RestText(args));
  } else if (step == "reg-delete") {
    std::wstring subkey;
    HKEY root = ParseKey(RestText(args), &subkey);
    LONG result = RegDeleteTreeW(root, subkey.c_str());
    if (result && result != ERROR_FILE_NOT_FOUND) throw StepError{"cannot delete the key"};
  } else if (step == "reg-sz") {
    std::string key = NextWord(&args, "key");
    std::string name = NextWord(&args, "name");
    std::wstring value = WideFromUtf8(RestText(args));
    SetRegistryValue(key, name, REG_SZ, value.c_str(), (DWORD)((value.size() + 1) * sizeof(wchar_t)));
  } else if (step == "reg-dword") {
    std::string key = NextWord(&args, "key");
    std::string name = NextWord(&args, "name");
    DWORD value = (DWORD)ParseNumber(NextWord(&args, "number"));
    SetRegistryValue(key, name, REG_DWORD, &value, sizeof value);
  } else if (step == "reg-hex") {
    std::string key = NextWord(&args, "key");
    std::string name = NextWord(&args, "name");
    std::string hex;
    TakeWord(&args, &hex);
    std::vector<BYTE> bytes;
    for (size_t i = 0; i + 1 < hex.size(); i += 2)
      bytes.push_back((BYTE)strtoul(hex.substr(i, 2).c_str(), nullptr, 16));
    SetRegistryValue(key, name, REG_BINARY, bytes.data(), (DWORD)bytes.size());
  } else if (step == "start") {
    StartUpdater(First, RestText(args));
  } else if (step == "start-second") {
    StartUpdater(Second, RestText(args));
  } else if (step == "wait-dialog") {
    std::string caption = RestText(args);
    std::set<DWORD> processes = UpdaterProcesses();
    std::set<HWND> none;
    Dialog = WaitForWindow(
        [&] { return FindDialogWindow(caption, WIZARD_STATUS_ID, processes, none); },
        "the wizard");
    Settle(Dialog);
    Emit("dialog " + EscapeText(WindowTextUtf8(Dialog)));
  } else if (step == "print-status") {
    Emit("status " + EscapeText(WindowTextUtf8(GetDlgItem(CurrentDialog(), WIZARD_STATUS_ID))));
  } else if (step == "expect-status") {
    std::string wanted = RestText(args);
    HWND status = GetDlgItem(CurrentDialog(), WIZARD_STATUS_ID);
    DWORD start = GetTickCount();
    std::string seen;
    while ((seen = WindowTextUtf8(status)) != wanted) {
      if (GetTickCount() - start > WaitMs)
        throw StepError{"timed out; the status line reads " + seen};
      Sleep(10);
    }
    Emit("status " + EscapeText(seen));
  } else if (step == "print-state") {
    HWND dialog = CurrentDialog();
    Settle(dialog);
    std::string state = "state";
    for (int id : {1, 2, 4, 1000, 1002, 1003})
      state += " " + std::to_string(id) + "=" + ControlState(dialog, id);
    HWND next = GetDlgItem(dialog, IDOK);
    state += " label=" + EscapeText(next ? WindowTextUtf8(next) : std::string());
    Emit(state);
  } else if (step == "print-text") {
    int id = ParseNumber(NextWord(&args, "control id"));
    HWND control = GetDlgItem(CurrentDialog(), id);
    if (!control) throw StepError{"no control " + std::to_string(id)};
    Emit("text " + std::to_string(id) + " " + EscapeText(WindowTextUtf8(control)));
  } else if (step == "print-title") {
    Emit("title " + EscapeText(WindowTextUtf8(CurrentDialog())));
  } else if (step == "click") {
    Click(ParseNumber(NextWord(&args, "control id")));
  } else if (step == "close-dialog") {
    HWND dialog = CurrentDialog();
    PostMessageW(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    Settle(dialog);
  } else if (step == "wait-box") {
    std::string caption = RestText(args);
    std::set<DWORD> processes = UpdaterProcesses();
    Box = WaitForWindow(
        [&] { return FindDialogWindow(caption, MESSAGE_BOX_TEXT_ID, processes, AnsweredBoxes); },
        "the message box");
    Settle(Box);
    Emit("box " + DescribeBox(Box));
  } else if (step == "answer") {
    Answer(NextWord(&args, "ok, cancel or close"));
  } else if (step == "wait-exit") {
    std::string which;
    TakeWord(&args, &which);
    WaitExit(which == "second" ? Second : First);
  } else if (step == "start-window") {
    std::string className = NextWord(&args, "class");
    bool hidden = false;
    if (className == "--hidden") {
      hidden = true;
      className = NextWord(&args, "class");
    }
    std::string title = RestText(args);
    EnsureGameThread();
    GameRequest request = {WideFromUtf8(className), WideFromUtf8(title), hidden, nullptr,
                           CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    PostThreadMessageW(GameThreadId, GAME_CREATE, 0, (LPARAM)&request);
    WaitForSingleObject(request.done, INFINITE);
    CloseHandle(request.done);
    if (!request.window) throw StepError{"cannot create the window"};
    GameWindows[title] = request.window;
  } else if (step == "close-window") {
    std::string title = RestText(args);
    auto found = GameWindows.find(title);
    if (found == GameWindows.end()) throw StepError{"no window " + title};
    PostMessageW(found->second, WM_CLOSE, 0, 0);
    DWORD start = GetTickCount();
    while (IsWindow(found->second)) {
      if (GetTickCount() - start > WaitMs) throw StepError{"the window did not close"};
      Sleep(5);
    }
    GameWindows.erase(found);
  } else if (step == "print-window") {
    std::string title = RestText(args);
    auto found = GameWindows.find(title);
    if (found == GameWindows.end()) throw StepError{"no window " + title};
    HWND foreground = SettledForeground();
    Emit("window " + EscapeText(title) + (IsWindowVisible(found->second) ? " visible" : " hidden") +
         (foreground == found->second ? " foreground" : " background"));
  } else if (step == "print-foreground") {
    HWND window = SettledForeground();
    Emit(window ? "foreground " + EscapeText(WindowTextUtf8(window)) : "foreground none");
  } else if (step == "print-exists") {
    std::string path = RestText(args);
    DWORD attributes = GetFileAttributesW(WindowsPath(path).c_str());
    Emit("exists " + EscapeText(path) + (attributes == INVALID_FILE_ATTRIBUTES ? " no" : " yes"));
  } else if (step == "print-files") {
    std::wstring pattern = WindowsPath(RestText(args)) + L"\\*";
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.push_back(WithProcessIds(Utf8FromWide(name)));
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    std::sort(names.begin(), names.end());
    std::string listing = "files";
    for (const std::string& name : names) listing += " " + EscapeText(name);
    Emit(listing);
  } else if (step == "write-file") {
    std::string path = NextWord(&args, "path");
    std::string bytes = RestText(args);
    HANDLE file = CreateFileW(WindowsPath(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw StepError{"cannot create " + path};
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != bytes.size()) throw StepError{"cannot write " + path};
  } else if (step == "delete-file") {
    std::string path = RestText(args);
    if (!DeleteFileW(WindowsPath(path).c_str()))
      throw StepError{"cannot delete " + path + " (error " + std::to_string(GetLastError()) + ")"};
  } else if (step == "hold-file") {
    std::string path = RestText(args);
    HANDLE file = CreateFileW(WindowsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) throw StepError{"cannot open " + path};
    HeldFiles[path] = file;
  } else if (step == "release-file") {
    std::string path = RestText(args);
    auto found = HeldFiles.find(path);
    if (found == HeldFiles.end()) throw StepError{"not held: " + path};
    CloseHandle(found->second);
    HeldFiles.erase(found);
  } else if (step == "sleep") {
    Sleep((DWORD)ParseNumber(NextWord(&args, "milliseconds")));
  } else if (step == "screenshot") {
    Screenshot(RestText(args));
  } else {
    throw StepError{"unknown step"};
  }
}

void EndUpdaters() {
  for (Updater* updater : {&First, &Second}) {
    if (!updater->started || updater->ended) continue;
    if (WaitForSingleObject(updater->info.hProcess, 0) != WAIT_OBJECT_0) {
      TerminateProcess(updater->info.hProcess, 99);
      WaitForSingleObject(updater->info.hProcess, 5000);
      Emit(std::string("killed") + updater->label);
    }
  }
}

DWORD DeadlineMs = 120000;

DWORD WINAPI Watchdog(void*) {
  Sleep(DeadlineMs);
  Emit("error deadline: the script took longer than " + std::to_string(DeadlineMs / 1000) + " s");
  ListVisibleWindows();
  EndUpdaters();
  ExitProcess(3);
}

bool ReadScriptFile(const std::wstring& path, std::vector<std::string>* steps) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string content;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) content.append(buffer, got);
  CloseHandle(file);
  size_t start = 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string::npos) end = content.size();
    std::string line = content.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') steps->push_back(line);
    start = end + 1;
  }
  return true;
}

}  // namespace

int main() {
  InitializeCriticalSection(&OutputLock);
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::string> steps;
  for (int i = 1; i < argc; i++) {
    std::wstring arg = argv[i];
    if (arg == L"--deadline" && i + 1 < argc) {
      DeadlineMs = (DWORD)_wtoi(argv[++i]) * 1000u;
    } else if (!arg.empty() && arg[0] == L'@') {
      if (!ReadScriptFile(WindowsPath(Utf8FromWide(arg.substr(1))), &steps)) {
        Emit("error: cannot read the script " + Utf8FromWide(arg.substr(1)));
        return 2;
      }
    } else {
      steps.push_back(Utf8FromWide(arg));
    }
  }
  if (steps.empty()) {
    Emit("error: no steps (usage: e2e_driver.exe [--deadline SECONDS] STEP... | @SCRIPT)");
    return 2;
  }
  // The updater's texts are Shift-JIS; they only read right (and only then
  // compare equal to the UTF-8 of the tests) under that code page.
  if (GetACP() != 932) {
    Emit("error: the system code page is " + std::to_string(GetACP()) + ", not 932");
    return 2;
  }
  HANDLE watchdog = CreateThread(nullptr, 0, Watchdog, nullptr, 0, nullptr);
  if (watchdog) CloseHandle(watchdog);

  int status = 0;
  for (const std::string& line : steps) {
    try {
      RunStep(line);
    } catch (const StepError& error) {
      std::string step = line.substr(0, line.find(' '));
      Emit("error " + step + ": " + EscapeText(error.reason));
      ListVisibleWindows();
      status = 1;
      break;
    }
  }
  EndUpdaters();
  for (auto& held : HeldFiles) CloseHandle(held.second);
  return status;
}
