// Texts for the updater's files: the tests write UTF-8, the updater reads
// Shift-JIS (code page 932).
#ifndef UPDATER_TESTS_E2E_HARNESS_SHIFT_JIS_H
#define UPDATER_TESTS_E2E_HARNESS_SHIFT_JIS_H

#include <string>

// Converts UTF-8 to code page 932. A character that has no Shift-JIS form
// fails the calling test (and is left out).
std::string ShiftJisFromUtf8(const std::string& text);

#endif
