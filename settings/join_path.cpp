// Joining a folder path and a name with one backslash between them.
#include "settings/profile.h"

#include <string.h>

#include "platform/platform.h"

int JoinPath(char* path, uint32_t size, const char* component) {
  // The current length, bounded by the buffer: a path without a NUL inside
  // its buffer cannot be extended.
  uint32_t length = 0;
  while (length < size && path[length] != 0) length++;
  if (length >= size) return 0;

  // The separator is left out only when the last character is a single-byte
  // backslash. The walk goes by characters of the code page, so a
  // double-byte character whose second byte is 0x5C still gets one.
  int separator = 1;
  if (length > 0) {
    const char* last = path;
    for (const char* p = path; *p != 0; p = SysCharNext(p)) last = p;
    if (last == path + length - 1 && *last == '\\') separator = 0;
  }

  // A join that does not fit is refused whole rather than cut: a cut path
  // would name some other file.
  uint64_t componentLength = strlen(component);
  uint64_t needed = (uint64_t)length + (uint64_t)separator + componentLength + 2;
  if (needed > size) return 0;

  char* end = path + length;
  if (separator) *end++ = '\\';
  memcpy(end, component, (size_t)componentLength);
  end += componentLength;
  // Two NULs: the shell's copy takes a list of paths ended by an empty one.
  end[0] = 0;
  end[1] = 0;
  return 1;
}
