// Writing one archive member to a file: the free-space test, restoring the
// member's bytes, the read-only and folder rules, the newer-date rule, and a
// write that never leaves a half-written file over a good one.
#include "archive/extract.h"

#include <string.h>

#include "app/shared.h"
#include "archive/container.h"

// FILETIME values compare as unsigned 64-bit numbers: the upper halves
// first, then the lower ones. Equal times are not later.
static int IsLater(const FileTime* a, uint32_t bLow, uint32_t bHigh) {
  if (a->High != bHigh) return a->High > bHigh;
  return a->Low > bLow;
}

int ExtractMember(const char* name, const char* destination, int newerRule) {
  const uint8_t* stored = 0;
  const ArchiveEntry* entry = LocateMember(name, &stored);
  if (entry == 0) {
    ShowUpdateError("Can't Find File in Resource !!");
    return 0;
  }

  // Four GiB or more of free space always suffice; a drive whose space
  // cannot be determined is written to (see SpaceShortfall).
  char drive[4];
  uint32_t missing = SpaceShortfall(destination, entry->UnpackedSize, drive);
  if (missing != 0) {
    char message[TEXT_SIZE];
    // The shortfall is an unsigned count: a member above 2 GiB must not
    // show a negative number.
    SysFormat(message,
              "ディスク容量が足りません。%s ドライブに %u バイトの空き容量が必要です",
              drive, (unsigned)missing);
    ShowUpdateError(message);
    return 0;
  }

  const uint8_t* content = 0;
  uint8_t* owned = 0;
  int allocFailed = 0;
  if (!RestoreMember(entry, stored, &content, &owned, &allocFailed)) {
    // A member whose stored bytes do not decode is as good as missing.
    ShowUpdateError(allocFailed ? "Can't Allocate Memory !!"
                                : "Can't Find File in Resource !!");
    return 0;
  }

  int result = 0;
  uint32_t attributes = SystemFunctions.FileAttributesGet(destination);
  if (attributes != SYS_INVALID_ATTRIBUTES) {
    if (attributes & SYS_FILE_ATTRIBUTE_DIRECTORY) goto done;
    if (attributes & SYS_FILE_ATTRIBUTE_READONLY)
      SystemFunctions.FileAttributesSet(destination, SYS_FILE_ATTRIBUTE_NORMAL);
  }

  if (newerRule && attributes != SYS_INVALID_ATTRIBUTES) {
    SysHandle file =
        SystemFunctions.FileOpen(destination, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                                 SYS_OPEN_EXISTING, SYS_FILE_ATTRIBUTE_NORMAL);
    if (file != SYS_INVALID_HANDLE) {
      FileTime written;
      int haveTime = SysGetFileTime(file, 0, 0, &written);
      SystemFunctions.FileClose(file);
      if (haveTime && IsLater(&written, entry->FileTimeLow, entry->FileTimeHigh)) {
        result = 1;  // the installed file is newer: keep it
        goto done;
      }
    }
  }

  {
    FileTime stamp;
    stamp.Low = entry->FileTimeLow;
    stamp.High = entry->FileTimeHigh;
    result = WriteWholeFile(destination, content, entry->UnpackedSize, &stamp);
  }

done:
  if (owned) SysFree(owned);
  return result;
}

// The temporary file sits in the destination's own folder, so the final
// replacement is a rename within one volume.
static int FormTemporaryPath(const char* path, char* temporary) {
  static uint32_t counter = 0;
  const char* nameStart = path;
  for (const char* p = path; *p; p = SysCharNext(p))
    if (*p == '\\') nameStart = p + 1;
  uint32_t folderLength = (uint32_t)(nameStart - path);
  char name[64];
  int nameLength = SysFormat(name, "~UPD%X-%X.TMP", (unsigned)SysGetProcessId(),
                             (unsigned)++counter);
  if (folderLength + (uint32_t)nameLength + 1 > PATH_SIZE) return 0;
  memcpy(temporary, path, folderLength);
  memcpy(temporary + folderLength, name, (size_t)nameLength + 1);
  return 1;
}

int WriteWholeFile(const char* path, const void* bytes, uint32_t length,
                   const FileTime* time) {
  // The new content goes to a temporary file first; only a complete file
  // with its times set replaces the destination. A failed or short write
  // (a full disk) therefore leaves the old file whole, with its content and
  // attributes.
  char temporary[PATH_SIZE];
  if (!FormTemporaryPath(path, temporary)) return 0;

  SysHandle file = SystemFunctions.FileOpen(temporary, SYS_GENERIC_WRITE, 0,
                                            SYS_CREATE_ALWAYS,
                                            SYS_FILE_ATTRIBUTE_NORMAL);
  if (file == SYS_INVALID_HANDLE) return 0;

  uint32_t written = 0;
  int ok = SystemFunctions.FileWrite(file, bytes, length, &written) != 0 &&
           written == length;
  if (ok && time != 0) ok = SysSetFileTime(file, time, time, time);
  SystemFunctions.FileClose(file);

  if (ok) ok = SysMoveFileReplace(temporary, path);
  if (!ok) SysDeleteFile(temporary);
  return ok;
}
