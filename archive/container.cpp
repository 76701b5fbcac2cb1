// Opening an archive image, walking its directory and restoring members.
//
// The image comes from outside the program (the resource, or a file handed
// to patchmaker), so every field read from it is checked against the image
// before it is used as a length or an offset; a check that fails makes the
// image Unreadable (at opening) or the member not found (at lookup). The
// header's Magic is deliberately not tested: the updater has never looked at
// it, and an archive that is otherwise sound opens whatever its first four
// bytes are.
#include "archive/container.h"

#include <string.h>

#include "archive/decompress.h"
#include "archive/descramble.h"
#include "platform/platform.h"

// The header and the records are used as they lie in memory, which is their
// stored little-endian form only on a little-endian machine.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the archive's records are read in place as little-endian values"
#endif

ArchiveImageRange ArchiveImage = {0, 0};
uint8_t* Archive = 0;

// Every data byte of a compressed stream yields at most 141 output bytes:
// a literal gives 1, a short match 2, a long match without a length byte at
// most 26 for its one distance byte, and the longest match, 282 bytes, takes
// a distance byte and a length byte. A stream of n bytes therefore never
// expands beyond 141 * n bytes, and a larger expected size is refused before
// anything that large is allocated.
#define STREAM_EXPANSION_LIMIT 141u

static int ExpansionPossible(uint32_t expandedSize, uint32_t streamLength) {
  return (uint64_t)expandedSize <=
         (uint64_t)streamLength * STREAM_EXPANSION_LIMIT;
}

static const ArchiveHeader* OpenHeader() {
  return (const ArchiveHeader*)Archive;
}

static const ArchiveEntry* RecordAt(uint32_t index) {
  return (const ArchiveEntry*)(Archive + ARCHIVE_HEADER_SIZE +
                               (uint64_t)index * ARCHIVE_ENTRY_SIZE);
}

// 1 when the stored directory of `header` can hold `length` bytes of
// records: an uncompressed one must end inside the image, a compressed one
// must be able to expand that far. Checked before the Archive block of that
// size is allocated.
static int DirectoryFits(const ArchiveHeader* header, uint32_t length) {
  uint32_t storedLength = ArchiveImage.Size - header->DirectoryOffset;
  if (header->Flags & ARCHIVE_DIRECTORY_COMPRESSED) {
    return ExpansionPossible(length, storedLength);
  }
  return length <= storedLength;
}

// Decodes the stored directory of `header` into `directory` (`length` bytes,
// EntryCount records). 1 on success, 0 for a directory that does not decode
// or a temporary buffer that cannot be had.
static int DecodeDirectory(const ArchiveHeader* header, uint8_t* directory,
                           uint32_t length) {
  const uint8_t* stored = ArchiveImage.Start + header->DirectoryOffset;
  uint32_t storedLength = ArchiveImage.Size - header->DirectoryOffset;

  if ((header->Flags & ARCHIVE_DIRECTORY_COMPRESSED) == 0) {
    // Stored as is: the records lie directly at DirectoryOffset, and any
    // bytes after them are not part of the directory.
    memcpy(directory, stored, length);
    if (header->Flags & ARCHIVE_DIRECTORY_SCRAMBLED) {
      Descramble(directory, length);
    }
    return 1;
  }

  // A compressed directory runs to the end of the image; its scrambling was
  // keyed by that whole length, so the whole tail is descrambled in a copy
  // (the image itself is read-only).
  uint8_t* copy = (uint8_t*)SysAlloc(storedLength, 0);
  if (copy == 0) return 0;
  memcpy(copy, stored, storedLength);
  if (header->Flags & ARCHIVE_DIRECTORY_SCRAMBLED) {
    Descramble(copy, storedLength);
  }
  int decoded = Decompress(directory, length, copy, storedLength);
  SysFree(copy);
  return decoded;
}

ArchiveOpenResult OpenArchiveImage(const uint8_t* start, uint32_t size) {
  CloseArchive();
  ArchiveImage.Start = start;
  ArchiveImage.Size = size;
  if (start == 0 || size < ARCHIVE_HEADER_SIZE) return Unreadable;

  ArchiveHeader header;
  memcpy(&header, start, ARCHIVE_HEADER_SIZE);
  if (header.DirectoryOffset < ARCHIVE_HEADER_SIZE ||
      header.DirectoryOffset > size) {
    return Unreadable;
  }
  uint64_t blockSize =
      ARCHIVE_HEADER_SIZE + (uint64_t)header.EntryCount * ARCHIVE_ENTRY_SIZE;
  if (blockSize > 0xFFFFFFFFu) return Unreadable;
  uint32_t directoryLength = (uint32_t)blockSize - ARCHIVE_HEADER_SIZE;
  if (!DirectoryFits(&header, directoryLength)) return Unreadable;

  uint8_t* block = (uint8_t*)SysAlloc((uint32_t)blockSize, 0);
  if (block == 0) return Unreadable;
  if (!DecodeDirectory(&header, block + ARCHIVE_HEADER_SIZE, directoryLength)) {
    SysFree(block);
    return Unreadable;
  }
  memcpy(block, &header, ARCHIVE_HEADER_SIZE);
  Archive = block;
  return Opened;
}

