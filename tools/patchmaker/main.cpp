// patchmaker: authoring tool for the updater's packed archives.
// Dispatches to the command named by the first argument.
#include <stdio.h>
#include <string.h>

#include <string>

#include "commands.h"
#include "report.h"

static const char kVersion[] = "patchmaker 1.0.0";

static const char kUsage[] =
    "usage: patchmaker COMMAND [OPTIONS] ARGUMENTS\n"
    "\n"
    "Builds and inspects the packed archives the updater carries.\n"
    "\n"
    "commands:\n"
    "  pack OUT FILE...               build an archive from files\n"
    "  list ARCHIVE                   show the members of an archive\n"
    "  extract ARCHIVE [NAME...] [-C DIR]\n"
    "                                 write members to files\n"
    "  test ARCHIVE                   decode every member, name the bad ones\n"
    "\n"
    "options:\n"
    "  -h, --help                     show this help (or a command's help)\n"
    "  --version                      show the program's version\n";

bool IsHelpOption(const char* argument) {
  return strcmp(argument, "--help") == 0 || strcmp(argument, "-h") == 0;
}

struct Command {
  const char* Name;
  int (*Run)(int argc, char** argv);
  const char* Usage;
};

static const Command kCommands[] = {
    {"pack", RunPack, kPackUsage},
    {"list", RunList, kListUsage},
    {"extract", RunExtract, kExtractUsage},
    {"test", RunTest, kTestUsage},
};

int main(int argc, char** argv) {
  if (argc < 2) {
    fputs(kUsage, stderr);
    return ExitUsage;
  }
  const char* name = argv[1];
  if (IsHelpOption(name)) {
    fputs(kUsage, stdout);
    return ExitOk;
  }
  if (strcmp(name, "--version") == 0) {
    puts(kVersion);
    return ExitOk;
  }
  for (const Command& command : kCommands) {
    if (strcmp(name, command.Name) != 0) continue;
    for (int i = 2; i < argc; i++) {
      if (strcmp(argv[i], "--") == 0) break;
      if (IsHelpOption(argv[i])) {
        fputs(command.Usage, stdout);
        return ExitOk;
      }
    }
    return command.Run(argc - 2, argv + 2);
  }
  return UsageError(std::string("unknown command '") + name + "'", 0);
}
