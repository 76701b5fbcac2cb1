// patchmaker test: restores every member as the updater would and names
// those whose stored bytes do not decode. The archive carries no checksums,
// so this finds damage that breaks a member's structure (a compressed
// stream that no longer ends where it should, bytes outside the archive),
// not every changed byte.
#include <stdio.h>

#include <string>
#include <vector>

#include "archive_file.h"
#include "commands.h"
#include "platform/platform.h"
#include "report.h"

const char kTestUsage[] =
    "usage: patchmaker test ARCHIVE\n"
    "\n"
    "Decodes every member of the archive. Prints one line per member and\n"
    "exits with status 1 when any member is damaged.\n"
    "\n"
    "options:\n"
    "  -h, --help  show this help\n";

// Why the member at `index` cannot be restored, or empty when it can.
static std::string MemberProblem(uint32_t index) {
  const uint8_t* stored;
  const ArchiveEntry* entry = ArchiveMemberAt(index, &stored);
  std::string name;
  if (!MemberName(entry, &name)) return "its name is not terminated";
  if (stored == 0) return "its stored bytes lie outside the archive";
  const uint8_t* content;
  uint8_t* owned;
  int allocFailed;
  if (!RestoreMember(entry, stored, &content, &owned, &allocFailed)) {
    return allocFailed ? "not enough memory to decode it"
                       : "its stored bytes do not decode";
  }
  if (owned) SysFree(owned);
  return std::string();
}

int RunTest(int argc, char** argv) {
  std::string archive;
  int status = ExitOk;
  if (!SingleArchiveArgument(argc, argv, "test", &archive, &status)) return status;

  std::vector<uint8_t> bytes;
  if (!LoadArchive(archive, &bytes)) return ExitFailure;
  uint32_t count = ArchiveEntryCount();
  uint32_t bad = 0;
  for (uint32_t i = 0; i < count; i++) {
    std::string name;
    MemberName(ArchiveEntryAt(i), &name);
    std::string problem = MemberProblem(i);
    if (problem.empty()) {
      printf("ok   %s\n", name.c_str());
    } else {
      printf("BAD  %s\n", name.c_str());
      ReportError(name + ": " + problem);
      bad++;
    }
  }
  CloseArchive();
  if (bad != 0) {
    ReportError(std::to_string(bad) + " of " + std::to_string(count) +
                " members damaged");
    return ExitFailure;
  }
  printf("%u member%s ok\n", (unsigned)count, count == 1 ? "" : "s");
  return ExitOk;
}
