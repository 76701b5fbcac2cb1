// updater_probe PROGRAM EXIT_STATUS [BOX_TEXT]
//
// Starts PROGRAM (an updater) and watches the windows it shows until it
// ends. With BOX_TEXT, the program must show exactly one message box with
// that text, which the probe answers with OK; any other visible window of
// the program is a failure (it is closed, so that the program can end). The
// program must end within 45 seconds with the exit status EXIT_STATUS.
// Exit status of the probe: 0 when all of this held, 1 otherwise.
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

namespace {

struct Watch {
  DWORD ProcessId;
  const char* BoxText;
  int BoxesAnswered;
  int OtherWindows;
};

struct TextSearch {
  const char* Wanted;
  int Found;
};

// Looks for the wanted text among a window's static controls; with no
// wanted text, prints every static text (what an unexpected box says).
BOOL CALLBACK FindStaticText(HWND child, LPARAM parameter) {
  TextSearch* search = reinterpret_cast<TextSearch*>(parameter);
  char className[32];
  char text[1024];
  GetClassNameA(child, className, sizeof className);
  if (lstrcmpiA(className, "Static") == 0 &&
      GetWindowTextA(child, text, sizeof text) > 0) {
    if (search->Wanted == 0) {
      printf("probe:   text \"%s\"\n", text);
    } else if (strcmp(text, search->Wanted) == 0) {
      search->Found = 1;
    }
  }
  return TRUE;
}

// Windows already dealt with, so that a window that takes a moment to close
// is not counted twice.
HWND Handled[64];
int HandledCount = 0;

int AlreadyHandled(HWND window) {
  for (int i = 0; i < HandledCount; ++i) {
    if (Handled[i] == window) return 1;
  }
  if (HandledCount < 64) Handled[HandledCount++] = window;
  return 0;
}

BOOL CALLBACK LookAtWindow(HWND window, LPARAM parameter) {
  Watch* watch = reinterpret_cast<Watch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner != watch->ProcessId || !IsWindowVisible(window)) return TRUE;
  if (AlreadyHandled(window)) return TRUE;
  char className[64];
  char caption[1024];
  GetClassNameA(window, className, sizeof className);
  GetWindowTextA(window, caption, sizeof caption);
  if (watch->BoxText != 0 && strcmp(className, "#32770") == 0) {
    TextSearch search = {watch->BoxText, 0};
    EnumChildWindows(window, FindStaticText, reinterpret_cast<LPARAM>(&search));
    if (search.Found) {
      printf("probe: box \"%s\" with the expected text; answering OK\n",
             caption);
      ++watch->BoxesAnswered;
      PostMessageA(window, WM_COMMAND, IDOK, 0);
      return TRUE;
    }
  }
  printf("probe: unexpected window of class %s, caption \"%s\"\n", className,
         caption);
  TextSearch texts = {0, 0};
  EnumChildWindows(window, FindStaticText, reinterpret_cast<LPARAM>(&texts));
  ++watch->OtherWindows;
  PostMessageA(window, WM_COMMAND, IDCANCEL, 0);
  PostMessageA(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    printf("usage: updater_probe PROGRAM EXIT_STATUS [BOX_TEXT]\n");
    return 2;
  }
  const char* program = argv[1];
  DWORD expectedStatus = static_cast<DWORD>(strtoul(argv[2], 0, 10));
  char commandLine[MAX_PATH + 2];
  lstrcpynA(commandLine, program, MAX_PATH);

  STARTUPINFOA startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process;
  if (!CreateProcessA(program, commandLine, 0, 0, FALSE, 0, 0, 0, &startup,
                      &process)) {
    printf("probe: cannot start %s (error %lu)\n", program, GetLastError());
    return 1;
  }
  Watch watch = {process.dwProcessId, argc == 4 ? argv[3] : 0, 0, 0};
  int ended = 0;
  for (int tick = 0; tick < 450 && !ended; ++tick) {
    ended = WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0;
    EnumWindows(LookAtWindow, reinterpret_cast<LPARAM>(&watch));
  }
  int failed = 0;
  if (!ended) {
    printf("probe: %s did not end within 45 seconds\n", program);
    TerminateProcess(process.hProcess, 255);
    WaitForSingleObject(process.hProcess, 5000);
    failed = 1;
  }
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  printf(
      "probe: exit status %lu (expected %lu), %d box(es) answered, %d "
      "other window(s)\n",
      status, expectedStatus, watch.BoxesAnswered, watch.OtherWindows);
  if (ended && status != expectedStatus) failed = 1;
  if (watch.OtherWindows != 0) failed = 1;
  if (watch.BoxText != 0 && watch.BoxesAnswered != 1) failed = 1;
  return failed;
}
