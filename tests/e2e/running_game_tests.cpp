// The real updater under Wine while the game runs: the driver opens windows
// of the game's class (from SETUP.INI) with its titles, and the updater
// waits in its running-game box until they are gone or the user gives up.
#include <gtest/gtest.h>

#include "tests/e2e/harness/scenario.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();
// The second window title of the game (GameTitleA of the description).
const std::string kTrialTitle = "テストゲーム体験版";

std::string RunningGameBox(const std::string& title) {
  return BoxLine(kCaption,
                 "「" + title +
                     "」が実行中です。アップデートを続行する場合はゲームを終了してから [OK] "
                     "を、アップデートを中止する場合は [キャンセル] を押して下さい",
                 "OK,CANCEL", false);
}

void PrepareGame(Scenario& s) {
  s.InstallGame(s.SetupIni());
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("GameTitleA=" + kTrialTitle +
                                                "\r\n[UPDATE]\r\nUpdateFile00=a.dat\r\n"));
  s.AddMember("a.dat", "member");
  ASSERT_TRUE(s.BuildUpdater());
}

TEST(RunningGame, UpdaterWaitsUntilEveryWindowOfTheGameIsClosed) {
  Scenario s("running_game_wait");
  PrepareGame(s);
  const std::string gameClass = Scenario::GameClass;
  const std::string title = Scenario::GameTitle;
  DriverRun run = s.Run(
      {"start-window " + gameClass + " " + title, "start-window " + gameClass + " " + kTrialTitle,
       "start", "wait-box " + kCaption, "answer ok",
       // still running: the same question again
       "wait-box " + kCaption, "close-window " + title, "answer ok",
       // then the window with the second title
       "wait-box " + kCaption, "answer ok", "wait-box " + kCaption, "close-window " + kTrialTitle,
       "answer ok", "wait-dialog " + kCaption, "print-status", "click 2", "wait-box " + kCaption,
       "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{RunningGameBox(title), RunningGameBox(title), RunningGameBox(kTrialTitle),
                   RunningGameBox(kTrialTitle), "dialog " + kCaption,
                   "status 「" + title + "」のアップデートを開始します",
                   BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST(RunningGame, CancelBringsTheGameForwardAndEndsWithZero) {
  Scenario s("running_game_cancel");
  PrepareGame(s);
  const std::string title = Scenario::GameTitle;
  // A hidden game window shows that the updater itself shows it.
  DriverRun run = s.Run({std::string("start-window --hidden ") + Scenario::GameClass + " " + title,
                         "print-window " + title, "start", "wait-box " + kCaption, "answer cancel",
                         "wait-exit", "print-window " + title});
  EXPECT_EQ(run.lines, (Lines{"window " + title + " hidden background", RunningGameBox(title),
                              "exit 0", "window " + title + " visible foreground"}))
      << run.Text();
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
