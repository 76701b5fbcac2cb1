// Message boxes of the simulated Windows: every box is recorded and answered
// from the test's queue of answers, or as a user pressing Enter would (OK
// on an OK box, Cancel on an OK/Cancel box, as the tests want the cautious
// answer by default). While a box is up it is a top-level window of the
// dialog class carrying its caption, as on Windows, so a hook may find it.
#include <string.h>

#include <deque>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static std::deque<HostMessageBoxRecord> boxes;
static std::deque<int> answers;
static void (*boxHook)(const HostMessageBoxRecord* box) = 0;

void HostResetMessageBoxes() {
  boxes.clear();
  answers.clear();
  boxHook = 0;
}

void HostQueueMessageBoxAnswer(int answer) { answers.push_back(answer); }
int HostMessageBoxCount() { return (int)boxes.size(); }

const HostMessageBoxRecord* HostMessageBox(int index) {
  if (index < 0 || index >= (int)boxes.size()) return 0;
  return &boxes[(size_t)index];
}

void HostSetMessageBoxHook(void (*hook)(const HostMessageBoxRecord* box)) {
  boxHook = hook;
}

static void CopyText(char* out, size_t size, const char* text) {
  if (text == 0) text = "";
  size_t length = strlen(text);
  if (length > size - 1) length = size - 1;
  memcpy(out, text, length);
  out[length] = 0;
}

int SysMessageBox(SysWindow owner, const char* text, const char* caption,
                  uint32_t style) {
  boxes.emplace_back();
  HostMessageBoxRecord& box = boxes.back();
  memset(&box, 0, sizeof box);
  CopyText(box.Text, sizeof box.Text, text);
  // MessageBoxA shows "Error" for a null caption.
  CopyText(box.Caption, sizeof box.Caption, caption ? caption : "Error");
  box.Owner = owner;
  box.Style = style;
  SysWindow shown = HostDeclareWindow(SYS_DIALOG_CLASS, box.Caption);
  if (boxHook) boxHook(&box);
  HostRemoveWindow(shown);
  int answer;
  if (!answers.empty()) {
    answer = answers.front();
    answers.pop_front();
  } else {
    answer = (style & 0xFu) == SYS_MB_OKCANCEL ? SYS_IDCANCEL : SYS_IDOK;
  }
  box.Answer = answer;
  return answer;
}
