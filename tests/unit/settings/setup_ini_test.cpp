// The installed game's SETUP.INI: the required keys, the list checks and
// their messages, the order in which keys are taken, and the kept values.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <utility>
#include <vector>

#include "settings/setup_ini.h"
#include "settings_fixture.h"

namespace {

// "ゲーム" in Shift-JIS.
const char kTitle[] = "\x83\x51\x81\x5B\x83\x80";

using Keys = std::vector<std::pair<std::string, std::string>>;

// A complete file in the order the installer writes it.
Keys CompleteSetup() {
  return {
      {"CompanyName", "Maker"},
      {"GameTitle", kTitle},
      {"GameDir", "Game"},
      {"GameExe", "game.exe"},
      {"UninstExe", "uninst.exe"},
      {"SetupBmp", "a.bmp,b.bmp"},
      {"InstallSelects", "1"},
      {"InstallTitle0", "Full"},
      {"InstallFiles0", "b.dat,c.dat"},
      {"Shortcuts", "1"},
      {"Shortcut0", "Game,game.exe"},
      {"DiskCheckFile1", "disk1.chk"},
      {"DiskCheckFile2", "disk2.chk"},
  };
}

Keys With(Keys keys, const std::string& key, const std::string& value) {
  for (auto& entry : keys) {
    if (entry.first == key) {
      entry.second = value;
      return keys;
    }
  }
  keys.push_back({key, value});
  return keys;
}

Keys Without(Keys keys, const std::string& key) {
  Keys out;
  for (auto& entry : keys)
    if (entry.first != key) out.push_back(entry);
  return out;
}

class InstalledSetup : public SettingsFiles {
 protected:
  void SetUp() override {
    SettingsFiles::SetUp();
    // Start-up has read UPDATE.INI into the same fields and set the flag.
    strcpy(UpdaterSettings.GameTitle, "FromUpdateIni");
    strcpy(UpdaterSettings.GameClass, "ClassFromUpdateIni");
    strcpy(UpdaterSettings.DiskCheckFiles[1], "old.chk");
    QuietMissingKeys = 1;
  }

  void Write(const Keys& keys) {
    std::string ini = "[SETUP]\r\n";
    for (auto& entry : keys) ini += entry.first + "=" + entry.second + "\r\n";
    WriteSetupIni(ini);
  }

  void ExpectOneBox(const char* text) {
    ASSERT_EQ(HostMessageBoxCount(), 1);
    EXPECT_STREQ(HostMessageBox(0)->Text, text);
    EXPECT_STREQ(HostMessageBox(0)->Caption, "DOZARUZO");
    EXPECT_EQ(HostMessageBox(0)->Style, SYS_MB_ICONERROR);
  }
};

TEST_F(InstalledSetup, CompleteFileReplacesTitleAndClassAndTakesCheckFiles) {
  Write(CompleteSetup());
  LastDiskNumber = 7;
  ASSERT_EQ(ReadInstalledSetup(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_STREQ(UpdaterSettings.GameTitle, kTitle);
  // Without GameClass the class is the title just read.
  EXPECT_STREQ(UpdaterSettings.GameClass, kTitle);
  EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[0], "");
  EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[1], "disk1.chk");
  EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[2], "disk2.chk");
  for (int n = 3; n < 10; n++) EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[n], "");
  EXPECT_NE(QuietMissingKeys, 0);
  // The file list starts on disk 0 and its fields carry no prefix.
  EXPECT_EQ(LastDiskNumber, 0);

  Write(With(CompleteSetup(), "GameClass", "GameWindow"));
  ASSERT_EQ(ReadInstalledSetup(), 1);
  EXPECT_STREQ(UpdaterSettings.GameClass, "GameWindow");
}

