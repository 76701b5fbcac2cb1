// Writing archive members to disk.
#ifndef UPDATER_ARCHIVE_EXTRACT_H
#define UPDATER_ARCHIVE_EXTRACT_H

#include <stdint.h>

#include "platform/platform.h"

// Writes the member `name` to `destination`; with newerRule set an existing
// destination whose last-write time is later than the member's is kept
// (result 1). 0 when nothing usable was written.
int ExtractMember(const char* name, const char* destination, int newerRule);
// Replaces the file at path by exactly length bytes; with a time, all three
// file times are set to it. 0 on failure, the old file then left whole.
int WriteWholeFile(const char* path, const void* bytes, uint32_t length,
                   const FileTime* time);

#endif
