// The update run inside the wizard: every kind of update line, the space
// check, the existence check, the copies from CD-ROM, and its failures.
#include <fcntl.h>
#include <sys/stat.h>

#include "app/shared.h"
#include "app_fixture.h"

namespace {

constexpr uint64_t kDay = 864000000000ull;

class UpdateRun : public AppScene {
 protected:
  void SetUp() override {
    AppScene::SetUp();
    mkdir(HostPath("Patch").c_str(), 0755);
    mkdir(HostPath("Disc").c_str(), 0755);
    HostMapDrive('E', HostPath("Disc").c_str());
    HostSetDriveType('E', SYS_DRIVE_CDROM);
  }

  void Prepare(const std::string& update, const std::string& setupExtra = "") {
    AddMember("UPDATE.INI", UpdateIni(setupExtra, update));
    InstallArchive();
  }

  // An installed file with a write time relative to the members' time.
  void Installed(const std::string& relative, const std::string& bytes,
                 int64_t days) {
    WriteHostFile(relative, bytes);
    uint64_t time = kMemberTime + days * (int64_t)kDay;
    // FILETIME to Unix time: 100 ns units since 1601.
    int64_t unixSeconds = (int64_t)(time / 10000000ull) - 11644473600ll;
    struct timespec times[2] = {{unixSeconds, 0}, {unixSeconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, HostPath(relative).c_str(), times, 0), 0);
  }

