// The harness itself, against the stand-in updater e2e_probe.exe: that the
// driver sees dialogs, boxes, texts and button states as they are, presses
// only what a user could press, waits and gives up where it should, and
// that the Wine environment has the code page, drives and folders that the
// updater's cases rely on.
#include <gtest/gtest.h>

#include "tests/e2e/harness/scenario.h"
#include "tests/e2e/harness/wine_environment.h"

namespace {

const char kProbeCaption[] = "テスト アップデータ 1.0";

class ProbeTest : public testing::Test {
 protected:
  Scenario& Make(const std::string& name) {
    scenario_.reset(new Scenario(name));
    if (wine::ProbeProgram().empty()) ADD_FAILURE() << "e2e_probe.exe is not built";
    scenario_->UseUpdater(wine::ProbeProgram());
    return *scenario_;
  }
  // The probe's behaviour is chosen by its environment.
  static std::string Mode(const std::string& mode) { return "env E2E_PROBE " + mode; }

  std::unique_ptr<Scenario> scenario_;
};

TEST_F(ProbeTest, ExitStatusOfAWindowlessProgramIsReported) {
  Scenario& s = Make("probe_exit");
  DriverRun run = s.Run({Mode("exit 7"), "start", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"exit 7"})) << run.Text();
  EXPECT_EQ(run.status, 0);
}

TEST_F(ProbeTest, MessageBoxIsDescribedAndAnswered) {
  Scenario& s = Make("probe_box");
  DriverRun run = s.Run({Mode("box"), "start", "wait-box UPDATE", "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{BoxLine("UPDATE", "RESOURCE READ ERROR"), "exit 0"})) << run.Text();
}

TEST_F(ProbeTest, WizardPagesStatusAndButtonsAreSeenAfterEachClick) {
  Scenario& s = Make("probe_wizard");
  DriverRun run = s.Run({Mode("wizard"), "start", std::string("wait-dialog ") + kProbeCaption,
                         "print-status", "print-state", "click 4", "click 1", "print-status",
                         "print-state", "click 1", std::string("wait-box ") + kProbeCaption,
                         "answer ok", "print-status", "print-state", "print-title", "click 1",
                         "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{
                std::string("dialog ") + kProbeCaption,
                "status 「テスト」のアップデートを開始します",
                "state 1=on 2=on 4=off 1000=none 1002=none 1003=none label=次へ",
                "refused click 4 (disabled)",
                "status アップデートを実行します",
                "state 1=on 2=on 4=off 1000=none 1002=none 1003=none label=次へ",
                // The box's text holds a carriage return and the Shift-JIS
                // byte 0x5C, which Wine shows as a backslash.
                BoxLine(kProbeCaption, "作業中です\r\\ は円記号", "OK", true, "dialog"),
                "status アップデートは完了しました",
                "state 1=on 2=off 4=off 1000=none 1002=none 1003=none label=完了",
                std::string("title ") + kProbeCaption,
                "exit 1",
            }))
      << run.Text();
  EXPECT_EQ(run.status, 0);
}

TEST_F(ProbeTest, LicenceControlsAndRadioButtons) {
  Scenario& s = Make("probe_licence");
  DriverRun run = s.Run({Mode("licence"), "start", std::string("wait-dialog ") + kProbeCaption,
                         "print-state", "print-text 1000", "click 1", "click 1002", "print-state",
                         "click 1003", "print-state", "click 1002", "click 1", "print-state",
                         "click 2", std::string("wait-box ") + kProbeCaption, "answer ok",
                         "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{
                std::string("dialog ") + kProbeCaption,
                "state 1=off 2=on 4=off 1000=on 1002=on 1003=on/checked label=次へ",
                "text 1000 使用許諾\\r\\n第1条",
                "refused click 1 (disabled)",
                "state 1=on 2=on 4=off 1000=on 1002=on/checked 1003=on label=次へ",
                "state 1=off 2=on 4=off 1000=on 1002=on 1003=on/checked label=次へ",
                "state 1=on 2=on 4=off 1000=hidden 1002=hidden/checked 1003=hidden label=次へ",
                BoxLine(kProbeCaption, "アップデートが中断されました"),
                "exit 0",
            }))
      << run.Text();
}

TEST_F(ProbeTest, GameWindowOfTheDriverIsFoundShownAndBroughtForward) {
  Scenario& s = Make("probe_game");
  std::string title = "ゲーム ウィンドウ";
  DriverRun run = s.Run({"start-window --hidden GameClass " + title, "print-window " + title,
                         Mode("game GameClass|" + title), "start",
                         std::string("wait-box ") + kProbeCaption, "answer ok",
                         std::string("wait-box ") + kProbeCaption, "answer cancel", "wait-exit",
                         "print-window " + title, "print-foreground"});
  std::string box = BoxLine(kProbeCaption, "「" + title + "」が実行中です", "OK,CANCEL", false);
  EXPECT_EQ(run.lines, (Lines{"window " + title + " hidden background", box, box, "exit 0",
                              "window " + title + " visible foreground", "foreground " + title}))
      << run.Text();
}

