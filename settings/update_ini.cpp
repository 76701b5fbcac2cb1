// Parsing the update and copy lines of UPDATE.INI's [UPDATE] section.
#include "settings/update_ini.h"

#include <string.h>

#include "app/shared.h"
#include "platform/platform.h"
#include "settings/profile.h"

UpdateListRecord UpdateList;
CopyListRecord CopyList;

enum { ListCapacity = 16, FieldSize = 260 };

int32_t FindNameOffset(const char* path) {
  // Walked by characters of the code page: the second byte of a double-byte
  // character is never taken for a separator. 0x5C is no lead byte, so a
  // character that starts with it is always the single-byte backslash.
  int32_t offset = 0;
  for (const char* p = path; *p != 0; p = SysCharNext(p)) {
    if (*p == '\\') offset = (int32_t)(p - path) + 1;
  }
  return offset;
}

int ParseUpdateLine(const char* value, uint32_t installMode,
                    ExistenceCheck check, UpdateEntry* entry, int* taken) {
  *taken = 0;

  // Up to three fields; the first call that fails ends the line, and it and
  // the fields after it count as empty. A failure whose cursor does not rest
  // on a terminator is a field too long for its buffer (see NextListField).
  char fields[3][FieldSize];
  memset(fields, 0, sizeof fields);
  int count = 0;
  int overlong = -1;  // index of a field refused for its length
  const char* cursor = value;
  while (count < 3) {
    if (!NextListField(fields[count], &cursor)) {
      char c = *cursor;
      if (!(c == 0 || c == '\n' || c == '\r' || c == ',')) overlong = count;
      break;
    }
    count++;
  }

  // An install mode is a first field of exactly one decimal digit; the kind
  // field then follows it.
  int hasMode = (fields[0][0] >= '0' && fields[0][0] <= '9' &&
                 fields[0][1] == 0);
  uint32_t mode = hasMode ? (uint32_t)(fields[0][0] - '0') : 0;
  int kindIndex = hasMode ? 1 : 0;
  const char* kindField = fields[kindIndex];

  // The kind letters, compared whole and without regard to case.
  int isCheck = 0;
  int32_t kind = Plain;
  int pathIndex = kindIndex;
  if (SysCompareNoCase(kindField, "d") == 0) {
    kind = Data;
  } else if (SysCompareNoCase(kindField, "u") == 0) {
    kind = Update;
  } else if (SysCompareNoCase(kindField, "o") == 0) {
    kind = Overwrite;
  } else if (SysCompareNoCase(kindField, "e") == 0) {
    isCheck = 1;
  }
  if (kind != Plain || isCheck) pathIndex = kindIndex + 1;

  // A field the line uses that did not fit its buffer: the line is refused
  // rather than taken with a cut or empty path. An existence check that
  // cannot be made counts as failed, so that a malformed line never lets an
  // update through to the wrong version. The first field is always used (as
  // the install mode, the kind or the path), so its refusal always counts.
  int usesOverlong = (overlong >= 0 && overlong <= pathIndex);

  if (isCheck) {
    // Every "e" line is checked, whatever its install mode.
    if (check == 0) return 0;
    if (usesOverlong) {
      check(0);  // reported like any failed check, then reading stops
      return 0;
    }
    return check(fields[pathIndex]) ? 1 : 0;
  }
  if (usesOverlong) return 1;
  if (hasMode && mode != installMode) return 1;

  entry->Kind = kind;
  memcpy(entry->Path, fields[pathIndex], FieldSize);
  entry->NameOffset = FindNameOffset(entry->Path);
  *taken = 1;
  return 1;
}

int ParseCopyLine(const char* value, uint32_t installMode, CopyEntry* entry) {
  // Taken by character positions, with no blanks skipped. Each test of a
  // second character first makes sure the first is not the end.
  const char* rest = value;
  if (value[0] != 0 && value[1] == ',') {
    int64_t mode = (int64_t)(unsigned char)value[0] - '0';
    if (mode != (int64_t)installMode) return 0;
    rest = value + 2;
  }

  int32_t disk = 0;
  const char* path = rest;
  if (rest[0] != 0 && rest[1] == ':') {
    // DiskNumber indexes the ten DiskCheckFiles; a character that is not a
    // digit names no disk that exists, and taking it for disk 0 would copy
    // from another source than the line means, so the line is refused.
    if (rest[0] < '0' || rest[0] > '9') return 0;
    disk = rest[0] - '0';
    path = rest + 2;
  }

  size_t length = strlen(path);
  if (length > FieldSize - 1) return 0;
  entry->DiskNumber = disk;
  memset(entry->Path, 0, sizeof entry->Path);
  memcpy(entry->Path, path, length);
  return 1;
}

int ReadUpdateLists(uint32_t installMode, ExistenceCheck check) {
  memset(&UpdateList, 0, sizeof UpdateList);
  memset(&CopyList, 0, sizeof CopyList);

  char key[TEXT_SIZE];
  char value[TEXT_SIZE];
  // Each list ends at its first missing key, even where later keys exist.
  for (int n = 0; n < ListCapacity; n++) {
    SysFormat(key, "UpdateFile%02i", n);
    if (!ReadUpdateKey("UPDATE", key, value, TEXT_SIZE)) break;
    int taken = 0;
    UpdateEntry* entry = &UpdateList.Entries[UpdateList.Count];
    if (!ParseUpdateLine(value, installMode, check, entry, &taken)) return 0;
    if (taken) UpdateList.Count++;
  }
  for (int n = 0; n < ListCapacity; n++) {
    SysFormat(key, "CopyFile%02i", n);
    if (!ReadUpdateKey("UPDATE", key, value, PATH_SIZE)) break;
    if (ParseCopyLine(value, installMode, &CopyList.Entries[CopyList.Count]))
      CopyList.Count++;
  }
  return 1;
}
