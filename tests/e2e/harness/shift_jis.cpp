#include "tests/e2e/harness/shift_jis.h"

#include <errno.h>
#include <iconv.h>

#include <gtest/gtest.h>

std::string ShiftJisFromUtf8(const std::string& text) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == (iconv_t)-1) {
    ADD_FAILURE() << "the system has no CP932 converter";
    return std::string();
  }
  std::string out(text.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* at = &out[0];
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(converter, &in, &inLeft, &at, &outLeft) == (size_t)-1) {
      ADD_FAILURE() << "no Shift-JIS form for the text: " << text << " (errno " << errno << ")";
      in++;
      inLeft--;
    }
  }
  iconv_close(converter);
  out.resize(out.size() - outLeft);
  return out;
}