uint32_t ArchiveEntryCount() {
  return Archive ? OpenHeader()->EntryCount : 0;
}

const ArchiveEntry* ArchiveEntryAt(uint32_t index) {
  if (index >= ArchiveEntryCount()) return 0;
  return RecordAt(index);
}

// Members follow one another from offset 16, each padded to a multiple of
// 16 (StoredSize + 15 with the low four bits cleared). The running offset is
// kept in 64 bits: in 32 bits a member claiming nearly 4 GiB would wrap it
// around onto the bytes of an earlier member, while here every member after
// it simply lies beyond the image. For any archive whose members do lie
// inside it both ways of counting agree.
static uint64_t PaddedSize(uint32_t storedSize) {
  return ((uint64_t)storedSize + 15u) & ~(uint64_t)15u;
}

// The stored bytes of a member that starts at `offset`, or null when they
// do not lie between the header and the directory.
static const uint8_t* StoredBytes(uint64_t offset, uint32_t storedSize) {
  uint64_t end = OpenHeader()->DirectoryOffset;
  if (offset < ARCHIVE_HEADER_SIZE || offset + storedSize > end) return 0;
  return ArchiveImage.Start + offset;
}

const ArchiveEntry* ArchiveMemberAt(uint32_t index, const uint8_t** stored) {
  *stored = 0;
  if (index >= ArchiveEntryCount()) return 0;
  uint64_t offset = ARCHIVE_HEADER_SIZE;
  for (uint32_t i = 0; i < index; i++) {
    offset += PaddedSize(RecordAt(i)->StoredSize);
  }
  const ArchiveEntry* entry = RecordAt(index);
  *stored = StoredBytes(offset, entry->StoredSize);
  return entry;
}

// 1 when the record's Name ends inside its field: only then is it a name.
static int NameTerminated(const ArchiveEntry* entry) {
  return memchr(entry->Name, 0, ARCHIVE_NAME_SIZE) != 0;
}

const ArchiveEntry* LocateMember(const char* name, const uint8_t** stored) {
  *stored = 0;
  if (name == 0) return 0;
  uint32_t count = ArchiveEntryCount();
  uint64_t offset = ARCHIVE_HEADER_SIZE;
  for (uint32_t i = 0; i < count; i++) {
    const ArchiveEntry* entry = RecordAt(i);
    if (NameTerminated(entry) && SysCompareNoCase(entry->Name, name) == 0) {
      // The first record of the name decides, even when its bytes are not
      // usable: a later record of the same name is never reached.
      const uint8_t* bytes = StoredBytes(offset, entry->StoredSize);
      if (bytes == 0) return 0;
      *stored = bytes;
      return entry;
    }
    offset += PaddedSize(entry->StoredSize);
  }
  return 0;
}

int RestoreMember(const ArchiveEntry* entry, const uint8_t* stored,
                  const uint8_t** content, uint8_t** owned, int* allocFailed) {
  *content = 0;
  *owned = 0;
  *allocFailed = 0;
  uint32_t storedSize = entry->StoredSize;
  uint32_t unpackedSize = entry->UnpackedSize;
  int compressed = (entry->Flags & ARCHIVE_ENTRY_COMPRESSED) != 0;

  // Refused before any allocation: a compressed member that could never
  // expand to its UnpackedSize, and a member kept as is that claims more
  // content than it stores (its callers use UnpackedSize bytes of it).
  if (compressed ? !ExpansionPossible(unpackedSize, storedSize)
                 : unpackedSize > storedSize) {
    return 0;
  }

  // Descrambling comes first: the scrambling covers the stored bytes, which
  // are the compressed stream when the member is compressed.
  const uint8_t* current = stored;
  uint8_t* copy = 0;
  if (entry->Scrambled == 1) {
    copy = (uint8_t*)SysAlloc(storedSize, 0);
    if (copy == 0) {
      *allocFailed = 1;
      return 0;
    }
    memcpy(copy, stored, storedSize);
    Descramble(copy, storedSize);
    current = copy;
  }

  if (!compressed) {
    *content = current;
    *owned = copy;
    return 1;
  }

  uint8_t* expanded = (uint8_t*)SysAlloc(unpackedSize, 0);
  if (expanded == 0) {
    SysFree(copy);
    *allocFailed = 1;
    return 0;
  }
  int decoded = Decompress(expanded, unpackedSize, current, storedSize);
  SysFree(copy);
  if (!decoded) {
    SysFree(expanded);
    return 0;
  }
  *content = expanded;
  *owned = expanded;
  return 1;
}

void CloseArchive() {
  if (Archive) SysFree(Archive);
  Archive = 0;
}
