// The wizard's pages and buttons as a user meets them.
#include "app/shared.h"
#include "app_fixture.h"

namespace {

class Wizard : public AppScene {
 protected:
  void Prepare(const std::string& setupExtra) {
    AddMember("UPDATE.INI", UpdateIni(setupExtra, "UpdateFile00=a.dat\r\n"));
    AddMember("a.dat", "member a");
    AddMember("licence.txt", "Licence text\r\nSecond line");
    AddMember("heading.txt", "Read this: 100%% sure, %s stays");
    InstallArchive();
    InstallGame();
  }
};

TEST_F(Wizard, LicencePageKeepsNextDisabledUntilAgreed) {
  Prepare("AgreementText=licence.txt\r\n");
  WizardUser() = [](SysWindow dialog, int step) {
    switch (step) {
      case 0:
        EXPECT_EQ(HostDialogTemplate(dialog), 101);
        EXPECT_STREQ(HostControlText(dialog, 1000), "Licence text\r\nSecond line");
        EXPECT_TRUE(HostControlChecked(dialog, 1003));
        EXPECT_FALSE(HostControlChecked(dialog, 1002));
        EXPECT_TRUE(HostControlVisible(dialog, 1000));
        EXPECT_FALSE(HostControlEnabled(dialog, 1));
        EXPECT_FALSE(HostControlEnabled(dialog, 4));
        EXPECT_TRUE(HostControlEnabled(dialog, 2));
        EXPECT_FALSE(HostClick(dialog, 1));  // disabled: nothing happens
        EXPECT_TRUE(HostClick(dialog, 1002));
        EXPECT_TRUE(HostControlEnabled(dialog, 1));
        EXPECT_TRUE(HostControlChecked(dialog, 1002));
        EXPECT_FALSE(HostControlChecked(dialog, 1003));
        EXPECT_TRUE(HostClick(dialog, 1003));
        EXPECT_FALSE(HostControlEnabled(dialog, 1));
        EXPECT_TRUE(HostClick(dialog, 1002));
        return HostClick(dialog, 1);
      case 1:
        EXPECT_STREQ(HostControlText(dialog, 1001), "アップデートを実行します");
        EXPECT_FALSE(HostControlVisible(dialog, 1000));
        EXPECT_FALSE(HostControlVisible(dialog, 1002));
        EXPECT_FALSE(HostControlVisible(dialog, 1003));
        return HostClick(dialog, 1);
      case 2:
        EXPECT_STREQ(HostControlText(dialog, 1), "完了");
        EXPECT_TRUE(HostControlFocused(dialog, 1));
        EXPECT_FALSE(HostControlEnabled(dialog, 2));
        EXPECT_FALSE(HostControlEnabled(dialog, 4));
        return HostClick(dialog, 1);
      default:
        return 0;
    }
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_EQ(ReadHostFile("Game/a.dat"), "member a");
}

TEST_F(Wizard, PlainLayoutAndHeadingShownAsText) {
  Prepare("AgreementTitle=heading.txt\r\n");
  std::string status;
  int layout = 0;
  bool nextEnabled = false;
  WizardUser() = [&](SysWindow dialog, int) {
    status = HostControlText(dialog, 1001);
    layout = HostDialogTemplate(dialog);
    nextEnabled = HostControlEnabled(dialog, 1);
    return 0;
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(layout, 100);
  EXPECT_TRUE(nextEnabled);
  EXPECT_EQ(status, "Read this: 100% sure, %s stays");
}

TEST_F(Wizard, CancelOnTheConfirmationPageWritesNothing) {
  Prepare("");
  WizardUser() = [](SysWindow dialog, int step) {
    return step == 0 ? HostClick(dialog, 1) : HostClick(dialog, 2);
  };
  HostSetDialogDriver(CallWizardUser);
  EXPECT_EQ(Run(), 0);
  EXPECT_EQ(BoxTexts(), std::vector<std::string>{"アップデートが中断されました"});
  EXPECT_EQ(HostMessageBox(0)->Owner, nullptr);
  EXPECT_FALSE(HostFileExists("Game/a.dat"));
}

}  // namespace
