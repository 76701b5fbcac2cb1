// patchmaker list: one line per directory record.
#include <inttypes.h>
#include <stdio.h>

#include <string>
#include <vector>

#include "archive_file.h"
#include "commands.h"
#include "file_time.h"
#include "report.h"

const char kListUsage[] =
    "usage: patchmaker list ARCHIVE\n"
    "\n"
    "Shows every member of the archive: its unpacked and stored sizes,\n"
    "whether it is compressed and scrambled, its time stamp (UTC) and name.\n"
    "\n"
    "options:\n"
    "  -h, --help  show this help\n";

int RunList(int argc, char** argv) {
  std::string archive;
  int status = ExitOk;
  if (!SingleArchiveArgument(argc, argv, "list", &archive, &status)) return status;

  std::vector<uint8_t> bytes;
  if (!LoadArchive(archive, &bytes)) return ExitFailure;
  printf("%10s %10s %-10s %-9s %-20s %s\n", "Size", "Stored", "Compressed",
         "Scrambled", "Modified (UTC)", "Name");
  uint32_t count = ArchiveEntryCount();
  for (uint32_t i = 0; i < count; i++) {
    const ArchiveEntry* entry = ArchiveEntryAt(i);
    std::string name;
    MemberName(entry, &name);
    uint64_t fileTime = (uint64_t)entry->FileTimeHigh << 32 | entry->FileTimeLow;
    char stamp[64];
    FormatFileTime(fileTime, stamp, sizeof stamp);
    printf("%10" PRIu32 " %10" PRIu32 " %-10s %-9s %-20s %s\n",
           entry->UnpackedSize, entry->StoredSize,
           (entry->Flags & ARCHIVE_ENTRY_COMPRESSED) ? "yes" : "no",
           entry->Scrambled == 1 ? "yes" : "no", stamp, name.c_str());
  }
  printf("%" PRIu32 " member%s\n", count, count == 1 ? "" : "s");
  CloseArchive();
  return ExitOk;
}
