// Running a Linux program with a time limit and collecting its output.
#ifndef UPDATER_TESTS_E2E_HARNESS_RUN_PROCESS_H
#define UPDATER_TESTS_E2E_HARNESS_RUN_PROCESS_H

#include <string>
#include <vector>

struct ProcessResult {
  int status = -1;        // the exit status; -1 when killed or not started
  bool timedOut = false;  // killed after the time limit
  std::string out;        // standard output
  std::string err;        // standard error
};

// Runs argv[0] (searched in PATH) with the arguments, the current
// environment plus `environment` (KEY=VALUE entries), standard input from
// /dev/null. The program and everything it starts in its process group are
// killed when it runs longer than timeoutSeconds. Output written by
// processes that outlive the program is not waited for.
ProcessResult RunProcess(const std::vector<std::string>& argv,
                         const std::vector<std::string>& environment, int timeoutSeconds);

#endif
