#include "tests/e2e/driver/driver_windows.h"

#include "tests/e2e/driver/driver_text.h"

#define DIALOG_CLASS_ATOM ((LPCWSTR)(ULONG_PTR)0x8002)

static bool SendQuery(HWND window, UINT message, WPARAM wparam, LPARAM lparam, DWORD_PTR* result) {
  *result = 0;
  return SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                             WINDOW_QUERY_MS, result) != 0;
}

std::string WindowTextUtf8(HWND window) {
  DWORD_PTR length = 0;
  if (!SendQuery(window, WM_GETTEXTLENGTH, 0, 0, &length)) return std::string();
  std::wstring text(length + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendQuery(window, WM_GETTEXT, (WPARAM)text.size(), (LPARAM)&text[0], &copied))
    return std::string();
  if (copied > length) copied = length;
  text.resize(copied);
  return Utf8FromWide(text);
}

// The caption of a top-level window as the system keeps it (no message is
// sent, so a busy window does not slow the search down).
static std::string CaptionUtf8(HWND window) {
  wchar_t buffer[1100];
  int length = GetWindowTextW(window, buffer, (int)(sizeof buffer / sizeof buffer[0]));
  if (length <= 0) return std::string();
  return Utf8FromWide(std::wstring(buffer, (size_t)length));
}

namespace {
struct Search {
  const std::string* caption;
  int marker;
  const std::set<DWORD>* processes;
  const std::set<HWND>* skip;
  HWND found;
};
}  // namespace

static BOOL CALLBACK ConsiderWindow(HWND window, LPARAM param) {
  Search* search = (Search*)param;
  if (!IsWindowVisible(window) || search->skip->count(window)) return TRUE;
  if (!search->processes->empty()) {
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (!search->processes->count(process)) return TRUE;
  }
  wchar_t className[64];
  if (!GetClassNameW(window, className, 64) || lstrcmpW(className, L"#32770") != 0) return TRUE;
  if (!GetDlgItem(window, search->marker)) return TRUE;
  if (CaptionUtf8(window) != *search->caption) return TRUE;
  search->found = window;
  return FALSE;
}

HWND FindDialogWindow(const std::string& caption, int marker, const std::set<DWORD>& processes,
                      const std::set<HWND>& skip) {
  Search search = {&caption, marker, &processes, &skip, nullptr};
  EnumWindows(ConsiderWindow, (LPARAM)&search);
  return search.found;
}

namespace {
struct Listing {
  const std::set<DWORD>* processes;
  std::vector<HWND> windows;
};
}  // namespace

static BOOL CALLBACK ListWindow(HWND window, LPARAM param) {
  Listing* listing = (Listing*)param;
  if (!IsWindowVisible(window)) return TRUE;
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (listing->processes->count(process)) listing->windows.push_back(window);
  return TRUE;
}

std::vector<HWND> VisibleWindowsOf(const std::set<DWORD>& processes) {
  Listing listing = {&processes, {}};
  if (!processes.empty()) EnumWindows(ListWindow, (LPARAM)&listing);
  return listing.windows;
}

std::string ControlState(HWND dialog, int id) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) return "none";
  std::string state;
  if (!IsWindowVisible(control))
    state = "hidden";
  else
    state = IsWindowEnabled(control) ? "on" : "off";
  wchar_t className[16];
  if (GetClassNameW(control, className, 16) && lstrcmpiW(className, L"Button") == 0) {
    LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
    bool checkable = type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON ||
                     type == BS_CHECKBOX || type == BS_AUTOCHECKBOX;
    DWORD_PTR check = 0;
    if (checkable && SendQuery(control, BM_GETCHECK, 0, 0, &check) && check == BST_CHECKED)
      state += "/checked";
  }
  return state;
}

bool CanPress(HWND dialog, int id, std::string* why) {
  HWND control = GetDlgItem(dialog, id);
  if (!control) {
    *why = "missing";
    return false;
  }
  if (!IsWindowVisible(control)) {
    *why = "hidden";
    return false;
  }
  if (!IsWindowEnabled(control)) {
    *why = "disabled";
    return false;
  }
  if (!IsWindowEnabled(dialog)) {
    *why = "dialog disabled";
    return false;
  }
  return true;
}

bool SettleWindow(HWND window, DWORD timeoutMs) {
  // Three round trips of an empty sent message. The window's thread handles
  // sent messages before posted ones, so one round trip can overtake a
  // command posted just before; but right after answering, the thread is
  // running and fetches the posted command before the next round trip
  // arrives. A thread that handles the command in a nested modal loop (a
  // message box) answers from there.
  for (int round = 0; round < 3; round++) {
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs,
                             &ignored))
      return false;
  }
  return true;
}
