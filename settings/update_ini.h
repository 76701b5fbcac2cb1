// The [UPDATE] section of the update description UPDATE.INI: the update
// lines (archive members to write into the installation) and the copy lines
// (files or folders to copy from a CD-ROM), parsed into two lists.
#ifndef UPDATER_SETTINGS_UPDATE_INI_H
#define UPDATER_SETTINGS_UPDATE_INI_H

#include <stdint.h>

enum UpdateKind { Plain = 0, Update = 1, Data = 2, Overwrite = 3 };

struct UpdateEntry {
  int32_t Kind;        // an UpdateKind
  char Path[260];      // relative to the base folder and DataFolder
  int32_t NameOffset;  // index in Path of the file name (the member's name)
};

struct CopyEntry {
  int32_t DiskNumber;  // 0: no disk; 1 to 9: the disk of DiskCheckFiles[n]
  char Path[260];      // relative to the root of the source drive
};

struct UpdateListRecord {
  UpdateEntry Entries[16];
  int32_t Count;
};

struct CopyListRecord {
  CopyEntry Entries[16];
  int32_t Count;
};

extern UpdateListRecord UpdateList;
extern CopyListRecord CopyList;

// The existence check of an "e" line: given the line's relative path,
// non-zero when the check passed. A null path stands for a path too long to
// be read; the check then fails, and reports it as any failed check.
typedef int (*ExistenceCheck)(const char* path);

// Empties both lists and refills them from UpdateFile00..15 and
// CopyFile00..15 of section [UPDATE] of the file at UpdateIniPath; each list
// ends at its first missing key. 0 when an existence check failed: reading
// stopped at that line.
int ReadUpdateLists(uint32_t installMode, ExistenceCheck check);

// One update line. Returns 0 when the line's existence check failed (reading
// must stop), 1 otherwise; *taken is 1 when *entry received a new entry, 0
// when the line adds none (an "e" line, another install mode, a field that
// does not fit its buffer). An "e" line whose path does not fit is handed to
// the check as a null path and fails; with no check given it fails as well.
int ParseUpdateLine(const char* value, uint32_t installMode,
                    ExistenceCheck check, UpdateEntry* entry, int* taken);

// One copy line. 1 when *entry received a new entry; 0 when the line adds
// none (another install mode, a disk character that is not a digit, a path
// that does not fit).
int ParseCopyLine(const char* value, uint32_t installMode, CopyEntry* entry);

// The index of the first character after the last single-byte backslash of
// the path, or 0 when there is none.
int32_t FindNameOffset(const char* path);

#endif
