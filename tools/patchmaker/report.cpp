// One-line messages on stderr.
#include "report.h"

#include <stdio.h>

void ReportError(const std::string& message) {
  fprintf(stderr, "patchmaker: %s\n", message.c_str());
}

void ReportWarning(const std::string& message) {
  fprintf(stderr, "patchmaker: warning: %s\n", message.c_str());
}

int UsageError(const std::string& message, const char* command) {
  std::string hint = command ? std::string("patchmaker ") + command + " --help"
                             : std::string("patchmaker --help");
  ReportError(message + " (see '" + hint + "')");
  return ExitUsage;
}