  // Runs the wizard with Next pressed throughout; the status lines seen.
  std::vector<std::string> RunThrough(int expectedExit) {
    std::vector<std::string> status;
    PressNextThroughout(&status);
    EXPECT_EQ(Run(), expectedExit);
    return status;
  }
};

TEST_F(UpdateRun, EachKindFollowsItsRule) {
  AddMember("newer.dat", "member newer");
  AddMember("older.dat", "member older");
  AddMember("plain.dat", "member plain");
  AddMember("data.sav", "member data");
  AddMember("fresh.sav", "member fresh");
  AddMember("over.dat", "member over");
  AddMember("gone.dat", "member gone");
  Prepare(
      "UpdateFile00=u,newer.dat\r\n"
      "UpdateFile01=u,older.dat\r\n"
      "UpdateFile02=plain.dat\r\n"
      "UpdateFile03=d,data.sav\r\n"
      "UpdateFile04=d,fresh.sav\r\n"
      "UpdateFile05=o,over.dat\r\n"
      "UpdateFile06=o,gone.dat\r\n"
      "UpdateFile07=e,check.dat\r\n"
      "UpdateFile08=2,plain.dat\r\n",
      "DataFolder=patch\r\n");
  InstallGame();
  mkdir(HostPath("Game/patch").c_str(), 0755);
  mkdir(HostPath("Data/patch").c_str(), 0755);
  Installed("Game/check.dat", "x", 0);
  Installed("Game/patch/newer.dat", "installed newer", 1);
  Installed("Game/patch/older.dat", "installed older", -1);
  Installed("Game/patch/plain.dat", "installed plain", 1);
  Installed("Data/patch/data.sav", "saved data", -1);
  Installed("Game/patch/over.dat", "installed over", 0);

  std::vector<std::string> status = RunThrough(1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(ReadHostFile("Game/patch/newer.dat"), "installed newer");
  EXPECT_EQ(ReadHostFile("Game/patch/older.dat"), "member older");
  EXPECT_EQ(ReadHostFile("Game/patch/plain.dat"), "member plain");
  EXPECT_EQ(ReadHostFile("Data/patch/data.sav"), "saved data");
  EXPECT_EQ(ReadHostFile("Data/patch/fresh.sav"), "member fresh");
  EXPECT_EQ(ReadHostFile("Game/patch/over.dat"), "member over");
  EXPECT_FALSE(HostFileExists("Game/patch/gone.dat"));
  ASSERT_EQ(status.size(), 3u);
  EXPECT_EQ(status[2], "アップデートは完了しました");
}

TEST_F(UpdateRun, OverwriteOnlyCreatesTheDataFolderButSkipsMissingFiles) {
  AddMember("a.dat", "member a");
  Prepare("OverwriteOnly=1\r\nUpdateFile00=a.dat\r\n", "DataFolder=new\r\n");
  InstallGame();
  RunThrough(1);
  EXPECT_FALSE(HostFileExists("Game/new/a.dat"));
  struct stat info;
  ASSERT_EQ(stat(HostPath("Game/new").c_str(), &info), 0);
  EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(UpdateRun, FailuresEndTheWizardWithTheirMessages) {
  struct Case {
    const char* name;
    std::string update;
    std::string setupExtra;
    std::vector<std::string> boxes;
  } cases[] = {
      {"existence check with its own text", "UpdateFile00=a.dat\r\nUpdateFile01=e,x.dll\r\n",
       "ExistErrorMessage=Wrong version\r\n",
       {"Wrong version", "アップデートが中断されました"}},
      {"existence check, built-in text", "UpdateFile00=e,x.dll\r\n", "",
       {"アップデートエラー：アップデート対象のバージョンが違います",
        "アップデートが中断されました"}},
      {"existence check on a bare folder", "UpdateFile00=e,folder\r\n", "",
       {"アップデートエラー：アップデート対象のバージョンが違います",
        "アップデートが中断されました"}},
      {"existence check of a path too long to read",
       "UpdateFile00=e," + std::string(300, 'p') + "\r\n", "",
       {"アップデートエラー：アップデート対象のバージョンが違います",
        "アップデートが中断されました"}},
      {"no lines", "UpdateFile01=a.dat\r\n", "",
       {"No 'UpdateFileXX' and 'CopyFileXX'", "アップデートが中断されました"}},
      {"member missing", "UpdateFile00=a.dat\r\nUpdateFile01=none.dat\r\n", "",
       {"Can't Find File in Resource !!", "ファイルの書き込みに失敗しました",
        "アップデートが中断されました"}},
      {"plain line onto a folder", "UpdateFile00=folder\r\n", "",
       {"ファイルの書き込みに失敗しました", "アップデートが中断されました"}},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    AddMember("a.dat", "member a");
    AddMember("folder", "member folder");
    Prepare(c.update, c.setupExtra);
    InstallGame();
    mkdir(HostPath("Game/folder").c_str(), 0755);
    RunThrough(0);
    EXPECT_EQ(BoxTexts(), c.boxes);
    for (int i = 0; i + 1 < HostMessageBoxCount(); i++)
      EXPECT_STREQ(HostMessageBox(i)->Caption, "Installed Game アップデータ ");
    // The existence checks come before anything is written; a missing
    // member comes after the entries before it were written.
    EXPECT_EQ(HostFileExists("Game/a.dat"), c.name == std::string("member missing"));
  }
}

TEST_F(UpdateRun, ShortfallPageLetsTheUserGoBackAndTryAgain) {
  AddMember("a.dat", "member a");
  Prepare("RequiredDiskSpace=1000000\r\nUpdateFile00=a.dat\r\n");
  InstallGame();
  HostSetFreeSpace('C', 400000);
  std::vector<std::string> seen;
  WizardUser() = [&](SysWindow dialog, int step) {
    seen.push_back(HostControlText(dialog, 1001));
    switch (step) {
      case 0:
      case 1:
        return HostClick(dialog, 1);
      case 2:
        EXPECT_FALSE(HostControlEnabled(dialog, 1));
        EXPECT_TRUE(HostControlEnabled(dialog, 4));
        EXPECT_TRUE(HostControlEnabled(dialog, 2));
        EXPECT_FALSE(HostFileExists("Game/a.dat"));
        return HostClick(dialog, 4);
      case 3:
        EXPECT_FALSE(HostControlEnabled(dialog, 4));
        EXPECT_TRUE(HostControlEnabled(dialog, 1));
        HostSetFreeSpace('C', 1000000);
        return HostClick(dialog, 1);
      case 4:
        return HostClick(dialog, 1);
      default:
        return 0;
    }
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 1);
  ASSERT_EQ(seen.size(), 5u);
  EXPECT_EQ(seen[2],
            "ディスク容量が足りません。\rC: ドライブに 600000 バイトの空き容量が必要です");
  EXPECT_EQ(seen[3], "アップデートを実行します");
  EXPECT_EQ(seen[4], "アップデートは完了しました");
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "member a");
}

TEST_F(UpdateRun, RequiredSpaceIsAnUnsignedCount) {
  AddMember("a.dat", "member a");
  Prepare("RequiredDiskSpace=-1\r\nUpdateFile00=a.dat\r\n");
  InstallGame();
  std::string shortfall;
  WizardUser() = [&](SysWindow dialog, int step) {
    // Little space left once the update description has been written.
    HostSetFreeSpace('C', 5);
    if (step == 2) {
      shortfall = HostControlText(dialog, 1001);
      return 0;
    }
    return HostClick(dialog, 1);
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(shortfall,
            "ディスク容量が足りません。\rC: ドライブに 4294967290 バイトの空き容量が必要です");

  // Four GiB free satisfy it.
  TearDown();
  SetUp();
  AddMember("a.dat", "member a");
  Prepare("RequiredDiskSpace=-1\r\nUpdateFile00=a.dat\r\n");
  InstallGame();
  HostSetFreeSpace('C', 0x100000000ull);
  RunThrough(1);
}

TEST_F(UpdateRun, BusyRunIgnoresCancelAndShowsTheWaitCursor) {
  AddMember("a.dat", "member a");
  // The missing member's box appears while the run is busy.
  Prepare("UpdateFile00=none.dat\r\n");
  InstallGame();
  static SysWindow dialogSeen;
  static SysCursor cursorDuringRun;
  static int stillOpen;
  dialogSeen = nullptr;
  HostSetMessageBoxHook([](const HostMessageBoxRecord*) {
    if (dialogSeen == nullptr || HostDialogEnded(dialogSeen)) return;
    cursorDuringRun = HostCursorOverDialog(dialogSeen);
    HostSendCommand(dialogSeen, 2);
    stillOpen = !HostDialogEnded(dialogSeen);
  });
  SysCursor before = SysCursorWait;
  WizardUser() = [&](SysWindow dialog, int step) {
    dialogSeen = dialog;
    if (step == 0) before = HostCursorOverDialog(dialog);
    return HostClick(dialog, 1);
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(before, SysCursorArrow);
  EXPECT_EQ(cursorDuringRun, SysCursorWait);
  EXPECT_TRUE(stillOpen);
}

TEST_F(UpdateRun, CopiesFilesAndFoldersFromTheDisc) {
  Prepare(
      "CopyFile00=1:movie\\op.mpg\r\n"
      "CopyFile01=1:voice\r\n"
      "CopyFile02=2,1:never.dat\r\n",
      "");
  InstallGame(1, "DiskCheckFile1=disc1.id\r\n");
  mkdir(HostPath("Disc/movie").c_str(), 0755);
  mkdir(HostPath("Disc/voice").c_str(), 0755);
  WriteHostFile("Disc/disc1.id", "1");
  WriteHostFile("Disc/movie/op.mpg", "opening");
  WriteHostFile("Disc/voice/v1.wav", "voice one");
  RunThrough(1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(ReadHostFile("Game/movie/op.mpg"), "opening");
  EXPECT_EQ(ReadHostFile("Game/voice/v1.wav"), "voice one");
  ASSERT_EQ(HostShellCopyCount(), 2);
  EXPECT_STREQ(HostShellCopy(0)->Source, "E:\\movie\\op.mpg");
  EXPECT_STREQ(HostShellCopy(0)->Destination, "C:\\Game\\movie\\op.mpg");
  EXPECT_EQ(HostShellCopy(0)->Flags, 0x0210);
  EXPECT_STREQ(HostShellCopy(1)->Source, "E:\\voice");
  EXPECT_STREQ(HostShellCopy(1)->Destination, "C:\\Game");
  EXPECT_EQ(HostShellCopy(1)->Flags, 0x0610);
}

TEST_F(UpdateRun, DiskZeroCopiesFromBesideTheUpdater) {
  Prepare("CopyFile00=extra.txt\r\n");
  InstallGame();
  WriteHostFile("Patch/extra.txt", "beside the patch");
  RunThrough(1);
  EXPECT_EQ(ReadHostFile("Game/extra.txt"), "beside the patch");
}

TEST_F(UpdateRun, MissingDiscPromptsUntilCancelled) {
  Prepare("CopyFile00=3:movie\\op.mpg\r\n");
  InstallGame(1, "DiskCheckFile3=disc3.id\r\n");
  HostQueueMessageBoxAnswer(SYS_IDOK);
  HostQueueMessageBoxAnswer(SYS_IDCANCEL);
  RunThrough(0);
  std::string prompt = "ＣＤ－ＲＯＭドライブに「Installed Game」ディスク 3 を入れて下さい";
  EXPECT_EQ(BoxTexts(),
            (std::vector<std::string>{prompt, prompt, "アップデートが中断されました"}));
  EXPECT_EQ(HostMessageBox(0)->Style, SYS_MB_OKCANCEL);
  EXPECT_NE(HostMessageBox(0)->Owner, nullptr);
}

TEST_F(UpdateRun, ShellCopyFailureAndAbort) {
  Prepare("CopyFile00=1:missing.dat\r\n");
  InstallGame(1, "DiskCheckFile1=disc1.id\r\n");
  WriteHostFile("Disc/disc1.id", "1");
  RunThrough(0);
  EXPECT_EQ(BoxTexts(), (std::vector<std::string>{
                            "SETUP.INI : \"missing.dat\" のコピーに失敗しました",
                            "アップデートが中断されました"}));
  EXPECT_EQ(HostMessageBox(0)->Style, SYS_MB_ICONERROR);
  // A source that cannot be found counts as a folder.
  ASSERT_EQ(HostShellCopyCount(), 1);
  EXPECT_EQ(HostShellCopy(0)->Flags, 0x0610);

  TearDown();
  SetUp();
  Prepare("CopyFile00=1:disc1.id\r\n");
  InstallGame(1, "DiskCheckFile1=disc1.id\r\n");
  WriteHostFile("Disc/disc1.id", "1");
  HostForceNextShellCopy(1, 1);  // the user stopped the copy
  RunThrough(0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"アップデートが中断されました"});
}

}  // namespace
