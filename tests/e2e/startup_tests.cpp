// The real updater under Wine: start-up without an archive or with an
// unreadable one, start-up checks that end the program, and the wizard's
// way to a finished update and to a cancelled one.
#include <gtest/gtest.h>

#include "tests/e2e/harness/scenario.h"
#include "tests/e2e/harness/wine_environment.h"

namespace {

// The caption that the start-up checks form from the installed game's title
// and UpdaterVersion 1.05 of the default UPDATE.INI.
const std::string kCaption = std::string(Scenario::GameTitle) + " アップデータ 1.05";

TEST(Startup, UpdaterWithoutArchiveShowsNothingAndEndsWithZero) {
  Scenario s("no_archive");
  std::string stub = wine::UpdaterWithoutArchive();
  ASSERT_FALSE(stub.empty()) << "no updater.exe in " << wine::WindowsBuildFolder();
  s.UseUpdater(stub);
  // A window would keep the program from ending: wait-exit fails on it.
  DriverRun run = s.Run({"timeout 15", "start", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"exit 0"})) << run.Text();
}

TEST(Startup, UnreadableArchiveShowsResourceReadError) {
  Scenario s("garbage_archive");
  std::string garbage;
  for (int i = 0; i < 200; i++) garbage += (char)(i * 37 + 11);
  ASSERT_TRUE(s.BuildUpdaterFromImage(garbage));
  DriverRun run = s.Run({"start", "wait-box UPDATE", "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{BoxLine("UPDATE", "RESOURCE READ ERROR"), "exit 0"})) << run.Text();
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST(Startup, GameNotInstalledIsReportedUnderTheFirstCaption) {
  Scenario s("not_installed");
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni(""), FileTimeUtc(2024, 3, 1, 12, 0, 0));
  ASSERT_TRUE(s.BuildUpdater());
  DriverRun run = s.Run({"start", "wait-box UPDATE", "print-files " + s.WindowsPath("temp"),
                         "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{BoxLine("UPDATE", std::string("「") + Scenario::GameTitle + "」がインストールされていません"),
                   "files UPDATE-{pid}.INI", "exit 0"}))
      << run.Text();
  // The description was written to the temporary folder and deleted at exit.
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST(Startup, MissingRequiredKeyOfTheDescriptionIsNamed) {
  Scenario s("missing_key");
  s.AddShiftJisMember("UPDATE.INI",
                      "[SETUP]\r\nCompanyName=E2ECompany\r\nGameTitle=x\r\nGameClass=y\r\n");
  ASSERT_TRUE(s.BuildUpdater());
  DriverRun run = s.Run({"start", "wait-box DOZARUZO", "answer ok", "wait-exit"});
  ASSERT_EQ(run.lines.size(), 2u) << run.Text();
  EXPECT_EQ(run.lines[0].rfind("box caption=DOZARUZO text=SETUP : GameDir キーが存在しません buttons=OK", 0), 0u)
      << run.Text();
  EXPECT_EQ(run.lines[1], "exit 0");
}

TEST(Startup, InstalledGameWithoutSetupIniIsReported) {
  Scenario s("no_setup_ini");
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni(""));
  ASSERT_TRUE(s.BuildUpdater());
  s.SetRegistryText("InstPath", s.WindowsPath(s.InstallFolder()));
  s.SetRegistryNumber("InstMode", 0);
  DriverRun run = s.Run({"start", "wait-box UPDATE", "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{BoxLine("UPDATE", "インストール先に \"SETUP.INI\" ファイルが見つかりません"),
                   "exit 0"}))
      << run.Text();
}

class Wizard : public testing::Test {
 protected:
  // An installed game with data/patch.dat from 2020 and an update whose
  // member patch.dat is from 2023.
  void Prepare(Scenario& s) {
    s.InstallGame(s.SetupIni());
    s.WriteFile("game/data/patch.dat", "old patch", FileTimeUtc(2020, 1, 2, 3, 4, 5));
    s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\nUpdateFile00=u,data\\patch.dat\r\n"));
    s.AddMember("patch.dat", "new patch, newer than the installed one", kMemberTime);
    ASSERT_TRUE(s.BuildUpdater());
  }
  const uint64_t kMemberTime = FileTimeUtc(2023, 6, 7, 8, 9, 10);
};

TEST_F(Wizard, FinishedUpdateWritesTheMemberWithItsTimeAndEndsWithOne) {
  Scenario s("wizard_update");
  Prepare(s);
  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, "print-status", "print-state",
                         "print-files " + s.WindowsPath("temp"), "click 1",
                         "expect-status アップデートを実行します", "print-state", "click 1",
                         "expect-status アップデートは完了しました", "print-state", "click 1",
                         "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{
                "dialog " + kCaption,
                std::string("status 「") + Scenario::GameTitle + "」のアップデートを開始します",
                "state 1=on 2=on 4=off 1000=none 1002=none 1003=none label=次へ",
                "files UPDATE-{pid}.INI",
                "status アップデートを実行します",
                "state 1=on 2=on 4=off 1000=none 1002=none 1003=none label=次へ",
                "status アップデートは完了しました",
                "state 1=on 2=off 4=off 1000=none 1002=none 1003=none label=完了",
                "exit 1",
            }))
      << run.Text();
  EXPECT_EQ(s.ReadFile("game/data/patch.dat"), "new patch, newer than the installed one");
  EXPECT_EQ(s.FileTimeOf("game/data/patch.dat"), kMemberTime);
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST_F(Wizard, CancelOnTheConfirmationPageLeavesTheGameAlone) {
  Scenario s("wizard_cancel");
  Prepare(s);
  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, "click 1",
                         "expect-status アップデートを実行します", "click 2",
                         "wait-box " + kCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"dialog " + kCaption, "status アップデートを実行します",
                              BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ReadFile("game/data/patch.dat"), "old patch");
  EXPECT_EQ(s.FileTimeOf("game/data/patch.dat"), FileTimeUtc(2020, 1, 2, 3, 4, 5));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
