// How patchmaker talks back: one line per problem on stderr, prefixed with
// the program's name, and the exit statuses of its commands.
#ifndef PATCHMAKER_REPORT_H
#define PATCHMAKER_REPORT_H

#include <string>

enum ExitStatus { ExitOk = 0, ExitFailure = 1, ExitUsage = 2 };

// "patchmaker: <message>" on stderr.
void ReportError(const std::string& message);
// "patchmaker: warning: <message>" on stderr.
void ReportWarning(const std::string& message);
// A usage error: the message and a hint where the usage is described.
int UsageError(const std::string& message, const char* command);

#endif