TEST_F(InstalledSetup, MissingRequiredKeyFailsWithoutABox) {
  const char* required[] = {"CompanyName", "GameTitle",  "GameDir",
                            "GameExe",     "UninstExe",  "SetupBmp",
                            "InstallSelects", "InstallTitle0", "InstallFiles0",
                            "Shortcuts",   "Shortcut0"};
  for (const char* key : required) {
    SCOPED_TRACE(key);
    HostReset();
    HostMapDrive('C', folder_.string().c_str());
    for (const Keys& keys : {Without(CompleteSetup(), key),
                             With(CompleteSetup(), key, "")}) {
      Write(keys);
      EXPECT_EQ(ReadInstalledSetup(), 0);
    }
    EXPECT_EQ(HostMessageBoxCount(), 0);
  }
}

struct FailureCase {
  const char* key;
  const char* value;
  const char* message;
};

const FailureCase kFailures[] = {
    {"SetupBmp", ",a.bmp", "SETUP.INI : SetupBmps エラー"},
    {"SetupBmp", ",", "SETUP.INI : SetupBmps エラー"},
    {"InstallSelects", "5", "SETUP.INI : InstallSelect オーバー"},
    {"InstallFiles0", ",x.dat", "SETUP.INI : InstallFiles0 エラー"},
    {"Shortcuts", "11", "SETUP.INI : Shortcuts オーバー"},
    {"Shortcut0", "Game", "SETUP.INI : Shortcut0 エラー"},
    {"Shortcut0", "x,,y", "SETUP.INI : Shortcut0 エラー"},
    {"ExecApp", "run.exe", "SETUP.INI : ExecApp エラー"},
    {"ExecApp", ",run.exe", "SETUP.INI : ExecApp エラー"},
};

TEST_F(InstalledSetup, BadListsAndNumbersShowTheirMessage) {
  for (const FailureCase& c : kFailures) {
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    HostReset();
    HostMapDrive('C', folder_.string().c_str());
    Write(With(CompleteSetup(), c.key, c.value));
    EXPECT_EQ(ReadInstalledSetup(), 0);
    ExpectOneBox(c.message);
  }
}

