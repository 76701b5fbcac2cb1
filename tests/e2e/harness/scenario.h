// One end-to-end case: a folder on drive D: of the Wine environment with
// the installed game and the temporary folder, the game's registry key,
// an archive built with the project's writer and the updater made from it,
// and a run of the driver (tests/e2e/driver) against that updater.
//
//   Scenario s("not_installed");
//   s.AddShiftJisMember("UPDATE.INI", s.UpdateIni(""));
//   s.BuildUpdater();
//   DriverRun run = s.Run({"start", "wait-box UPDATE", "answer ok", "wait-exit"});
//   EXPECT_EQ(run.lines, (Lines{BoxLine("UPDATE", "..."), "exit 0"}));
//
// Paths given to the file helpers are relative to the scenario folder and
// use '/'. The steps are the driver's (see e2e_driver.cpp): arguments are
// taken as they stand (Windows paths need no escaping), texts with a line
// break are written with QuotedText, for example
// "expect-status " + QuotedText(text). A step that is
// exactly "start" or "start-second" starts the scenario's updater.
#ifndef UPDATER_TESTS_E2E_HARNESS_SCENARIO_H
#define UPDATER_TESTS_E2E_HARNESS_SCENARIO_H

#include <stdint.h>

#include <string>
#include <vector>

#include "archive/archive_writer.h"

using Lines = std::vector<std::string>;

// A FILETIME (100 ns since 1601, UTC) from a UTC calendar time.
uint64_t FileTimeUtc(int year, int month, int day, int hour, int minute, int second);

// The FILETIME of the present moment, to the second (rounded down).
uint64_t FileTimeNow();

// The driver's escapes for one output line: "\\", "\r", "\n", "\t".
std::string EscapeLine(const std::string& text);

// A text argument of a driver step in double quotes with those escapes.
std::string QuotedText(const std::string& text);

// The line the driver prints for a message box.
std::string BoxLine(const std::string& caption, const std::string& text,
                    const std::string& buttons = "OK", bool icon = true,
                    const std::string& owner = "none");

struct DriverRun {
  int status = -1;        // the driver's exit status: 0 when every step was done
  bool timedOut = false;  // the harness had to kill the driver
  Lines lines;            // what the driver printed, one observation a line
  std::string errors;     // the driver's standard error (Wine's messages)
  std::string Text() const;  // all lines, for failure messages
};

class Scenario {
 public:
  // The game's names in the default description and settings files.
  static const char* const GameTitle;  // "テストゲーム"
  static const char* const GameClass;
  static const char* const CompanyName;
  // The caption that the updater forms from the default description and
  // settings files: the game's title, " アップデータ " and UpdaterVersion.
  static std::string DefaultCaption();

  // An empty scenario folder named `name` (also the game's GameDir and so
  // its registry key); drive E: (the CD-ROM) is emptied as well.
  explicit Scenario(const std::string& name);

  // ---- where things are
  std::string Folder() const;                            // Linux path
  std::string Path(const std::string& relative) const;   // Linux path below Folder()
  std::string WindowsPath(const std::string& relative) const;
  std::string InstallFolder() const { return "game"; }   // relative
  std::string TempFolder() const { return "temp"; }      // the updater's TMP and TEMP
  std::string RegistryKey() const;                       // HKCU\Software\<company>\<name>
  // A path below drive E:, the CD-ROM.
  std::string CdromPath(const std::string& relative) const;

  // ---- files
  void WriteFile(const std::string& relative, const std::string& bytes, uint64_t fileTime = 0);
  void WriteShiftJis(const std::string& relative, const std::string& utf8, uint64_t fileTime = 0);
  bool Exists(const std::string& relative) const;
  bool IsFolder(const std::string& relative) const;
  std::string ReadFile(const std::string& relative) const;
  uint64_t FileTimeOf(const std::string& relative) const;  // last write, 0 when missing
  // Files and folders below `relative`, as relative paths in sorted order.
  Lines ListFiles(const std::string& relative) const;
  void WriteCdromFile(const std::string& relative, const std::string& bytes, uint64_t fileTime = 0);

  // ---- the installed game
  // The default UPDATE.INI: [SETUP] with this scenario's company, title,
  // class and GameDir and UpdaterVersion 1.05, then `more` (UTF-8; further
  // [SETUP] keys first, then for example an [UPDATE] section).
  std::string UpdateIni(const std::string& more) const;
  // A complete SETUP.INI of the installed game with `more` appended to its
  // [SETUP] section.
  std::string SetupIni(const std::string& more = "") const;
  // Installs the game: InstPath (the install folder), InstMode 0 and
  // SETUP.INI (as given, UTF-8) in the install folder.
  void InstallGame(const std::string& setupIni);
  // Values of the game's registry key, set before the updater starts.
  void SetRegistryText(const std::string& name, const std::string& value);
  void SetRegistryNumber(const std::string& name, uint32_t value);
  void SetRegistryBytes(const std::string& name, const std::string& hex);

  // ---- the archive and the updater
  void AddMember(const std::string& name, const std::string& bytes, uint64_t fileTime = 0,
                 bool compress = true, bool scramble = true);
  void AddShiftJisMember(const std::string& name, const std::string& utf8, uint64_t fileTime = 0);
  void SetDirectoryFlags(uint32_t flags) { directoryFlags_ = flags; }
  // Writes the archive of the members and makes an updater that carries
  // it; false (after a test failure naming the cause) when that fails.
  bool BuildUpdater();
  // An updater that carries `image` as its archive, whatever its bytes.
  bool BuildUpdaterFromImage(const std::string& image);
  // Uses an existing program as the updater.
  void UseUpdater(const std::string& linuxPath) { updater_ = linuxPath; }
  std::string Updater() const { return updater_; }

  // ---- running
  // Runs the driver with the scenario's preparation (temporary folder,
  // registry key) and then `steps`.
  DriverRun Run(const Lines& steps, int timeoutSeconds = 90);

 private:
  std::string name_;
  std::string folder_;
  std::string updater_;
  std::vector<ArchiveWriterMember> members_;
  uint32_t directoryFlags_ = 3;
  Lines registrySteps_;
};

#endif
