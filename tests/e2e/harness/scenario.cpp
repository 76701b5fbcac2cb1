#include "tests/e2e/harness/scenario.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#include "tests/e2e/harness/shift_jis.h"
#include "tests/e2e/harness/wine_environment.h"

namespace fs = std::filesystem;

// FILETIME of 1970-01-01 00:00:00 UTC.
static const uint64_t kUnixEpochFileTime = 116444736000000000ull;

uint64_t FileTimeUtc(int year, int month, int day, int hour, int minute, int second) {
  tm when = {};
  when.tm_year = year - 1900;
  when.tm_mon = month - 1;
  when.tm_mday = day;
  when.tm_hour = hour;
  when.tm_min = minute;
  when.tm_sec = second;
  return kUnixEpochFileTime + (uint64_t)timegm(&when) * 10000000ull;
}

uint64_t FileTimeNow() { return kUnixEpochFileTime + (uint64_t)time(nullptr) * 10000000ull; }

std::string EscapeLine(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\\') out += "\\\\";
    else if (c == '\r') out += "\\r";
    else if (c == '\n') out += "\\n";
    else if (c == '\t') out += "\\t";
    else out += c;
  }
  return out;
}

std::string BoxLine(const std::string& caption, const std::string& text, const std::string& buttons,
                    bool icon, const std::string& owner) {
  return "box caption=" + EscapeLine(caption) + " text=" + EscapeLine(text) +
         " buttons=" + buttons + (icon ? " icon=yes" : " icon=no") + " owner=" + owner;
}

std::string DriverRun::Text() const {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  if (timedOut) text += "(the driver was killed after the time limit)\n";
  if (!errors.empty()) text += "standard error:\n" + errors;
  return text;
}

const char* const Scenario::GameTitle = "テストゲーム";
const char* const Scenario::GameClass = "E2ETestGameWindow";
const char* const Scenario::CompanyName = "E2ECompany";

std::string Scenario::DefaultCaption() { return std::string(GameTitle) + " アップデータ 1.05"; }

static fs::path Relative(const std::string& relative) {
  fs::path path(relative);
  EXPECT_FALSE(path.is_absolute()) << relative << " must be relative to the scenario folder";
  return path;
}

static void EmptyFolder(const fs::path& folder) {
  std::error_code ignored;
  fs::create_directories(folder, ignored);
  for (const auto& entry : fs::directory_iterator(folder, ignored)) fs::remove_all(entry.path(), ignored);
}

static void SetFileTime(const fs::path& path, uint64_t fileTime) {
  if (!fileTime) return;
  uint64_t sinceEpoch = fileTime - kUnixEpochFileTime;
  timespec times[2];
  times[0].tv_sec = times[1].tv_sec = (time_t)(sinceEpoch / 10000000ull);
  times[0].tv_nsec = times[1].tv_nsec = (long)(sinceEpoch % 10000000ull) * 100;
  EXPECT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0) << "cannot set the time of " << path;
}

static void WriteBytes(const fs::path& path, const std::string& bytes, uint64_t fileTime) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), (std::streamsize)bytes.size());
  out.close();
  EXPECT_TRUE(out.good()) << "cannot write " << path;
  SetFileTime(path, fileTime);
}

Scenario::Scenario(const std::string& name) : name_(name) {
  folder_ = wine::DriveD() + "/" + name;
  EmptyFolder(folder_);
  EmptyFolder(wine::Cdrom());
  fs::create_directories(Path(TempFolder()));
  fs::create_directories(Path(InstallFolder()));
}

std::string Scenario::Folder() const { return folder_; }

std::string Scenario::Path(const std::string& relative) const {
  return (fs::path(folder_) / Relative(relative)).string();
}

std::string Scenario::WindowsPath(const std::string& relative) const {
  return wine::WindowsPath(Path(relative));
}

std::string Scenario::RegistryKey() const {
  return std::string("HKCU\\Software\\") + CompanyName + "\\" + name_;
}

std::string Scenario::CdromPath(const std::string& relative) const {
  return (fs::path(wine::Cdrom()) / Relative(relative)).string();
}

void Scenario::WriteFile(const std::string& relative, const std::string& bytes, uint64_t fileTime) {
  WriteBytes(Path(relative), bytes, fileTime);
}

void Scenario::WriteShiftJis(const std::string& relative, const std::string& utf8,
                             uint64_t fileTime) {
  WriteFile(relative, ShiftJisFromUtf8(utf8), fileTime);
}

void Scenario::WriteCdromFile(const std::string& relative, const std::string& bytes,
                              uint64_t fileTime) {
  WriteBytes(CdromPath(relative), bytes, fileTime);
}

bool Scenario::Exists(const std::string& relative) const {
  std::error_code ignored;
  return fs::exists(Path(relative), ignored);
}

bool Scenario::IsFolder(const std::string& relative) const {
  std::error_code ignored;
  return fs::is_directory(Path(relative), ignored);
}

