// The wizard of the real updater under Wine: the licence page with its
// radio buttons, leaving on the start page, and a second updater started
// while the first one shows its wizard.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/e2e/harness/scenario.h"
#include "tests/e2e/harness/shift_jis.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();
const uint64_t kMemberTime = FileTimeUtc(2024, 4, 5, 6, 7, 8);
const char kReadme[] = "更新内容の説明";

// An installed game whose update writes readme.txt into the install folder.
void PrepareReadmeUpdate(Scenario& s, const std::string& moreSetup) {
  s.InstallGame(s.SetupIni());
  s.AddShiftJisMember("UPDATE.INI",
                      s.UpdateIni(moreSetup + "[UPDATE]\r\nUpdateFile00=readme.txt\r\n"));
  s.AddShiftJisMember("readme.txt", kReadme, kMemberTime);
}

TEST(WizardFlow, LicencePageKeepsNextDisabledUntilTheUserAgrees) {
  Scenario s("wizard_licence");
  // "ソ" is the Shift-JIS pair 0x83 0x5C: its second byte is a backslash.
  const std::string licence =
      "使用許諾契約書\r\n第1条 本ソフトウェアの著作権は作者に帰属します。\r\n"
      "第2条 無断で再配布することを禁じます。";
  PrepareReadmeUpdate(s, "AgreementText=LICENSE.TXT\r\nAgreementTitle=HEADING.TXT\r\n");
  s.AddShiftJisMember("LICENSE.TXT", licence);
  // The heading is shown as a text: two percent signs stand for one.
  s.AddShiftJisMember("HEADING.TXT", "使用許諾に100%%同意された方のみお使い下さい");
  ASSERT_TRUE(s.BuildUpdater());

  DriverRun run =
      s.Run({"start", "wait-dialog " + kCaption, "print-status", "print-state", "print-text 1000",
             "click 1", "click 1002", "print-state", "click 1003", "print-state", "click 1",
             "click 1002", "click 1", "expect-status アップデートを実行します", "print-state",
             "click 1", "expect-status アップデートは完了しました", "click 1", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{
                "dialog " + kCaption,
                "status 使用許諾に100%同意された方のみお使い下さい",
                "state 1=off 2=on 4=off 1000=on 1002=on 1003=on/checked label=次へ",
                "text 1000 " + EscapeLine(licence),
                "refused click 1 (disabled)",
                "state 1=on 2=on 4=off 1000=on 1002=on/checked 1003=on label=次へ",
                "state 1=off 2=on 4=off 1000=on 1002=on 1003=on/checked label=次へ",
                "refused click 1 (disabled)",
                "status アップデートを実行します",
                "state 1=on 2=on 4=off 1000=hidden 1002=hidden/checked 1003=hidden label=次へ",
                "status アップデートは完了しました",
                "exit 1",
            }))
      << run.Text();
  EXPECT_EQ(s.ReadFile("game/readme.txt"), ShiftJisFromUtf8(kReadme));
  EXPECT_EQ(s.FileTimeOf("game/readme.txt"), kMemberTime);
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

// Leaving on the start page, by the Cancel button or by the close box.
struct Leaving {
  const char* name;
  const char* step;
};

void PrintTo(const Leaving& leaving, std::ostream* out) { *out << leaving.name; }

class LeaveOnTheStartPage : public testing::TestWithParam<Leaving> {};

TEST_P(LeaveOnTheStartPage, InterruptsWithoutWritingAnything) {
  Scenario s(std::string("wizard_leave_") + GetParam().name);
  PrepareReadmeUpdate(s, "");
  ASSERT_TRUE(s.BuildUpdater());
  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, GetParam().step,
                         "wait-box " + kCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"dialog " + kCaption,
                              BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

INSTANTIATE_TEST_SUITE_P(WizardFlow, LeaveOnTheStartPage,
                         testing::Values(Leaving{"cancel", "click 2"},
                                         Leaving{"close_box", "close-dialog"}),
                         [](const testing::TestParamInfo<Leaving>& param) {
                           return std::string(param.param.name);
                         });

TEST(WizardFlow, SecondUpdaterBringsTheFirstForwardAndEnds) {
  Scenario s("wizard_second");
  PrepareReadmeUpdate(s, "");
  ASSERT_TRUE(s.BuildUpdater());
  const std::string temp = s.WindowsPath(s.TempFolder());
  DriverRun run =
      s.Run({"start", "wait-dialog " + kCaption, "start-window OtherClass 別のウィンドウ",
             "print-foreground", "start-second", "wait-exit second", "print-foreground",
             "print-files " + temp, "click 1", "expect-status アップデートを実行します", "click 1",
             "expect-status アップデートは完了しました", "click 1", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"dialog " + kCaption, "foreground 別のウィンドウ", "exit second 0",
                              "foreground " + kCaption,
                              // The second updater took its own copy of the description
                              // away again and left the first one's in place.
                              "files UPDATE-{pid}.INI", "status アップデートを実行します",
                              "status アップデートは完了しました", "exit 1"}))
      << run.Text();
  EXPECT_EQ(s.ReadFile("game/readme.txt"), ShiftJisFromUtf8(kReadme));
  EXPECT_EQ(s.FileTimeOf("game/readme.txt"), kMemberTime);
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
