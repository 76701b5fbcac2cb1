// The installed game's SETUP.INI as the real updater under Wine validates
// it: a file that fails ends the updater before its wizard, with the box
// that names the first problem or, for a missing required key, silently.
#include <gtest/gtest.h>

#include <ostream>

#include "tests/e2e/harness/scenario.h"

namespace {

struct BadSetupIni {
  const char* name;
  const char* key;      // the key whose line is replaced, or null
  const char* line;     // its new line; empty removes it
  const char* more;     // lines added at the end of [SETUP]
  const char* message;  // the box's text; empty when no box may appear
};

// The SETUP.INI text with the line of `key` replaced by `line` (removed
// when `line` is empty).
std::string ReplaceLine(const std::string& ini, const std::string& key, const std::string& line) {
  size_t start = ini.find("\r\n" + key + "=");
  EXPECT_NE(start, std::string::npos) << key << " is not in the settings file";
  if (start == std::string::npos) return ini;
  start += 2;
  size_t end = ini.find("\r\n", start) + 2;
  return ini.substr(0, start) + (line.empty() ? "" : line + "\r\n") + ini.substr(end);
}

// Named by its case in the test's name.
void PrintTo(const BadSetupIni& bad, std::ostream* out) { *out << bad.name; }

class SetupIniValidation : public testing::TestWithParam<BadSetupIni> {};

TEST_P(SetupIniValidation, EndsTheUpdaterBeforeTheWizard) {
  const BadSetupIni& bad = GetParam();
  Scenario s(std::string("setup_ini_") + bad.name);
  std::string ini = s.SetupIni(bad.more);
  if (bad.key) ini = ReplaceLine(ini, bad.key, bad.line);
  s.InstallGame(ini);
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\nUpdateFile00=a.dat\r\n"));
  s.AddMember("a.dat", "member");
  ASSERT_TRUE(s.BuildUpdater());

  bool box = bad.message[0] != 0;
  Lines steps = {"start"};
  if (box) steps.insert(steps.end(), {"wait-box DOZARUZO", "answer ok"});
  steps.push_back("wait-exit");
  DriverRun run = s.Run(steps);
  Lines expected;
  if (box) expected.push_back(BoxLine("DOZARUZO", bad.message));
  expected.push_back("exit 0");
  EXPECT_EQ(run.lines, expected) << run.Text();
  EXPECT_EQ(s.ListFiles("game"), (Lines{"SETUP.INI"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Startup, SetupIniValidation,
    testing::Values(BadSetupIni{"too_many_choices", "InstallSelects", "InstallSelects=5", "",
                                "SETUP.INI : InstallSelect オーバー"},
                    BadSetupIni{"shortcut_of_one_field", "Shortcut0", "Shortcut0=ゲーム", "",
                                "SETUP.INI : Shortcut0 エラー"},
                    // The one required key that is reported: the reader asks for it
                    // with the missing-key box switched on.
                    BadSetupIni{"add_files_missing", nullptr, "", "InstallAfterAdd=1\r\n",
                                "SETUP.INI : InstallAddFiles キーが存在しません"},
                    BadSetupIni{"no_uninstaller", "UninstExe", "", "", ""}),
    [](const testing::TestParamInfo<BadSetupIni>& param) { return std::string(param.param.name); });

}  // namespace