std::string Scenario::ReadFile(const std::string& relative) const {
  std::ifstream in(Path(relative), std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << relative;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

uint64_t Scenario::FileTimeOf(const std::string& relative) const {
  struct stat info;
  if (stat(Path(relative).c_str(), &info) != 0) return 0;
  return kUnixEpochFileTime + (uint64_t)info.st_mtim.tv_sec * 10000000ull +
         (uint64_t)info.st_mtim.tv_nsec / 100;
}

Lines Scenario::ListFiles(const std::string& relative) const {
  Lines files;
  std::error_code ignored;
  fs::path base = Path(relative);
  for (const auto& entry : fs::recursive_directory_iterator(base, ignored))
    files.push_back(fs::relative(entry.path(), base).string() + (entry.is_directory() ? "/" : ""));
  std::sort(files.begin(), files.end());
  return files;
}

std::string Scenario::UpdateIni(const std::string& more) const {
  return std::string("[SETUP]\r\n") + "CompanyName=" + CompanyName + "\r\n" +
         "GameTitle=" + GameTitle + "\r\n" + "GameClass=" + GameClass + "\r\n" +
         "GameDir=" + name_ + "\r\n" + "UpdaterVersion=1.05\r\n" + more;
}

std::string Scenario::SetupIni(const std::string& more) const {
  return std::string("[SETUP]\r\n") + "CompanyName=" + CompanyName + "\r\n" +
         "GameTitle=" + GameTitle + "\r\n" + "GameDir=" + name_ + "\r\n" +
         "GameExe=game.exe\r\n"
         "UninstExe=uninst.exe\r\n"
         "SetupBmp=setup.bmp\r\n"
         "InstallSelects=1\r\n"
         "InstallTitle0=標準インストール\r\n"
         "InstallFiles0=game.exe,data\\game.dat\r\n"
         "Shortcuts=1\r\n"
         "Shortcut0=ゲーム,game.exe\r\n"
         "GameClass=" + GameClass + "\r\n" + more;
}

void Scenario::InstallGame(const std::string& setupIni) {
  WriteShiftJis(InstallFolder() + "/SETUP.INI", setupIni);
  SetRegistryText("InstPath", WindowsPath(InstallFolder()));
  SetRegistryNumber("InstMode", 0);
}

std::string QuotedText(const std::string& text) {
  std::string out = "\"";
  for (char c : EscapeLine(text)) {
    if (c == '"') out += '\\';
    out += c;
  }
  return out + "\"";
}

static std::string Quoted(const std::string& word) { return QuotedText(word); }

void Scenario::SetRegistryText(const std::string& name, const std::string& value) {
  registrySteps_.push_back("reg-sz " + Quoted(RegistryKey()) + " " + Quoted(name) + " " +
                           Quoted(value));
}

void Scenario::SetRegistryNumber(const std::string& name, uint32_t value) {
  registrySteps_.push_back("reg-dword " + Quoted(RegistryKey()) + " " + Quoted(name) + " " +
                           std::to_string(value));
}

void Scenario::SetRegistryBytes(const std::string& name, const std::string& hex) {
  registrySteps_.push_back("reg-hex " + Quoted(RegistryKey()) + " " + Quoted(name) + " " +
                           Quoted(hex));
}

void Scenario::AddMember(const std::string& name, const std::string& bytes, uint64_t fileTime,
                         bool compress, bool scramble) {
  ArchiveWriterMember member;
  member.Name = ShiftJisFromUtf8(name);
  member.Bytes.assign(bytes.begin(), bytes.end());
  member.FileTime = fileTime;
  member.Compress = compress;
  member.Scramble = scramble;
  members_.push_back(member);
}

void Scenario::AddShiftJisMember(const std::string& name, const std::string& utf8,
                                 uint64_t fileTime) {
  AddMember(name, ShiftJisFromUtf8(utf8), fileTime);
}

bool Scenario::BuildUpdater() {
  std::vector<uint8_t> image;
  std::string error;
  if (!WriteArchive(members_, directoryFlags_, &image, &error)) {
    ADD_FAILURE() << "the archive cannot be written: " << error;
    return false;
  }
  return BuildUpdaterFromImage(std::string(image.begin(), image.end()));
}

bool Scenario::BuildUpdaterFromImage(const std::string& image) {
  WriteFile("archive.bin", image);
  std::string output = Path("updater.exe");
  ProcessResult made = RunProcess(
      {"bash", wine::SourceFolder() + "/scripts/make-updater", Path("archive.bin"), output,
       "--arch", "x86_64", "--build-dir", wine::WindowsBuildFolder()},
      {}, 120);
  if (made.status != 0) {
    ADD_FAILURE() << "make-updater failed:\n" << made.out << made.err;
    return false;
  }
  updater_ = output;
  return true;
}

DriverRun Scenario::Run(const Lines& steps, int timeoutSeconds) {
  DriverRun run;
  std::string driver = wine::DriverProgram();
  if (driver.empty()) {
    ADD_FAILURE() << "no e2e_driver.exe in " << wine::WindowsBuildFolder();
    return run;
  }
  std::string temp = WindowsPath(TempFolder());
  Lines script = {"env TMP " + temp, "env TEMP " + temp, "reg-delete " + RegistryKey()};
  script.insert(script.end(), registrySteps_.begin(), registrySteps_.end());
  for (const std::string& step : steps) {
    if (step == "start" || step == "start-second") {
      if (updater_.empty()) ADD_FAILURE() << "the scenario has no updater";
      script.push_back(step + " " + wine::WindowsPath(updater_));
    } else {
      script.push_back(step);
    }
  }
  std::string scriptText;
  for (const std::string& line : script) scriptText += line + "\n";
  WriteFile("driver-script.txt", scriptText);

  // The driver's own deadline lies inside the harness's time limit, so
  // that it ends the updaters itself and reports what it saw.
  ProcessResult result = wine::RunWindowsProgram(
      driver, {"--deadline", std::to_string(timeoutSeconds > 10 ? timeoutSeconds - 5 : timeoutSeconds),
               "@" + wine::WindowsPath(Path("driver-script.txt"))},
      timeoutSeconds);
  run.status = result.status;
  run.timedOut = result.timedOut;
  run.errors = result.err;
  std::istringstream out(result.out);
  std::string line;
  while (std::getline(out, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    run.lines.push_back(line);
  }
  WriteFile("driver-output.txt", run.Text());
  return run;
}