TEST_F(InstalledSetup, ValuesThatPass) {
  std::string bmps;
  for (int n = 0; n < 25; n++) bmps += (n ? "," : "") + std::to_string(n) + ".bmp";
  const std::pair<const char*, std::string> passing[] = {
      {"SetupBmp", bmps},
      {"InstallFiles0", "2:"},
      {"Shortcut0", "x,y"},
      {"Shortcut0", "x,y,,z"},
      {"Shortcut0", "v,w,x,y,z"},
      {"ExecApp", "run.exe,Run"},
      {"InstallAfterAdd", "0"},
      {"InstallAfterAdd", "abc"},
  };
  for (const auto& c : passing) {
    SCOPED_TRACE(std::string(c.first) + "=" + c.second);
    Write(With(CompleteSetup(), c.first, c.second));
    EXPECT_EQ(ReadInstalledSetup(), 1);
  }
  // No installation choices and no shortcuts need none of their keys.
  for (const char* none : {"0", "-3", "abc"}) {
    SCOPED_TRACE(none);
    Keys keys = Without(Without(Without(CompleteSetup(), "InstallTitle0"),
                                "InstallFiles0"),
                        "Shortcut0");
    keys = With(With(keys, "InstallSelects", none), "Shortcuts", none);
    Write(keys);
    EXPECT_EQ(ReadInstalledSetup(), 1);
  }
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(InstalledSetup, FourChoicesAndTenShortcutsNeedAllTheirKeys) {
  Keys keys = With(With(CompleteSetup(), "InstallSelects", "4"), "Shortcuts", "10");
  for (int i = 0; i < 4; i++) {
    keys = With(keys, "InstallTitle" + std::to_string(i), "T");
    keys = With(keys, "InstallFiles" + std::to_string(i), "f.dat");
  }
  for (int j = 0; j < 10; j++) keys = With(keys, "Shortcut" + std::to_string(j), "a,b");
  Write(keys);
  EXPECT_EQ(ReadInstalledSetup(), 1);
  for (const char* last : {"InstallTitle3", "InstallFiles3", "Shortcut9"}) {
    SCOPED_TRACE(last);
    Write(Without(keys, last));
    EXPECT_EQ(ReadInstalledSetup(), 0);
  }
  // Key names carry no leading zeros.
  Write(With(Without(keys, "Shortcut9"), "Shortcut09", "a,b"));
  EXPECT_EQ(ReadInstalledSetup(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(InstalledSetup, TitlesAndFileListsAlternate) {
  // InstallFiles0 is taken before InstallTitle1 is looked for: its error
  // is the one reported.
  Keys keys = With(With(CompleteSetup(), "InstallSelects", "2"), "InstallFiles0", ",x");
  Write(keys);
  EXPECT_EQ(ReadInstalledSetup(), 0);
  ExpectOneBox("SETUP.INI : InstallFiles0 エラー");

  // And the missing InstallTitle1 ends the reading before the bad
  // InstallFiles1 is examined.
  HostReset();
  HostMapDrive('C', folder_.string().c_str());
  keys = With(With(CompleteSetup(), "InstallSelects", "2"), "InstallFiles1", ",x");
  Write(keys);
  EXPECT_EQ(ReadInstalledSetup(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(InstalledSetup, KeysAfterAFailureStayUnread) {
  Keys keys = With(With(CompleteSetup(), "Shortcut0", "x"), "GameClass", "GameWindow");
  Write(keys);
  EXPECT_EQ(ReadInstalledSetup(), 0);
  // The title was read before the failure; the class and the check files
  // come after it and keep what UPDATE.INI gave.
  EXPECT_STREQ(UpdaterSettings.GameTitle, kTitle);
  EXPECT_STREQ(UpdaterSettings.GameClass, "ClassFromUpdateIni");
  EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[1], "old.chk");
  EXPECT_STREQ(UpdaterSettings.DiskCheckFiles[2], "");
}

TEST_F(InstalledSetup, OptionalKeysAreQuietEvenWhenTheFlagStartsClear) {
  QuietMissingKeys = 0;
  Write(CompleteSetup());
  ASSERT_EQ(ReadInstalledSetup(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_NE(QuietMissingKeys, 0);
}

TEST_F(InstalledSetup, InstallAddFilesIsRequiredAndReportedAfterANonZeroAfterAdd) {
  // Missing: the missing-key box, although the flag was set when the reader
  // started, and the flag is set again afterwards.
  Write(With(CompleteSetup(), "InstallAfterAdd", "1"));
  EXPECT_EQ(ReadInstalledSetup(), 0);
  ExpectOneBox("SETUP.INI : InstallAddFiles キーが存在しません");
  EXPECT_NE(QuietMissingKeys, 0);

  HostReset();
  HostMapDrive('C', folder_.string().c_str());
  Write(With(With(CompleteSetup(), "InstallAfterAdd", "-2"), "InstallAddFiles", ",a"));
  EXPECT_EQ(ReadInstalledSetup(), 0);
  ExpectOneBox("SETUP.INI : InstallAddFiles エラー");
  EXPECT_NE(QuietMissingKeys, 0);

  HostReset();
  HostMapDrive('C', folder_.string().c_str());
  Write(With(With(CompleteSetup(), "InstallAfterAdd", "1"), "InstallAddFiles",
             "3:add.dat,more.dat"));
  LastDiskNumber = 0;
  EXPECT_EQ(ReadInstalledSetup(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
  EXPECT_NE(QuietMissingKeys, 0);
  EXPECT_EQ(LastDiskNumber, 3);

  // A bad InstallAddFiles is not looked at while InstallAfterAdd is 0.
  Write(With(With(CompleteSetup(), "InstallAfterAdd", "0"), "InstallAddFiles", ",a"));
  EXPECT_EQ(ReadInstalledSetup(), 1);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

}  // namespace
