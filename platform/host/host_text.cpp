// Text helpers of the simulated Windows: code page 932 character walking,
// lstrcmpiA-style comparison and wsprintfA-style formatting.
#include <stdio.h>
#include <string.h>

#include "platform/platform.h"

int SysIsLeadByte(unsigned char byte) {
  // Shift-JIS lead bytes.
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

const char* SysCharNext(const char* text) {
  // As CharNextA: stays on the NUL; a lead byte followed by the NUL moves
  // only one byte, so the walk never passes the end of the string.
  if (*text == 0) return text;
  if (SysIsLeadByte((unsigned char)*text) && text[1] != 0) return text + 2;
  return text + 1;
}

static unsigned char FoldCase(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? (unsigned char)(c - 'A' + 'a') : c;
}

int SysCompareNoCase(const char* a, const char* b) {
  // Letters of the ASCII range compare without regard to case; double-byte
  // characters compare byte for byte (their second byte is never folded).
  const unsigned char* x = (const unsigned char*)a;
  const unsigned char* y = (const unsigned char*)b;
  for (;;) {
    if (SysIsLeadByte(*x) && x[1] != 0 && SysIsLeadByte(*y) && y[1] != 0) {
      if (x[0] != y[0]) return x[0] < y[0] ? -1 : 1;
      if (x[1] != y[1]) return x[1] < y[1] ? -1 : 1;
      x += 2;
      y += 2;
      continue;
    }
    unsigned char cx = FoldCase(*x), cy = FoldCase(*y);
    if (cx != cy) return cx < cy ? -1 : 1;
    if (cx == 0) return 0;
    x++;
    y++;
  }
}

int SysFormatV(char* out, const char* format, va_list args) {
  // wvsprintfA writes at most 1024 bytes including the NUL.
  int n = vsnprintf(out, 1024, format, args);
  if (n < 0) {
    out[0] = 0;
    return 0;
  }
  return n > 1023 ? 1023 : n;
}

int SysFormat(char* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int n = SysFormatV(out, format, args);
  va_end(args);
  return n;
}
