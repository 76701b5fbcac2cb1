// The check harness: counts checks and failures and prints the failures.
#include "tests/win32/check.h"

#include <stdarg.h>
#include <stdio.h>

namespace {

int Failures = 0;
int Checks = 0;

void PrintHex(const char* label, const void* bytes, size_t size) {
  const unsigned char* at = static_cast<const unsigned char*>(bytes);
  printf("    %s (%u bytes):", label, static_cast<unsigned>(size));
  size_t shown = size < 64 ? size : 64;
  for (size_t i = 0; i < shown; ++i) printf(" %02X", at[i]);
  if (shown < size) printf(" ...");
  printf("\n");
}

}  // namespace

size_t CheckTextLength(const char* text) {
  size_t length = 0;
  if (text == 0) return 0;
  while (text[length] != 0) ++length;
  return length;
}

void CheckThat(int passed, const char* file, int line, const char* what) {
  ++Checks;
  if (passed) return;
  ++Failures;
  printf("FAILED %s:%d: %s\n", file, line, what);
  fflush(stdout);
}

void CheckBytes(const void* seen, size_t seenSize, const void* expected,
                size_t expectedSize, const char* file, int line,
                const char* what) {
  int same = seen != 0 && seenSize == expectedSize;
  const unsigned char* a = static_cast<const unsigned char*>(seen);
  const unsigned char* b = static_cast<const unsigned char*>(expected);
  for (size_t i = 0; same && i < seenSize; ++i) same = a[i] == b[i];
  CheckThat(same, file, line, what);
  if (!same) {
    if (seen == 0) {
      printf("    seen: null\n");
    } else {
      PrintHex("seen", seen, seenSize);
    }
    PrintHex("expected", expected, expectedSize);
    fflush(stdout);
  }
}

void CheckNumber(uint64_t seen, uint64_t expected, const char* file, int line,
                 const char* what) {
  CheckThat(seen == expected, file, line, what);
  if (seen != expected) {
    printf("    seen %llu (0x%llX), expected %llu (0x%llX)\n",
           static_cast<unsigned long long>(seen),
           static_cast<unsigned long long>(seen),
           static_cast<unsigned long long>(expected),
           static_cast<unsigned long long>(expected));
    fflush(stdout);
  }
}

void CheckNote(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vprintf(format, args);
  va_end(args);
  printf("\n");
  fflush(stdout);
}

int CheckFailures() { return Failures; }
int CheckCount() { return Checks; }
