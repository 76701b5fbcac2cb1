// A scene for the updater on the simulated Windows: drive C: mapped to a
// fresh folder, a temporary folder, an installed game with its registry key
// and SETUP.INI, and an archive built with the project's own writer.
#ifndef UPDATER_TESTS_UNIT_APP_APP_FIXTURE_H
#define UPDATER_TESTS_UNIT_APP_APP_FIXTURE_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "app/startup.h"
#include "archive/archive_writer.h"
#include "platform/host/host_control.h"

// The wizard's user: a function called again and again while the dialog
// runs, with the dialog and the step number; returning 0 closes the dialog.
inline std::function<int(SysWindow, int)>& WizardUser() {
  static std::function<int(SysWindow, int)> user;
  return user;
}

inline int CallWizardUser(SysWindow dialog, int step) {
  return WizardUser() ? WizardUser()(dialog, step) : 0;
}

// A user who presses Next on every step, as long as it is enabled, and
// records the status line seen before each press.
inline void PressNextThroughout(std::vector<std::string>* statusLines) {
  WizardUser() = [statusLines](SysWindow dialog, int step) {
    if (step > 20) return 0;
    if (statusLines) statusLines->push_back(HostControlText(dialog, 1001));
    return HostClick(dialog, 1) ? 1 : 0;
  };
  HostSetDialogDriver(CallWizardUser);
}

// 2024-01-01T00:00:00Z as a FILETIME.
constexpr uint64_t kMemberTime = 133485408000000000ull;

class AppScene : public ::testing::Test {
 protected:
  void SetUp() override {
    HostReset();
    ResetProcessState();
    WizardUser() = nullptr;
    members_.clear();
    image_.clear();
    char pattern[] = "/tmp/updater-app-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    mkdir((root_ + "/Temp").c_str(), 0755);
    mkdir((root_ + "/Game").c_str(), 0755);
    mkdir((root_ + "/Data").c_str(), 0755);
    HostMapDrive('C', root_.c_str());
    HostSetTempPath("C:\\Temp\\");
    HostSetProgramFolder("C:\\Patch");
  }

  void TearDown() override {
    std::string command = "rm -rf '" + root_ + "'";
    ASSERT_EQ(system(command.c_str()), 0);
    HostReset();
    ResetProcessState();
  }

 public:
  // A host path below the C: folder ("Game/a.dat").
  std::string HostPath(const std::string& relative) const {
    return root_ + "/" + relative;
  }

  void WriteHostFile(const std::string& relative, const std::string& bytes) {
    std::ofstream out(HostPath(relative), std::ios::binary);
    out << bytes;
  }

  std::string ReadHostFile(const std::string& relative) const {
    std::ifstream in(HostPath(relative), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  bool HostFileExists(const std::string& relative) const {
    struct stat info;
    return stat(HostPath(relative).c_str(), &info) == 0;
  }

  void AddMember(const std::string& name, const std::string& bytes,
                 uint64_t time = kMemberTime, bool compress = true,
                 bool scramble = true) {
    ArchiveWriterMember member;
    member.Name = name;
    member.Bytes.assign(bytes.begin(), bytes.end());
    member.FileTime = time;
    member.Compress = compress;
    member.Scramble = scramble;
    members_.push_back(member);
  }

  // The archive the program carries, built from the members so far.
  void InstallArchive(uint32_t directoryFlags = 3) {
    std::string error;
    ASSERT_TRUE(WriteArchive(members_, directoryFlags, &image_, &error)) << error;
    HostSetArchiveImage(image_.data(), (uint32_t)image_.size());
  }

  // [SETUP] of the update description with the required keys, followed by
  // the given further lines of [SETUP] and the whole [UPDATE] section.
  static std::string UpdateIni(const std::string& setupExtra,
                               const std::string& update) {
    return "[SETUP]\r\nCompanyName=Company\r\nGameTitle=Game\r\n"
           "GameClass=GameClass\r\nGameDir=GameDir\r\n" +
           setupExtra + "\r\n[UPDATE]\r\n" + update;
  }

  // An installed game: registry key, install and data folders, SETUP.INI.
  void InstallGame(uint32_t instMode = 1, const std::string& setupExtra = "") {
    HostRegistrySetString("Software\\Company\\GameDir", "InstPath", "C:\\Game");
    HostRegistrySetString("Software\\Company\\GameDir", "DataPath", "C:\\Data");
    HostRegistrySetDword("Software\\Company\\GameDir", "InstMode", instMode);
    WriteHostFile("Game/SETUP.INI", SetupIni(setupExtra));
  }

  static std::string SetupIni(const std::string& extra) {
    return "[SETUP]\r\nCompanyName=Company\r\nGameTitle=Installed Game\r\n"
           "GameDir=GameDir\r\nGameExe=game.exe\r\nUninstExe=uninst.exe\r\n"
           "SetupBmp=setup.bmp\r\nInstallSelects=1\r\nInstallTitle0=Full\r\n"
           "InstallFiles0=game.exe,1:data.pak\r\nShortcuts=1\r\n"
           "Shortcut0=Game,game.exe\r\nGameClass=InstalledClass\r\n" +
           extra;
  }

  int Run() { return UpdaterMain((SysModule)this); }

  std::string root_;
  std::vector<ArchiveWriterMember> members_;
  std::vector<uint8_t> image_;
};

// The texts of every box shown so far, in order.
inline std::vector<std::string> BoxTexts() {
  std::vector<std::string> texts;
  for (int i = 0; i < HostMessageBoxCount(); i++)
    texts.push_back(HostMessageBox(i)->Text);
  return texts;
}

#endif
