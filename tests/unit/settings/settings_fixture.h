// A scene for the settings readers: a fresh temporary host folder mapped as
// drive C:, UPDATE.INI at C:\UPDATE.INI, SETUP.INI at C:\Game\SETUP.INI,
// and the process-wide settings values in their start state.
#ifndef UPDATER_TESTS_UNIT_SETTINGS_SETTINGS_FIXTURE_H
#define UPDATER_TESTS_UNIT_SETTINGS_SETTINGS_FIXTURE_H

#include <gtest/gtest.h>
#include <stdlib.h>
#include <string.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/shared.h"
#include "platform/host/host_control.h"
#include "settings/profile.h"
#include "settings/update_ini.h"
#include "settings/updater_settings.h"

class SettingsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    HostReset();
    std::string pattern =
        (std::filesystem::temp_directory_path() / "settings_tests_XXXXXX")
            .string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
    std::filesystem::create_directories(folder_ / "Game");
    HostMapDrive('C', folder_.string().c_str());
    QuietMissingKeys = 0;
    LastDiskNumber = 0;
    DialogWindow = 0;
    memset(&UpdaterSettings, 0, sizeof UpdaterSettings);
    memset(&UpdateList, 0, sizeof UpdateList);
    memset(&CopyList, 0, sizeof CopyList);
    strcpy(UpdateIniPath, "C:\\UPDATE.INI");
    strcpy(SetupIniPath, "C:\\Game\\SETUP.INI");
  }

  void TearDown() override {
    DialogWindow = 0;
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
  }

  // Writes the bytes to a file below the mapped folder ("Game/SETUP.INI").
  void WriteFile(const std::string& relative, const std::string& bytes) {
    std::ofstream out(folder_ / relative, std::ios::binary);
    out << bytes;
    ASSERT_TRUE(out.good());
  }
  void WriteUpdateIni(const std::string& bytes) { WriteFile("UPDATE.INI", bytes); }
  void WriteSetupIni(const std::string& bytes) {
    WriteFile("Game/SETUP.INI", bytes);
  }

  std::filesystem::path folder_;
};

#endif
