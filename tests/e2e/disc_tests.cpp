// Copies from the game's CD-ROM by the real updater under Wine: drive E:
// is the environment's CD-ROM drive, disk 1 is recognised by its check
// file (DiskCheckFile1 of SETUP.INI), and the shell copies a file and a
// folder into the install folder. The run waits in the shell's copy, so
// the driver's waits after the prompt's answer are given more time.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/e2e/harness/scenario.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();
const std::string kInsertDisk = BoxLine(
    kCaption,
    std::string("ＣＤ－ＲＯＭドライブに「") + Scenario::GameTitle + "」ディスク 1 を入れて下さい",
    "OK,CANCEL", false, "dialog");

// Bytes of some size, not all alike.
std::string DiscBytes(int size, int seed) {
  std::string bytes;
  for (int i = 0; i < size; i++) bytes += (char)((i * 131 + seed * 17 + i / 97) & 0xFF);
  return bytes;
}

bool IsReadOnly(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && (info.st_mode & 0222) == 0;
}

TEST(Disc, FileAndFolderAreCopiedOnceTheDiscIsInserted) {
  Scenario s("disc_copy");
  const uint64_t discTime = FileTimeUtc(2021, 11, 12, 13, 14, 16);
  s.InstallGame(s.SetupIni("DiskCheckFile1=DISK1.CHK\r\n"));
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\n"
                                                "CopyFile00=1:movie\\op.mpg\r\n"
                                                "CopyFile01=1:voice\r\n"));
  ASSERT_TRUE(s.BuildUpdater());
  // The disc, still without its check file: another disc is in the drive.
  s.WriteCdromFile("movie/op.mpg", DiscBytes(300000, 1), discTime);
  s.WriteCdromFile("movie/ed.mpg", DiscBytes(1000, 2), discTime);
  s.WriteCdromFile("voice/001.wav", DiscBytes(5000, 3), discTime);
  s.WriteCdromFile("voice/chara/002.wav", DiscBytes(7000, 4), discTime);
  s.WriteCdromFile("setup.exe", "not copied", discTime);
  // Wine shows a file without write permission as read-only.
  chmod(s.CdromPath("movie/op.mpg").c_str(), 0444);
  chmod(s.CdromPath("voice/001.wav").c_str(), 0444);

  DriverRun run = s.Run(
      {"timeout 30", "start", "wait-dialog " + kCaption, "click 1",
       "expect-status アップデートを実行します", "click 1", "wait-box " + kCaption, "answer ok",
       "wait-box " + kCaption, "write-file " + s.CdromPath("DISK1.CHK") + " disc 1", "answer ok",
       "expect-status アップデートは完了しました", "print-state", "click 1", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{"dialog " + kCaption, "status アップデートを実行します", kInsertDisk,
                   kInsertDisk, "status アップデートは完了しました",
                   "state 1=on 2=off 4=off 1000=none 1002=none 1003=none label=完了", "exit 1"}))
      << run.Text();
  // The file keeps its path below the install folder; the folder comes
  // into the install folder under its own name, with what it holds.
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI", "movie/", "movie/op.mpg", "voice/",
                                        "voice/001.wav", "voice/chara/", "voice/chara/002.wav"}));
  EXPECT_EQ(s.ReadFile("game/movie/op.mpg"), DiscBytes(300000, 1));
  EXPECT_EQ(s.ReadFile("game/voice/001.wav"), DiscBytes(5000, 3));
  EXPECT_EQ(s.ReadFile("game/voice/chara/002.wav"), DiscBytes(7000, 4));
  EXPECT_EQ(s.FileTimeOf("game/movie/op.mpg"), discTime);
  // Read-only on the disc: the copied file is made writable; the files of
  // a copied folder keep what they brought.
  EXPECT_FALSE(IsReadOnly(s.Path("game/movie/op.mpg")));
  EXPECT_TRUE(IsReadOnly(s.Path("game/voice/001.wav")));
  EXPECT_FALSE(IsReadOnly(s.Path("game/voice/chara/002.wav")));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

TEST(Disc, CancelAtTheInsertDiskPromptInterruptsAfterTheMembers) {
  Scenario s("disc_cancel");
  const uint64_t memberTime = FileTimeUtc(2022, 8, 9, 10, 11, 12);
  s.InstallGame(s.SetupIni("DiskCheckFile1=DISK1.CHK\r\n"));
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\n"
                                                "UpdateFile00=readme.txt\r\n"
                                                "CopyFile00=1:movie\\op.mpg\r\n"));
  s.AddMember("readme.txt", "written before the copies", memberTime);
  ASSERT_TRUE(s.BuildUpdater());
  s.WriteCdromFile("movie/op.mpg", DiscBytes(1000, 5));

  DriverRun run =
      s.Run({"start", "wait-dialog " + kCaption, "click 1",
             "expect-status アップデートを実行します", "click 1", "wait-box " + kCaption,
             "answer cancel", "wait-box " + kCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"dialog " + kCaption, "status アップデートを実行します", kInsertDisk,
                              BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI", "readme.txt"}));
  EXPECT_EQ(s.FileTimeOf("game/readme.txt"), memberTime);
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

// A source that the disc lacks counts as a folder: the shell's copy fails
// without a box of its own and the run names the line.
TEST(Disc, SourceMissingFromTheDiscFailsTheCopy) {
  Scenario s("disc_missing_source");
  s.InstallGame(s.SetupIni("DiskCheckFile1=DISK1.CHK\r\n"));
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\nCopyFile00=1:movie\\none.mpg\r\n"));
  ASSERT_TRUE(s.BuildUpdater());
  s.WriteCdromFile("DISK1.CHK", "disc 1");
  s.WriteCdromFile("movie/op.mpg", DiscBytes(1000, 6));

  DriverRun run =
      s.Run({"start", "wait-dialog " + kCaption, "click 1",
             "expect-status アップデートを実行します", "click 1", "wait-box " + kCaption,
             "answer ok", "wait-box " + kCaption, "answer ok", "wait-exit"});
  EXPECT_EQ(run.lines,
            (Lines{"dialog " + kCaption, "status アップデートを実行します",
                   BoxLine(kCaption, "SETUP.INI : \"movie\\none.mpg\" のコピーに失敗しました", "OK",
                           true, "dialog"),
                   BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
