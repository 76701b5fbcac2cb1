// Writing members through the real file system when the destination cannot
// take them: a file another program holds open without sharing keeps its
// old content, a folder at the destination is refused, and no temporary
// file stays behind. A read-only installed file that the newer-date rule
// keeps loses its read-only attribute all the same.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "tests/e2e/harness/scenario.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();

struct WriteFailure {
  const char* name;
  const char* line;     // the update line
  bool holdInstalled;   // the driver holds game/locked.dat open
};

class WriteFailures : public testing::TestWithParam<WriteFailure> {};

TEST_P(WriteFailures, LeaveTheInstallationAsItWas) {
  const WriteFailure& c = GetParam();
  Scenario s(std::string("write_failure_") + c.name);
  const uint64_t installedTime = FileTimeUtc(2020, 3, 4, 5, 6, 7);
  s.InstallGame(s.SetupIni());
  s.WriteFile("game/locked.dat", "installed content", installedTime);
  s.WriteFile("game/folder/inside.txt", "inside a folder", installedTime);
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni(std::string("[UPDATE]\r\n"
                                                            "UpdateFile00=") +
                                                c.line + "\r\n"));
  s.AddMember("locked.dat", "new content", FileTimeUtc(2023, 1, 1, 0, 0, 0));
  s.AddMember("folder", "a file where a folder is", FileTimeUtc(2023, 1, 1, 0, 0, 0));
  ASSERT_TRUE(s.BuildUpdater());

  Lines steps;
  if (c.holdInstalled) steps.push_back("hold-file " + s.WindowsPath("game/locked.dat"));
  for (const std::string& step :
       {std::string("start"), "wait-dialog " + kCaption, std::string("click 1"),
        std::string("expect-status アップデートを実行します"), std::string("click 1"),
        "wait-box " + kCaption, std::string("answer ok"),
        "wait-box " + kCaption, std::string("answer ok"),
        std::string("wait-exit")})
    steps.push_back(step);
  DriverRun run = s.Run(steps);

  ASSERT_GE(run.lines.size(), 3u) << run.Text();
  EXPECT_EQ(run.lines[2],
            BoxLine(kCaption, "ファイルの書き込みに失敗しました", "OK", true, "dialog"))
      << run.Text();
  EXPECT_EQ(run.lines[3], BoxLine(kCaption, "アップデートが中断されました")) << run.Text();
  EXPECT_EQ(run.lines.back(), "exit 0") << run.Text();
  EXPECT_EQ(s.ReadFile("game/locked.dat"), "installed content");
  EXPECT_EQ(s.FileTimeOf("game/locked.dat"), installedTime);
  EXPECT_TRUE(s.IsFolder("game/folder"));
  EXPECT_EQ(s.ReadFile("game/folder/inside.txt"), "inside a folder");
  // Nothing but what was there: no temporary file of the failed write.
  EXPECT_EQ(s.ListFiles("game"),
            (Lines{"SETUP.INI", "folder/", "folder/inside.txt", "locked.dat"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Extract, WriteFailures,
    testing::Values(WriteFailure{"held_open", "locked.dat", true},
                    WriteFailure{"folder", "folder", false}),
    [](const testing::TestParamInfo<WriteFailure>& param) { return param.param.name; });

TEST(Extract, KeptReadOnlyFileLosesTheAttribute) {
  Scenario s("read_only_kept");
  const uint64_t newer = FileTimeUtc(2025, 1, 1, 0, 0, 0);
  s.InstallGame(s.SetupIni());
  s.WriteFile("game/kept.dat", "installed, newer", newer);
  s.WriteFile("game/replaced.dat", "installed, older", FileTimeUtc(2020, 1, 1, 0, 0, 0));
  // Wine keeps the read-only attribute as the file's missing write
  // permission.
  ASSERT_EQ(chmod(s.Path("game/kept.dat").c_str(), 0444), 0);
  ASSERT_EQ(chmod(s.Path("game/replaced.dat").c_str(), 0444), 0);
  s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\n"
                                                "UpdateFile00=u,kept.dat\r\n"
                                                "UpdateFile01=u,replaced.dat\r\n"));
  const uint64_t memberTime = FileTimeUtc(2023, 1, 1, 0, 0, 0);
  s.AddMember("kept.dat", "member", memberTime);
  s.AddMember("replaced.dat", "member", memberTime);
  ASSERT_TRUE(s.BuildUpdater());

  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, "click 1",
                         "expect-status アップデートを実行します", "click 1",
                         "expect-status アップデートは完了しました", "click 1", "wait-exit"});
  EXPECT_EQ(run.lines.back(), "exit 1") << run.Text();
  EXPECT_EQ(s.ReadFile("game/kept.dat"), "installed, newer");
  EXPECT_EQ(s.FileTimeOf("game/kept.dat"), newer);
  EXPECT_EQ(s.ReadFile("game/replaced.dat"), "member");
  EXPECT_EQ(s.FileTimeOf("game/replaced.dat"), memberTime);
  for (const char* name : {"game/kept.dat", "game/replaced.dat"}) {
    struct stat info;
    ASSERT_EQ(stat(s.Path(name).c_str(), &info), 0);
    EXPECT_NE(info.st_mode & S_IWUSR, 0u) << name << " is still read-only";
  }
}

}  // namespace
