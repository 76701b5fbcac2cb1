// Fuzzing the parsers of settings values: list fields, update lines, copy
// lines, NameOffset and JoinPath. The input is one value, copied into a
// zeroed block of exactly its size plus its NUL, so that any read past the
// value's end is caught by the address sanitizer.
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "settings/profile.h"
#include "settings/update_ini.h"

static int checkAnswer = 0;
static int CheckPath(const char* path) {
  // The hook is given a field that fits its buffer, or no path at all for
  // one that does not (the check must then fail).
  if (path == 0) return 0;
  if (strlen(path) > 259) abort();
  return checkAnswer;
}

static void CheckField(const char* field) {
  if (memchr(field, 0, 260) == 0) abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  char* value = (char*)calloc(size + 1, 1);
  if (value == 0) return 0;
  memcpy(value, data, size);
  size_t length = strlen(value);
  const char* end = value + length;

  // The fields of the list: every call stays inside the value, and the walk
  // ends because each field taken moves the cursor on.
  const char* cursor = value;
  char field[260];
  int fields = 0;
  while (NextListField(field, &cursor)) {
    CheckField(field);
    if (cursor < value || cursor > end) abort();
    if (++fields > (int)length + 1) abort();
  }
  if (cursor < value || cursor > end) abort();

  // The update line, with both answers of the existence check.
  for (uint32_t mode = 0; mode < 3; mode++) {
    checkAnswer = (int)(mode & 1);
    UpdateEntry entry;
    memset(&entry, 0, sizeof entry);
    int taken = 0;
    int result = ParseUpdateLine(value, mode, CheckPath, &entry, &taken);
    if (result != 0 && result != 1) abort();
    if (taken) {
      CheckField(entry.Path);
      if (entry.Kind < Plain || entry.Kind > Overwrite) abort();
      size_t pathLength = strlen(entry.Path);
      if (entry.NameOffset < 0 || (size_t)entry.NameOffset > pathLength) abort();
      if (entry.NameOffset > 0 && entry.Path[entry.NameOffset - 1] != '\\') abort();
    }

    CopyEntry copy;
    memset(&copy, 0, sizeof copy);
    if (ParseCopyLine(value, mode, &copy)) {
      CheckField(copy.Path);
      if (copy.DiskNumber < 0 || copy.DiskNumber > 9) abort();
    }
  }

  int32_t offset = FindNameOffset(value);
  if (offset < 0 || (size_t)offset > length) abort();

  // JoinPath: the value's first half as the path in a 260-byte buffer, the
  // rest as the component; never past the buffer, and a refusal leaves the
  // path alone.
  char path[260];
  memset(path, 'Z', sizeof path);
  size_t half = length / 2;
  if (half > 259) half = 259;
  memcpy(path, value, half);
  path[half] = 0;
  char before[260];
  memcpy(before, path, sizeof path);
  if (JoinPath(path, sizeof path, value + length / 2)) {
    size_t joined = strlen(path);
    if (joined + 1 >= sizeof path || path[joined + 1] != 0) abort();
  } else if (memcmp(before, path, sizeof path) != 0) {
    abort();
  }

  free(value);
  return 0;
}
