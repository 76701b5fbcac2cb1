// Message boxes, windows and the dialog driver of the simulated Windows.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/host/host_control.h"

namespace {

class UiTest : public ::testing::Test {
 protected:
  void SetUp() override { HostReset(); }
  void TearDown() override { HostReset(); }
};

TEST_F(UiTest, MessageBoxesAreRecordedAndAnsweredInOrder) {
  HostQueueMessageBoxAnswer(SYS_IDOK);
  HostQueueMessageBoxAnswer(SYS_IDCANCEL);
  SysWindow owner = HostDeclareWindow("Owner", "o");
  EXPECT_EQ(SysMessageBox(owner, "first", "Cap", SYS_MB_OKCANCEL), SYS_IDOK);
  EXPECT_EQ(SysMessageBox(nullptr, "second", "Cap", SYS_MB_OK), SYS_IDCANCEL);
  // With the queue empty: OK boxes get OK, OK/Cancel boxes get Cancel.
  EXPECT_EQ(
      SysMessageBox(nullptr, "third", "Cap", SYS_MB_OK | SYS_MB_ICONERROR),
      SYS_IDOK);
  EXPECT_EQ(SysMessageBox(nullptr, "fourth", "Cap", SYS_MB_OKCANCEL),
            SYS_IDCANCEL);
  ASSERT_EQ(HostMessageBoxCount(), 4);
  EXPECT_STREQ(HostMessageBox(0)->Text, "first");
  EXPECT_EQ(HostMessageBox(0)->Owner, owner);
  EXPECT_EQ(HostMessageBox(0)->Style, SYS_MB_OKCANCEL);
  EXPECT_EQ(HostMessageBox(1)->Answer, SYS_IDCANCEL);
  EXPECT_EQ(HostMessageBox(2)->Style, SYS_MB_OK | SYS_MB_ICONERROR);
  EXPECT_EQ(HostMessageBox(4), nullptr);
}

SysWindow foundDuringBox = nullptr;
void FindBoxFromHook(const HostMessageBoxRecord* box) {
  foundDuringBox = SysFindWindow(SYS_DIALOG_CLASS, box->Caption);
  // The hook may still decide the answer of the box it sees.
  HostQueueMessageBoxAnswer(SYS_IDOK);
}

TEST_F(UiTest, HookSeesTheBoxAsADialogWindow) {
  HostSetMessageBoxHook(FindBoxFromHook);
  EXPECT_EQ(SysMessageBox(nullptr, "t", "Caption A", SYS_MB_OKCANCEL),
            SYS_IDOK);
  EXPECT_NE(foundDuringBox, nullptr);
  EXPECT_EQ(SysFindWindow(SYS_DIALOG_CLASS, "Caption A"), nullptr)
      << "gone once answered";
}

TEST_F(UiTest, FindsDeclaredWindowsByClassAndTitle) {
  SysWindow game = HostDeclareWindow("GameClass", "Game");
  SysWindow dialog = HostDeclareWindow(SYS_DIALOG_CLASS, "Game");
  EXPECT_EQ(SysFindWindow("gameclass", "Game"), game);
  EXPECT_EQ(SysFindWindow(SYS_DIALOG_CLASS, "Game"), dialog);
  EXPECT_EQ(SysFindWindow("GameClass", "game"), nullptr) << "titles are exact";
  EXPECT_EQ(SysFindWindow("Other", "Game"), nullptr);
  SysShowWindow(game, SYS_SW_SHOW);
  SysSetForegroundWindow(game);
  EXPECT_TRUE(HostWindowShown(game));
  EXPECT_TRUE(HostWindowForeground(game));
  EXPECT_FALSE(HostWindowShown(dialog));
  HostRemoveWindow(game);
  EXPECT_EQ(SysFindWindow("GameClass", "Game"), nullptr);
}

// A dialog procedure in the manner of the wizard: counts commands,
// enables Next on "agree", ends with 0 on Next and -1 on Cancel.
std::vector<int> commands;
int busy = 0;
intptr_t TestProc(SysWindow dialog, uint32_t message, uintptr_t word,
                  intptr_t) {
  if (message == SYS_WM_INITDIALOG) {
    SysSetWindowText(dialog, "Running");
    SysEnableWindow(SysGetDlgItem(dialog, 1), 0);
    SysEnableWindow(SysGetDlgItem(dialog, 5555), 0);  // no such control
    SysCheckRadioButton(dialog, 1002, 1003, 1003);
    return 0;
  }
  if (message == SYS_WM_SETCURSOR) {
    if (!busy) return 0;
    SysSetCursor(SysCursorWait);
    return 1;
  }
  if (message != SYS_WM_COMMAND) return 0;
  commands.push_back((int)word);
  if (word == 1002) {
    SysEnableWindow(SysGetDlgItem(dialog, 1), 1);
    SysCheckRadioButton(dialog, 1002, 1003, 1002);
  }
  if (word == 1) SysEndDialog(dialog, 0);
  if (word == 2) SysEndDialog(dialog, -1);
  return 0;
}

std::vector<std::string> seen;
int AgreeThenNext(SysWindow dialog, int step) {
  if (step == 0) {
    seen.push_back(HostDialogTitle(dialog));
    seen.push_back(SysFindWindow(SYS_DIALOG_CLASS, "Running") == dialog
                       ? "found"
                       : "lost");
    seen.push_back(HostClick(dialog, 1) ? "clicked" : "ignored");
    seen.push_back(HostControlChecked(dialog, 1003) ? "1003" : "-");
    EXPECT_EQ(HostCursorOverDialog(dialog), SysCursorArrow);
    busy = 1;
    EXPECT_EQ(HostCursorOverDialog(dialog), SysCursorWait);
    busy = 0;
    EXPECT_EQ(HostCursorOverDialog(dialog), SysCursorArrow);
    return HostClick(dialog, 1002);
  }
  seen.push_back(HostControlChecked(dialog, 1002) ? "1002" : "-");
  return HostClick(dialog, 1);
}

TEST_F(UiTest, DialogRunsTheDriverAndIgnoresClicksOnDisabledControls) {
  commands.clear();
  seen.clear();
  HostSetDialogDriver(AgreeThenNext);
  SysWindow last = nullptr;
  EXPECT_EQ(SysDialogBox(nullptr, 101, nullptr, TestProc, 0), 0);
  EXPECT_EQ(seen, (std::vector<std::string>{"Running", "found", "ignored",
                                            "1003", "1002"}));
  EXPECT_EQ(commands, (std::vector<int>{1002, 1}));
  last = SysFindWindow(SYS_DIALOG_CLASS, "Running");
  EXPECT_EQ(last, nullptr) << "an ended dialog is not found";
}

int HideAgreeThenStop(SysWindow dialog, int step) {
  if (step == 0) {
    EXPECT_EQ(HostDialogTemplate(dialog), 100);
    EXPECT_EQ(SysGetDlgItem(dialog, 1002), nullptr);
    EXPECT_STREQ(HostControlText(dialog, 1001), "Info");
    EXPECT_EQ(HostControlText(dialog, 1000), nullptr);
    SysShowWindow(SysGetDlgItem(dialog, 4), SYS_SW_HIDE);
    EXPECT_EQ(HostClick(dialog, 4), 0) << "hidden";
    HostSendCommand(dialog, 4);
  }
  return 0;  // the close box
}

TEST_F(UiTest, DriverReturningZeroClosesAsTheCloseBox) {
  commands.clear();
  HostSetDialogDriver(HideAgreeThenStop);
  EXPECT_EQ(SysDialogBox(nullptr, 100, nullptr, TestProc, 0), -1);
  EXPECT_EQ(commands, (std::vector<int>{4, 2}));
  EXPECT_EQ(SysDialogBox(nullptr, 102, nullptr, TestProc, 0), -1)
      << "no such template";
}

}  // namespace
