// Text in the system code page (932 for the updater's users): character
// steps, lead bytes, comparison and the system's printf-style formatting.
#include <windows.h>

#include "platform/platform.h"

namespace {

// The formatted text's limit: 1023 characters and the NUL, the size of the
// system's own formatting buffer.
const int FormatLimit = 1023;

}  // namespace

const char* SysCharNext(const char* text) { return CharNextA(text); }

int SysIsLeadByte(unsigned char value) { return IsDBCSLeadByte(value) ? 1 : 0; }

int SysCompareNoCase(const char* a, const char* b) { return lstrcmpiA(a, b); }

int SysFormatV(char* out, const char* format, va_list args) {
  // The system formatter writes at most 1024 bytes. Whether it leaves the
  // NUL in them when the text is cut differs between versions, so the limit
  // is enforced here: a result outside 0..1023 means the text was cut or the
  // call failed, and the text then ends at the last byte of the buffer at
  // the latest.
  int written = wvsprintfA(out, format, args);
  if (written >= 0 && written <= FormatLimit) return written;
  out[FormatLimit] = 0;
  int length = 0;
  while (length < FormatLimit && out[length] != 0) ++length;
  return length;
}

int SysFormat(char* out, const char* format, ...) {
  va_list args;
  va_start(args, format);
  int written = SysFormatV(out, format, args);
  va_end(args);
  return written;
}
