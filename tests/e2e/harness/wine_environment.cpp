#include "tests/e2e/harness/wine_environment.h"

#include <sys/stat.h>

#include <fstream>

namespace wine {

namespace {

bool IsFile(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::vector<std::string> LoadedVariables;
bool Loaded = false;

void Load() {
  if (Loaded) return;
  std::ifstream file(EnvironmentFolder() + "/env");
  if (!file) return;
  std::string line;
  while (std::getline(file, line))
    if (line.find('=') != std::string::npos) LoadedVariables.push_back(line);
  Loaded = true;
}

std::string Variable(const std::string& name) {
  for (const std::string& entry : Variables())
    if (entry.compare(0, name.size() + 1, name + "=") == 0) return entry.substr(name.size() + 1);
  return std::string();
}

bool RunScript(const char* command, std::string* log) {
  ProcessResult result =
      RunProcess({"bash", SourceFolder() + "/scripts/wine-env", command, EnvironmentFolder()}, {},
                 300);
  *log = result.out + result.err;
  return result.status == 0;
}

std::string FirstFile(const std::vector<std::string>& candidates) {
  for (const std::string& path : candidates)
    if (IsFile(path)) return path;
  return std::string();
}

}  // namespace

std::string EnvironmentFolder() { return E2E_ENVIRONMENT_DIR; }
std::string WindowsBuildFolder() { return E2E_WINDOWS_BUILD_DIR; }
std::string SourceFolder() { return E2E_SOURCE_DIR; }

bool IsStarted() { return IsFile(EnvironmentFolder() + "/env"); }

bool Start(std::string* log) {
  bool ok = RunScript("start", log);
  Loaded = false;
  LoadedVariables.clear();
  return ok;
}

bool Stop(std::string* log) {
  bool ok = RunScript("stop", log);
  Loaded = false;
  LoadedVariables.clear();
  return ok;
}

const std::vector<std::string>& Variables() {
  Load();
  return LoadedVariables;
}

ProcessResult RunWindowsProgram(const std::string& program, const std::vector<std::string>& args,
                                int timeoutSeconds) {
  std::vector<std::string> argv = {Variable("WINE64"), program};
  argv.insert(argv.end(), args.begin(), args.end());
  return RunProcess(argv, Variables(), timeoutSeconds);
}

std::string PrefixFolder() { return Variable("WINEPREFIX"); }

std::string DriveD() { return EnvironmentFolder() + "/drive_d"; }
std::string Cdrom() { return EnvironmentFolder() + "/cdrom"; }

std::string WindowsPath(const std::string& linuxPath) {
  std::string drive = "Z:";
  std::string rest = linuxPath;
  for (const auto& mapping : {std::make_pair(DriveD(), std::string("D:")),
                              std::make_pair(Cdrom(), std::string("E:"))}) {
    const std::string& folder = mapping.first;
    if (linuxPath == folder || linuxPath.compare(0, folder.size() + 1, folder + "/") == 0) {
      drive = mapping.second;
      rest = linuxPath.substr(folder.size());
      break;
    }
  }
  for (char& c : rest)
    if (c == '/') c = '\\';
  if (rest.empty()) rest = "\\";
  return drive + rest;
}

std::string DriverProgram() {
  return FirstFile({WindowsBuildFolder() + "/tests/e2e/driver/e2e_driver.exe"});
}

std::string ProbeProgram() {
  return FirstFile({WindowsBuildFolder() + "/tests/e2e/driver/e2e_probe.exe"});
}

std::string UpdaterWithoutArchive() {
  return FirstFile(
      {WindowsBuildFolder() + "/updater.exe", WindowsBuildFolder() + "/resources/updater.exe"});
}

}  // namespace wine
