// A small check harness for the programs that test the Windows layer under
// Wine (no test framework is available for the cross build). A failed check
// prints where it failed and what was seen; the program's exit status is 1
// when any check failed.
#ifndef UPDATER_TESTS_WIN32_CHECK_H
#define UPDATER_TESTS_WIN32_CHECK_H

#include <stddef.h>
#include <stdint.h>

// Records one check; `what` describes it in the failure message.
void CheckThat(int passed, const char* file, int line, const char* what);
// Byte-exact comparison of two buffers, with both shown in hex on failure.
void CheckBytes(const void* seen, size_t seenSize, const void* expected,
                size_t expectedSize, const char* file, int line,
                const char* what);
void CheckNumber(uint64_t seen, uint64_t expected, const char* file, int line,
                 const char* what);
// Prints a free-form note (the name of the group being run, details).
void CheckNote(const char* format, ...);
// The count of failed checks so far, and of all checks.
int CheckFailures();
int CheckCount();

#define CHECK(condition) \
  CheckThat((condition) ? 1 : 0, __FILE__, __LINE__, #condition)
#define CHECK_EQ(seen, expected)                                            \
  CheckNumber(static_cast<uint64_t>(seen), static_cast<uint64_t>(expected), \
              __FILE__, __LINE__, #seen " == " #expected)
// Compares a NUL-ended text with the expected bytes (a string literal).
#define CHECK_TEXT(seen, expected)                                            \
  CheckBytes((seen), CheckTextLength(seen), (expected), sizeof(expected) - 1, \
             __FILE__, __LINE__, #seen " is " #expected)
#define CHECK_BYTES(seen, seenSize, expected, expectedSize)            \
  CheckBytes((seen), (seenSize), (expected), (expectedSize), __FILE__, \
             __LINE__, #seen " matches " #expected)

size_t CheckTextLength(const char* text);

#endif
