// A member's content in memory, for the updater's own use of short members
// (the agreement text and its title).
//
// Members marked scrambled are descrambled in a copy before they are
// decompressed, as extraction to disk does: the archive the updater carries
// stores every member scrambled, and the texts read here must come out as
// text. A member whose stored bytes do not decode is reported like a member
// that is not there, so a damaged archive never hands out half a text.
#include "archive/embedded.h"

#include "app/shared.h"

// The blocks handed out so far. A run asks for at most the agreement text
// and its title; the table lets a test that starts the updater many times
// in one process give them back (ReleaseFoundMembers). A block beyond the
// table simply lives until the process ends, as every block does in a run.
static uint8_t* foundBlocks[8];
static int foundCount = 0;

void ReleaseFoundMembers() {
  for (int i = 0; i < foundCount; i++) SysFree(foundBlocks[i]);
  foundCount = 0;
}

const uint8_t* FindMember(const char* name, uint32_t* size) {
  const uint8_t* stored;
  const ArchiveEntry* entry = LocateMember(name, &stored);
  if (entry == 0) {
    ShowUpdateError("Can't Find File in Resource !!");
    return 0;
  }
  const uint8_t* content;
  uint8_t* owned;
  int allocFailed;
  if (!RestoreMember(entry, stored, &content, &owned, &allocFailed)) {
    ShowUpdateError(allocFailed ? "Can't Allocate Memory !!"
                                : "Can't Find File in Resource !!");
    return 0;
  }
  // A block made here (`owned`) lives until the process ends, as the
  // callers expect; a member stored as is comes straight from the image.
  if (owned && foundCount < (int)(sizeof foundBlocks / sizeof foundBlocks[0]))
    foundBlocks[foundCount++] = owned;
  if (size) *size = entry->UnpackedSize;
  return content;
}
