// The Wine environment that scripts/wine-env keeps in the build folder: its
// variables, its drives and the programs of the Windows build.
#ifndef UPDATER_TESTS_E2E_HARNESS_WINE_ENVIRONMENT_H
#define UPDATER_TESTS_E2E_HARNESS_WINE_ENVIRONMENT_H

#include <string>
#include <vector>

#include "tests/e2e/harness/run_process.h"

namespace wine {

// The folder of the environment (set by the build).
std::string EnvironmentFolder();
// The x86_64 Windows build folder whose programs the tests run.
std::string WindowsBuildFolder();
// The repository.
std::string SourceFolder();

// True when the environment has been started (its variables file exists).
bool IsStarted();
// scripts/wine-env start / stop; the output goes to *log.
bool Start(std::string* log);
bool Stop(std::string* log);

// The KEY=VALUE variables that a process needs to join the environment.
// Empty when it is not started.
const std::vector<std::string>& Variables();

// Runs a Windows program with the 64-bit loader inside the environment.
ProcessResult RunWindowsProgram(const std::string& program, const std::vector<std::string>& args,
                                int timeoutSeconds);

// The Wine prefix (its dosdevices folder holds the drive letters); empty
// when the environment is not started.
std::string PrefixFolder();

// Drive D: (ordinary disk) and drive E: (CD-ROM) as Linux folders.
std::string DriveD();
std::string Cdrom();

// The Windows name of a Linux path: below DriveD() or Cdrom() on D: or E:,
// anywhere else on Z:.
std::string WindowsPath(const std::string& linuxPath);

// Programs of the Windows build; empty when not built.
std::string DriverProgram();
std::string ProbeProgram();
std::string UpdaterWithoutArchive();

}  // namespace wine

#endif
