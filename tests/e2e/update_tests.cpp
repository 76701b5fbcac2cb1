// The update run of the real updater under Wine: every kind of update line
// applied to one installation, and a member that the archive lacks.
#include <gtest/gtest.h>

#include "tests/e2e/harness/scenario.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();

// The user's way through the wizard of an update without agreement: the
// start page, the confirmation page, the run and its completion page.
const Lines kFinishSteps = {"wait-dialog " + kCaption,
                            "click 1",
                            "expect-status アップデートを実行します",
                            "click 1",
                            "expect-status アップデートは完了しました",
                            "print-state",
                            "click 1",
                            "wait-exit"};
const Lines kFinishLines = {
    "dialog " + kCaption, "status アップデートを実行します", "status アップデートは完了しました",
    "state 1=on 2=off 4=off 1000=none 1002=none 1003=none label=完了", "exit 1"};

// A text of some size that compresses well but not trivially.
std::string LongText() {
  std::string text;
  for (int i = 0; i < 4000; i++)
    text += "line " + std::to_string(i) + ": " + std::to_string(i * 7919 % 10007) + "\r\n";
  return text;
}

TEST(Update, EachKindOfLineFollowsItsRule) {
  Scenario s("update_rules");
  const uint64_t installedOld = FileTimeUtc(2020, 1, 2, 3, 4, 5);
  const uint64_t installedNew = FileTimeUtc(2025, 5, 6, 7, 8, 9);
  const uint64_t savedTime = FileTimeUtc(2019, 9, 9, 9, 9, 9);
  const uint64_t memberTime = FileTimeUtc(2023, 6, 7, 8, 9, 10);

  s.InstallGame(s.SetupIni());
  s.SetRegistryText("DataPath", s.WindowsPath("save"));
  s.WriteFile("game/game.exe", "the game");  // the target of the "e" line
  s.WriteFile("game/v2/newer.dat", "installed, newer than the member", installedNew);
  s.WriteFile("game/v2/older.dat", "installed, older than the member", installedOld);
  s.WriteFile("game/v2/present.dll", "installed library", installedOld);
  s.WriteFile("game/v2/sub/plain.txt", "installed plain file, newer", installedNew);
  s.WriteFile("save/v2/save.dat", "the player's saved progress", savedTime);

  // Every entry goes below DataFolder "v2" of its base folder; "e" checks a
  // path of the install folder itself; "2," is for another install mode.
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("DataFolder=v2\r\n"
                                                "[UPDATE]\r\n"
                                                "UpdateFile00=u,newer.dat\r\n"
                                                "UpdateFile01=u,older.dat\r\n"
                                                "UpdateFile02=d,save.dat\r\n"
                                                "UpdateFile03=d,fresh.dat\r\n"
                                                "UpdateFile04=o,missing.dll\r\n"
                                                "UpdateFile05=o,present.dll\r\n"
                                                "UpdateFile06=e,game.exe\r\n"
                                                "UpdateFile07=sub\\plain.txt\r\n"
                                                "UpdateFile08=2,other_mode.dat\r\n"));
  s.AddMember("newer.dat", "member newer.dat", memberTime);
  s.AddMember("older.dat", "member older.dat, stored as it is", memberTime, false, false);
  s.AddMember("save.dat", "member save.dat", memberTime);
  s.AddMember("fresh.dat", "member fresh.dat, scrambled only", memberTime, false, true);
  s.AddMember("missing.dll", "member missing.dll", memberTime);
  s.AddMember("present.dll", "member present.dll, compressed only", memberTime, true, false);
  s.AddMember("plain.txt", LongText(), memberTime);
  s.AddMember("other_mode.dat", "member for install mode 2", memberTime);
  ASSERT_TRUE(s.BuildUpdater());

  const uint64_t before = FileTimeNow();
  Lines steps = {"start"};
  steps.insert(steps.end(), kFinishSteps.begin(), kFinishSteps.end());
  DriverRun run = s.Run(steps);
  EXPECT_EQ(run.lines, kFinishLines) << run.Text();

  // u: the newer installed file stays; the older one is replaced.
  EXPECT_EQ(s.ReadFile("game/v2/newer.dat"), "installed, newer than the member");
  EXPECT_EQ(s.FileTimeOf("game/v2/newer.dat"), installedNew);
  EXPECT_EQ(s.ReadFile("game/v2/older.dat"), "member older.dat, stored as it is");
  EXPECT_EQ(s.FileTimeOf("game/v2/older.dat"), memberTime);
  // d: an existing data file keeps its content, written back just now; a
  // missing one gets the member with its time.
  EXPECT_EQ(s.ReadFile("save/v2/save.dat"), "the player's saved progress");
  EXPECT_GE(s.FileTimeOf("save/v2/save.dat"), before);
  EXPECT_EQ(s.ReadFile("save/v2/fresh.dat"), "member fresh.dat, scrambled only");
  EXPECT_EQ(s.FileTimeOf("save/v2/fresh.dat"), memberTime);
  // o: only an existing file is written over.
  EXPECT_EQ(s.ReadFile("game/v2/present.dll"), "member present.dll, compressed only");
  EXPECT_EQ(s.FileTimeOf("game/v2/present.dll"), memberTime);
  // Plain: written even over a newer file.
  EXPECT_EQ(s.ReadFile("game/v2/sub/plain.txt"), LongText());
  EXPECT_EQ(s.FileTimeOf("game/v2/sub/plain.txt"), memberTime);
  // Nothing else was written: no missing.dll, no line of the other mode,
  // nothing of the data lines in the install folder.
  EXPECT_EQ(s.ListFiles("game"),
            (Lines{"SETUP.INI", "game.exe", "v2/", "v2/newer.dat", "v2/older.dat", "v2/present.dll",
                   "v2/sub/", "v2/sub/plain.txt"}));
  EXPECT_EQ(s.ListFiles("save"), (Lines{"v2/", "v2/fresh.dat", "v2/save.dat"}));
  EXPECT_EQ(s.ReadFile("game/game.exe"), "the game");
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST(Update, MemberMissingFromTheArchiveEndsTheRunAfterTheEntriesBeforeIt) {
  Scenario s("update_member_missing");
  const uint64_t memberTime = FileTimeUtc(2022, 2, 3, 4, 5, 6);
  s.InstallGame(s.SetupIni());
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\n"
                                                "UpdateFile00=first.dat\r\n"
                                                "UpdateFile01=data\\lost.dat\r\n"
                                                "UpdateFile02=last.dat\r\n"));
  s.AddMember("first.dat", "written before the failure", memberTime);
  s.AddMember("last.dat", "never reached", memberTime);
  ASSERT_TRUE(s.BuildUpdater());

  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, "click 1",
                         "expect-status アップデートを実行します", "click 1",
                         "wait-box " + kCaption, "answer ok", "wait-box " + kCaption, "answer ok",
                         "wait-box " + kCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{"dialog " + kCaption, "status アップデートを実行します",
                   BoxLine(kCaption, "Can't Find File in Resource !!", "OK", true, "dialog"),
                   BoxLine(kCaption, "ファイルの書き込みに失敗しました", "OK", true, "dialog"),
                   BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ReadFile("game/first.dat"), "written before the failure");
  EXPECT_EQ(s.FileTimeOf("game/first.dat"), memberTime);
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI", "first.dat"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
