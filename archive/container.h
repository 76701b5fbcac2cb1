// The opened archive: the image's byte range and the decoded directory.
// Used by the updater (through OpenEmbeddedArchive) and by patchmaker.
#ifndef UPDATER_ARCHIVE_CONTAINER_H
#define UPDATER_ARCHIVE_CONTAINER_H

#include <stdint.h>

#include "archive/archive_format.h"

enum ArchiveOpenResult { Opened, ImageMissing, Unreadable };

struct ArchiveImageRange {
  const uint8_t* Start;
  uint32_t Size;
};

// The archive's bytes; valid until the process ends.
extern ArchiveImageRange ArchiveImage;
// Header copy followed by EntryCount records; null while closed.
extern uint8_t* Archive;

// Opens an archive image held in memory: checks the header against the
// image, decodes the directory into the Archive block. Opened or Unreadable.
ArchiveOpenResult OpenArchiveImage(const uint8_t* start, uint32_t size);
uint32_t ArchiveEntryCount();
const ArchiveEntry* ArchiveEntryAt(uint32_t index);
// The first record whose name equals `name` without regard to case, and its
// stored bytes inside the image; null when none (or its bytes do not lie
// inside the image).
const ArchiveEntry* LocateMember(const char* name, const uint8_t** stored);
// The record at `index` (null past the last one) and, through *stored, the
// start of its stored bytes found by the same walk as LocateMember (null
// when they do not lie inside the image). Lets patchmaker reach every
// record, also those that no name lookup reaches.
const ArchiveEntry* ArchiveMemberAt(uint32_t index, const uint8_t** stored);
// Restores a member's content (descrambles a copy when marked, decompresses
// when compressed). *content is the result, *owned the block to free with
// SysFree (null when the content is the image's bytes themselves).
// 1 on success; 0 with *allocFailed set when memory ran out, otherwise the
// member's bytes are malformed.
int RestoreMember(const ArchiveEntry* entry, const uint8_t* stored,
                  const uint8_t** content, uint8_t** owned, int* allocFailed);
void CloseArchive();

#endif
