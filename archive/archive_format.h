// The packed archive's container: a 16-byte header, the members' stored
// bytes (each padded with zeros to a multiple of 16), and a directory of
// 280-byte records at DirectoryOffset. All integers are little-endian.
#ifndef UPDATER_ARCHIVE_ARCHIVE_FORMAT_H
#define UPDATER_ARCHIVE_ARCHIVE_FORMAT_H

#include <stdint.h>

#define ARCHIVE_HEADER_SIZE 16u
#define ARCHIVE_ENTRY_SIZE 280u
#define ARCHIVE_NAME_SIZE 260u
#define ARCHIVE_RESOURCE_ID 102

// Header Flags.
#define ARCHIVE_DIRECTORY_COMPRESSED 0x1u
#define ARCHIVE_DIRECTORY_SCRAMBLED 0x2u
// Entry Flags: only bit 1 is read; uncompressed members carry 1.
#define ARCHIVE_ENTRY_STORED 0x1u
#define ARCHIVE_ENTRY_COMPRESSED 0x2u

struct ArchiveHeader {
  uint8_t Magic[4];  // "JQ2\0"
  uint32_t Flags;
  uint32_t DirectoryOffset;
  uint32_t EntryCount;
};

// One directory record, laid out byte for byte as stored (280 bytes, no
// padding between fields on any of our compilers: every field is at its
// natural alignment).
struct ArchiveEntry {
  char Name[ARCHIVE_NAME_SIZE];
  uint8_t Flags;
  uint8_t Reserved1;
  uint8_t Scrambled;  // exactly 1: scrambled
  uint8_t Reserved2;
  uint32_t FileTimeLow;  // FILETIME as two halves keeps the record 4-aligned
  uint32_t FileTimeHigh;
  uint32_t UnpackedSize;
  uint32_t StoredSize;
};

static_assert(sizeof(ArchiveHeader) == ARCHIVE_HEADER_SIZE, "header layout");
static_assert(sizeof(ArchiveEntry) == ARCHIVE_ENTRY_SIZE, "entry layout");

#endif
