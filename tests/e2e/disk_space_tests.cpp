// The free-space check of the real updater under Wine, on a drive that is
// really small: a 1 MiB tmpfs mounted in the scenario folder and given the
// drive letter F:. Mounting needs root; elsewhere the case is skipped.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <memory>

#include "tests/e2e/harness/scenario.h"
#include "tests/e2e/harness/wine_environment.h"

namespace {

const std::string kCaption = Scenario::DefaultCaption();

// A tmpfs of 1 MiB at `folder`, seen by Wine as drive F:, for the lifetime
// of the object.
class SmallDrive {
 public:
  explicit SmallDrive(const std::string& folder) : folder_(folder) {
    link_ = wine::PrefixFolder() + "/dosdevices/f:";
    if (wine::PrefixFolder().empty()) {
      error_ = "the Wine environment is not started";
      return;
    }
    if (geteuid() != 0) {
      error_ = "mounting a tmpfs needs root";
      return;
    }
    // A mount left behind by an interrupted run goes first.
    RunProcess({"umount", folder_}, {}, 30);
    ProcessResult mounted =
        RunProcess({"mount", "-t", "tmpfs", "-o", "size=1m", "tmpfs", folder_}, {}, 30);
    if (mounted.status != 0) {
      error_ = "mount failed: " + mounted.out + mounted.err;
      return;
    }
    mounted_ = true;
    unlink(link_.c_str());
    if (symlink(folder_.c_str(), link_.c_str()) != 0) error_ = "cannot link drive F:";
  }
  ~SmallDrive() {
    unlink(link_.c_str());
    if (mounted_) RunProcess({"umount", folder_}, {}, 30);
  }
  const std::string& Error() const { return error_; }
  uint64_t FreeBytes() const {
    struct statvfs info;
    if (statvfs(folder_.c_str(), &info) != 0) return 0;
    return (uint64_t)info.f_bavail * info.f_frsize;
  }

 private:
  std::string folder_;
  std::string link_;
  std::string error_;
  bool mounted_ = false;
};

// A scenario whose game is installed in F:\game on the small drive.
class DiskSpace : public testing::Test {
 protected:
  // false when the drive cannot be had; the test is then skipped.
  bool Prepare(const std::string& name, const std::string& updateSection) {
    scenario_.reset(new Scenario(name));
    Scenario& s = *scenario_;
    mkdir(s.Path("small").c_str(), 0755);  // the mount point
    drive_.reset(new SmallDrive(s.Path("small")));
    if (!drive_->Error().empty()) return false;
    s.WriteShiftJis("small/game/SETUP.INI", s.SetupIni());
    s.SetRegistryText("InstPath", "F:\\game");
    s.SetRegistryNumber("InstMode", 0);
    s.AddShiftJisMember("UPDATE.INI", s.UpdateIni("[UPDATE]\r\n" + updateSection));
    return true;
  }

  std::unique_ptr<Scenario> scenario_;
  std::unique_ptr<SmallDrive> drive_;
};

TEST_F(DiskSpace, ShortfallKeepsTheWizardOpenUntilThereIsRoom) {
  const uint32_t required = 700000;
  if (!Prepare("disk_space_required",
               "RequiredDiskSpace=" + std::to_string(required) + "\r\nUpdateFile00=patch.dat\r\n"))
    GTEST_SKIP() << drive_->Error();
  Scenario& s = *scenario_;
  const uint64_t memberTime = FileTimeUtc(2023, 3, 4, 5, 6, 7);
  s.WriteFile("small/filler.bin", std::string(600 * 1024, 'x'));
  s.AddMember("patch.dat", "fits once the filler is gone", memberTime);
  ASSERT_TRUE(s.BuildUpdater());

  uint64_t freeBytes = drive_->FreeBytes();
  ASSERT_GT(freeBytes, 0u);
  ASSERT_LT(freeBytes, required) << "the filler leaves too much room";
  const std::string shortfall = "ディスク容量が足りません。\rF: ドライブに " +
                                std::to_string(required - freeBytes) +
                                " バイトの空き容量が必要です";

  DriverRun run = s.Run(
      {"start", "wait-dialog " + kCaption, "click 1", "expect-status アップデートを実行します",
       "click 1", "expect-status " + QuotedText(shortfall), "print-state", "print-files F:\\game",
       // The user makes room, goes back and tries again.
       "delete-file F:\\filler.bin", "click 4", "expect-status アップデートを実行します",
       "print-state", "click 1", "expect-status アップデートは完了しました", "click 1",
       "wait-exit"});
  EXPECT_EQ(run.lines, (Lines{"dialog " + kCaption, "status アップデートを実行します",
                              "status " + EscapeLine(shortfall),
                              "state 1=off 2=on 4=on 1000=none 1002=none 1003=none label=次へ",
                              "files SETUP.INI", "status アップデートを実行します",
                              "state 1=on 2=on 4=off 1000=none 1002=none 1003=none label=次へ",
                              "status アップデートは完了しました", "exit 1"}))
      << run.Text();
  EXPECT_EQ(s.ReadFile("small/game/patch.dat"), "fits once the filler is gone");
  EXPECT_EQ(s.FileTimeOf("small/game/patch.dat"), memberTime);
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

// Without RequiredDiskSpace the member's own check refuses one that is
// larger than the free room; the entries before it stay written.
TEST_F(DiskSpace, MemberLargerThanTheFreeRoomIsNotWritten) {
  if (!Prepare("disk_space_member", "UpdateFile00=small.dat\r\nUpdateFile01=large.dat\r\n"))
    GTEST_SKIP() << drive_->Error();
  Scenario& s = *scenario_;
  const uint32_t largeSize = 2 * 1024 * 1024;
  s.AddMember("small.dat", "a small member");
  s.AddMember("large.dat", std::string(largeSize, 'L'));
  ASSERT_TRUE(s.BuildUpdater());

  DriverRun run = s.Run({"start", "wait-dialog " + kCaption, "click 1",
                         "expect-status アップデートを実行します", "click 1",
                         "wait-box " + kCaption, "answer ok", "wait-box " + kCaption, "answer ok",
                         "wait-box " + kCaption, "answer ok", "wait-exit"});
  // The room as the updater saw it: after small.dat was written.
  uint64_t freeBytes = drive_->FreeBytes();
  ASSERT_GT(freeBytes, 0u);
  EXPECT_EQ(
      run.lines,
      (Lines{"dialog " + kCaption, "status アップデートを実行します",
             BoxLine(kCaption,
                     "ディスク容量が足りません。F: ドライブに " +
                         std::to_string(largeSize - freeBytes) + " バイトの空き容量が必要です",
                     "OK", true, "dialog"),
             BoxLine(kCaption, "ファイルの書き込みに失敗しました", "OK", true, "dialog"),
             BoxLine(kCaption, "アップデートが中断されました"), "exit 0"}))
      << run.Text();
  EXPECT_EQ(s.ListFiles("small/game"), (Lines{"SETUP.INI", "small.dat"}));
  EXPECT_TRUE(s.ListFiles(s.TempFolder()).empty());
}

}  // namespace
