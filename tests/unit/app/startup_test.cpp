// The start-up sequence and its checks, run whole through UpdaterMain on
// the simulated Windows.
#include <dirent.h>

#include "app/shared.h"
#include "app/startup_checks.h"
#include "app_fixture.h"
#include "settings/updater_settings.h"

namespace {

class Startup : public AppScene {
 public:
  // An archive whose update description has the given [SETUP] extras and
  // one plain update line.
  void Prepare(const std::string& setupExtra = "",
               const std::string& update = "UpdateFile00=a.dat\r\n") {
    AddMember("UPDATE.INI", UpdateIni(setupExtra, update));
    AddMember("a.dat", "new a");
    InstallArchive();
  }

  bool TempFolderEmpty() {
    DIR* dir = opendir(HostPath("Temp").c_str());
    if (dir == nullptr) return false;
    bool empty = true;
    while (dirent* entry = readdir(dir))
      if (entry->d_name[0] != '.') empty = false;
    closedir(dir);
    return empty;
  }
};

TEST_F(Startup, WithoutAnArchiveNothingIsShown) {
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(Startup, MissingBindingIsReportedBeforeAnythingElse) {
  Prepare();
  InstallGame();
  HostFailBinding("KeyQueryValue");
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"COULD NOT MAP SOME FUNCTIONS"});
  EXPECT_STREQ(HostMessageBox(0)->Caption, "UPDATE");
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(Startup, UnreadableArchiveIsReported) {
  std::vector<uint8_t> garbage(40, 0xEE);
  HostSetArchiveImage(garbage.data(), (uint32_t)garbage.size());
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"RESOURCE READ ERROR"});
  EXPECT_STREQ(HostMessageBox(0)->Caption, "UPDATE");
}

TEST_F(Startup, FinishedWizardExitsWithOneAndRemovesTheUpdateDescription) {
  Prepare();
  InstallGame();
  std::vector<std::string> status;
  PressNextThroughout(&status);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "new a");
  ASSERT_EQ(status.size(), 3u);
  EXPECT_EQ(status[0], "「Installed Game」のアップデートを開始します");
  EXPECT_EQ(status[1], "アップデートを実行します");
  EXPECT_EQ(status[2], "アップデートは完了しました");
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(Startup, UpdateDescriptionHasANameOfItsOwnPerProcess) {
  Prepare();
  InstallGame();
  // A file of another updater in the temporary folder is left alone.
  WriteHostFile("Temp/UPDATE.INI", "another updater's copy");
  std::string seen;
  WizardUser() = [&seen](SysWindow, int) {
    seen = UpdateIniPath;
    return 0;
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(seen.rfind("C:\\Temp\\UPDATE-", 0), 0u) << seen;
  EXPECT_EQ(ReadHostFile("Temp/UPDATE.INI"), "another updater's copy");
  EXPECT_FALSE(HostFileExists("Temp/" + seen.substr(8)));
}

TEST_F(Startup, FailuresBeforeTheWizardShowTheirBox) {
  struct Case {
    const char* name;
    std::function<void(Startup*)> scene;
    std::vector<std::string> boxes;
    const char* caption;
  } cases[] = {
      {"missing required key",
       [](Startup* t) {
         t->AddMember("UPDATE.INI",
                      "[SETUP]\r\nCompanyName=Company\r\nGameTitle=Game\r\n"
                      "GameClass=GameClass\r\n");
         t->InstallArchive();
         t->InstallGame();
       },
       {"SETUP : GameDir キーが存在しません"}, "DOZARUZO"},
      {"not installed",
       [](Startup* t) { t->Prepare(); },
       {"「Game」がインストールされていません"}, "UPDATE"},
      {"no SETUP.INI",
       [](Startup* t) {
         t->Prepare();
         t->InstallGame();
         unlink(t->HostPath("Game/SETUP.INI").c_str());
       },
       {"インストール先に \"SETUP.INI\" ファイルが見つかりません"}, "UPDATE"},
      {"SETUP.INI failing its check",
       [](Startup* t) {
         t->Prepare();
         t->InstallGame(1, "InstallAfterAdd=1\r\n");
       },
       {"SETUP.INI : InstallAddFiles キーが存在しません"}, "DOZARUZO"},
      {"agreement member missing",
       [](Startup* t) {
         t->Prepare("AgreementText=licence.txt\r\n");
         t->InstallGame();
       },
       {"Can't Find File in Resource !!", "'licence.txt' not found at UPDATE.JQ3"},
       "UPDATE"},
      {"update description missing from the archive",
       [](Startup* t) {
         t->AddMember("a.dat", "x");
         t->InstallArchive();
         t->InstallGame();
       },
       {"Can't Find File in Resource !!"}, "UPDATE"},
  };
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    TearDown();
    SetUp();
    c.scene(this);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(BoxTexts(), c.boxes);
    if (HostMessageBoxCount() > 0) {
      EXPECT_STREQ(HostMessageBox(HostMessageBoxCount() - 1)->Caption, c.caption);
    }
    EXPECT_TRUE(TempFolderEmpty());
  }
}

TEST_F(Startup, RegistryValuesThatDoNotFitCountAsNotInstalled) {
  Prepare();
  InstallGame();
  std::string unterminated(260, 'a');
  HostRegistrySetBytes("Software\\Company\\GameDir", "InstPath", unterminated.data(),
                       260);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"「Game」がインストールされていません"});

  TearDown();
  SetUp();
  Prepare();
  InstallGame();
  uint16_t shortMode = 1;
  HostRegistrySetBytes("Software\\Company\\GameDir", "InstMode", &shortMode, 2);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"「Game」がインストールされていません"});
}

