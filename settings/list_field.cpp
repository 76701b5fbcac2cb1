// The fields of a comma-separated list value.
//
// A list value is the text of one key: fields separated by commas (or line
// ends), each optionally led by blanks and by a one-character disk number
// and a colon ("2:movie.dat"). All the characters that steer the grammar
// (tab, space, comma, CR, LF, colon and the NUL) lie below 0x40, and the
// second byte of a Shift-JIS character is never below 0x40, so the value can
// be walked byte by byte without mistaking half a character for one of them.
#include "settings/profile.h"

#include <string.h>

int32_t LastDiskNumber = 0;

enum { FieldSize = 260 };

static int IsBlank(char c) { return c == '\t' || c == ' '; }

static int IsFieldTerminator(char c) {
  return c == 0 || c == '\n' || c == '\r' || c == ',';
}

int NextListField(char* field, const char** cursor) {
  const char* p = *cursor;
  while (IsBlank(*p)) p++;
  // The cursor keeps the skipped blanks even when no field follows.
  *cursor = p;
  field[0] = 0;
  // The end of the value, or an empty field: the list ends here, and the
  // cursor stays on that terminator so that every later call ends too.
  if (IsFieldTerminator(*p)) return 0;

  // A disk-number prefix is one character and a colon. Its character is
  // known not to be the NUL, so the byte after it is still inside the value.
  const char* start = p;
  int hasPrefix = (p[1] == ':');
  int32_t disk = 0;
  if (hasPrefix) {
    disk = (p[0] >= '0' && p[0] <= '9') ? p[0] - '0' : 0;
    start = p + 2;
  }

  // The field runs to the next terminator. No blanks are skipped after a
  // prefix, and the character after the colon may itself be the terminator
  // (an empty field with result 1).
  const char* end = start;
  while (!IsFieldTerminator(*end)) end++;
  size_t length = (size_t)(end - start);

  // A field longer than its buffer is refused rather than cut: a cut name
  // would name some other file. The cursor stays on the first character of
  // the refused field (past the blanks), which is not a terminator, so the
  // caller can tell this refusal from the end of the list, and every later
  // call refuses the same field again. LastDiskNumber is left alone.
  if (length > FieldSize - 1) return 0;

  if (hasPrefix) LastDiskNumber = disk;
  memcpy(field, start, length);
  field[length] = 0;
  // Past the terminator, except the value's own NUL, which stays under the
  // cursor so that the next call returns 0.
  *cursor = (*end == 0) ? end : end + 1;
  return 1;
}