TEST_F(ProbeTest, SecondInstanceFindsTheFirstByCaption) {
  Scenario& s = Make("probe_second");
  DriverRun run = s.Run({Mode("wizard"), "start", std::string("wait-dialog ") + kProbeCaption,
                         "start-window OtherClass 前面", "print-foreground", Mode("second"),
                         "start-second", "wait-exit second", "print-foreground", "close-dialog",
                         std::string("wait-box ") + kProbeCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{std::string("dialog ") + kProbeCaption, "foreground 前面",
                              "exit second 0", std::string("foreground ") + kProbeCaption,
                              BoxLine(kProbeCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
}

TEST_F(ProbeTest, AWindowThatDoesNotComeFailsTheScriptAndEndsTheProgram) {
  Scenario& s = Make("probe_timeout");
  DriverRun run = s.Run({"timeout 2", Mode("box"), "start", "wait-dialog UPDATE", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"error wait-dialog: timed out waiting for the wizard",
                              "visible " + BoxLine("UPDATE", "RESOURCE READ ERROR"),
                              "killed"}))
      << run.Text();
  EXPECT_EQ(run.status, 1);
}

TEST_F(ProbeTest, AProgramThatEndsEarlyFailsAWaitAtOnce) {
  Scenario& s = Make("probe_ended");
  DriverRun run = s.Run({"timeout 30", Mode("exit 0"), "start", "wait-box UPDATE"});
  EXPECT_EQ(run.lines, (Lines{"error wait-box: the updater ended without showing the message box"}))
      << run.Text();
  EXPECT_EQ(run.status, 1);
}

TEST_F(ProbeTest, DeadlineEndsAHungScript) {
  Scenario& s = Make("probe_deadline");
  // 12 s for the harness gives the driver a deadline of 7 s.
  DriverRun run = s.Run({Mode("box"), "start", "sleep 20000"}, 12);
  EXPECT_EQ(run.lines, (Lines{"error deadline: the script took longer than 7 s",
                              "visible " + BoxLine("UPDATE", "RESOURCE READ ERROR"), "killed"}))
      << run.Text();
  EXPECT_EQ(run.status, 3);
  EXPECT_FALSE(run.timedOut);
}

TEST_F(ProbeTest, EnvironmentHasTheTemporaryFolderAndTheDrivesOfTheCases) {
  Scenario& s = Make("probe_environment");
  DriverRun run = s.Run({Mode("temp"), "start", "wait-box temp", "answer ok", "wait-exit",
                         Mode("drives"), "start-second", "wait-box drives", "answer ok",
                         "wait-exit second"});
  // The updater's UPDATE.INI goes to the scenario's own temporary folder;
  // E: is the only CD-ROM drive (type 5), C: and D: are hard disks (3).
  ASSERT_EQ(run.lines.size(), 4u) << run.Text();
  EXPECT_EQ(run.lines[0], BoxLine("temp", s.WindowsPath("temp") + "\\", "OK", false)) << run.Text();
  EXPECT_EQ(run.lines[1], "exit 0");
  std::string drives = run.lines[2];
  EXPECT_NE(drives.find(" text=C:3 D:3 E:5 "), std::string::npos) << drives;
  EXPECT_EQ(drives.find("!"), std::string::npos) << "drive type differs with and without \\ "
                                                 << drives;
  EXPECT_EQ(run.lines[3], "exit second 0");
}

TEST_F(ProbeTest, HeldFileGivesOtherProgramsASharingViolation) {
  Scenario& s = Make("probe_hold");
  s.WriteFile("held.txt", "content");
  std::string held = s.WindowsPath("held.txt");
  DriverRun run = s.Run({"hold-file " + held, Mode("write " + held), "start", "wait-box write",
                         "answer ok", "wait-exit", "release-file " + held, "start-second",
                         "wait-box write", "answer ok", "wait-exit second", "release-file " + held});
  EXPECT_EQ(run.lines, (Lines{BoxLine("write", "32", "OK", false), "exit 0",
                              BoxLine("write", "0", "OK", false), "exit second 0",
                              "error release-file: not held: " + EscapeLine(held)}))
      << run.Text();
  EXPECT_EQ(s.ReadFile("held.txt"), "content");
}

}  // namespace