TEST_F(Startup, NoticeTurnsEscapesIntoLineBreaksUnderTheFirstCaption) {
  Prepare("UpdateMessage=A\\nB\r\n");
  InstallGame();
  PressNextThroughout(nullptr);
  EXPECT_EQ(Run(), 1);
  ASSERT_EQ(HostMessageBoxCount(), 1);
  EXPECT_STREQ(HostMessageBox(0)->Text, "A\rB");
  EXPECT_STREQ(HostMessageBox(0)->Caption, "UPDATE");
}

TEST_F(Startup, LineBreakEscapes) {
  struct Case {
    const char* notice;
    const char* shown;
  } cases[] = {
      {"A\\nB", "A\rB"},
      {"A\\\\nB", "A\\\rB"},
      {"A\\NB", "A\\NB"},
      {"A\\rB", "A\\rB"},
      {"AB\\", "AB\\"},
      {"\x83\x5Cn", "\x83\x5Cn"},  // a double-byte character, then n
      {"", ""},
  };
  for (const Case& c : cases) {
    char out[1024];
    ConvertLineBreaks(c.notice, out);
    EXPECT_STREQ(out, c.shown) << c.notice;
  }
}

TEST_F(Startup, CaptionAndWording) {
  struct Case {
    const char* extra;
    const char* caption;
    const char* firstPage;
  } cases[] = {
      {"UpdaterVersion=1.05\r\n", "Installed Game アップデータ 1.05",
       "「Installed Game」のアップデートを開始します"},
      {"", "Installed Game アップデータ ", "「Installed Game」のアップデートを開始します"},
      {"UpdaterTitle=Patch\r\nModeTextUpdateOrInstall= 2\r\n", "Patch",
       "「Patch」のインストールを開始します"},
      {"ModeTextUpdateOrInstall=-1\r\n", "Installed Game アップデータ ",
       "「」のインストールを開始します"},
      {"ModeTextUpdateOrInstall=abc\r\n", "Installed Game アップデータ ",
       "「Installed Game」のアップデートを開始します"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.extra);
    TearDown();
    SetUp();
    Prepare(c.extra);
    InstallGame();
    std::string title, status;
    WizardUser() = [&](SysWindow dialog, int) {
      title = HostDialogTitle(dialog);
      status = HostControlText(dialog, 1001);
      return 0;
    };
    HostSetDialogDriver(CallWizardUser);
    EXPECT_EQ(Run(), 0);
    EXPECT_EQ(title, c.caption);
    EXPECT_EQ(status, c.firstPage);
    // The cancelled wizard's box carries the formed caption, no owner.
    ASSERT_EQ(HostMessageBoxCount(), 1);
    EXPECT_STREQ(HostMessageBox(0)->Text, "アップデートが中断されました");
    EXPECT_STREQ(HostMessageBox(0)->Caption, c.caption);
    EXPECT_EQ(HostMessageBox(0)->Owner, nullptr);
  }
}

TEST_F(Startup, SecondUpdaterBringsTheFirstForward) {
  Prepare("UpdaterVersion=1.05\r\n");
  InstallGame();
  SysWindow first = HostDeclareWindow(SYS_DIALOG_CLASS, "Installed Game アップデータ 1.05");
  PressNextThroughout(nullptr);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_TRUE(HostWindowShown(first));
  EXPECT_TRUE(HostWindowForeground(first));
  EXPECT_FALSE(HostFileExists("Game/a.dat"));
}

SysWindow runningGame;
int boxesSeen;
void CloseGameOnSecondBox(const HostMessageBoxRecord*) {
  if (++boxesSeen == 2) HostRemoveWindow(runningGame);
}

TEST_F(Startup, RunningGameIsWaitedFor) {
  Prepare("GameTitleA=Game Launcher\r\n");
  InstallGame();
  runningGame = HostDeclareWindow("InstalledClass", "Installed Game");
  boxesSeen = 0;
  HostSetMessageBoxHook(CloseGameOnSecondBox);
  HostQueueMessageBoxAnswer(SYS_IDOK);  // still running: asked again
  HostQueueMessageBoxAnswer(SYS_IDOK);  // closed meanwhile: go on
  PressNextThroughout(nullptr);
  EXPECT_EQ(Run(), 1);
  ASSERT_EQ(HostMessageBoxCount(), 2);
  EXPECT_STREQ(HostMessageBox(0)->Text,
               "「Installed Game」が実行中です。アップデートを続行する場合はゲームを終了"
               "してから [OK] を、アップデートを中止する場合は [キャンセル] を押して下さい");
  EXPECT_STREQ(HostMessageBox(0)->Caption, "Installed Game アップデータ ");
  EXPECT_EQ(HostMessageBox(0)->Style, SYS_MB_OKCANCEL);
  EXPECT_EQ(HostMessageBox(0)->Owner, nullptr);
}

TEST_F(Startup, CancelWhileTheGameRunsShowsTheGame) {
  Prepare("GameTitleA=Game Launcher\r\n");
  InstallGame();
  SysWindow launcher = HostDeclareWindow("InstalledClass", "Game Launcher");
  HostQueueMessageBoxAnswer(SYS_IDCANCEL);
  EXPECT_EQ(Run(), 0);
  ASSERT_EQ(HostMessageBoxCount(), 1);
  EXPECT_EQ(std::string(HostMessageBox(0)->Text).rfind("「Game Launcher」が実行中です", 0),
            0u);
  EXPECT_TRUE(HostWindowForeground(launcher));
  EXPECT_FALSE(HostFileExists("Game/a.dat"));
}

}  // namespace
