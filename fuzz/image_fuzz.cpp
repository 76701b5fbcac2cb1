// Opens the input as an archive image and restores every member, by name
// and by position, as the updater and patchmaker do: whatever the bytes,
// nothing may be read or written outside the image, the records and the
// blocks the reader allocates.
#include <stddef.h>
#include <stdint.h>
#include <string.h>

#include "archive/container.h"
#include "platform/platform.h"

static void RestoreAndRelease(const ArchiveEntry* entry, const uint8_t* stored) {
  if (entry == 0 || stored == 0) return;
  const uint8_t* content;
  uint8_t* owned;
  int allocFailed;
  if (!RestoreMember(entry, stored, &content, &owned, &allocFailed)) return;
  // Touch the whole content the callers would use.
  volatile uint8_t sum = 0;
  for (uint32_t i = 0; i < entry->UnpackedSize; i++) sum = (uint8_t)(sum + content[i]);
  (void)sum;
  if (owned) SysFree(owned);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 0xFFFFFFFFu) return 0;
  if (OpenArchiveImage(data, (uint32_t)size) != Opened) return 0;
  uint32_t count = ArchiveEntryCount();
  for (uint32_t i = 0; i < count; i++) {
    const ArchiveEntry* entry = ArchiveEntryAt(i);
    const uint8_t* stored;
    if (memchr(entry->Name, 0, ARCHIVE_NAME_SIZE) != 0) {
      RestoreAndRelease(LocateMember(entry->Name, &stored), stored);
    }
    RestoreAndRelease(ArchiveMemberAt(i, &stored), stored);
  }
  CloseArchive();
  return 0;
}
