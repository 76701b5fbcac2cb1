// Texts of the end-to-end driver: conversions between UTF-8 (the driver's
// input and output) and UTF-16 (the wide window functions, which Wine fills
// from the updater's Shift-JIS texts), the escapes used on both sides, and
// the splitting of a script line into its words.
#ifndef UPDATER_TESTS_E2E_DRIVER_DRIVER_TEXT_H
#define UPDATER_TESTS_E2E_DRIVER_DRIVER_TEXT_H

#include <string>

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// Output escapes: a backslash becomes "\\", a carriage return "\r", a line
// feed "\n" and a tab "\t", so that one observation is always one line.
std::string EscapeText(const std::string& text);
// The reverse, applied to text arguments of script steps.
std::string UnescapeText(const std::string& text);

// Takes the next word off the front of *line: either up to the next blank,
// taken as it stands (Windows paths keep their backslashes), or a
// double-quoted word, in which the escapes above and \" for a quote count.
// One blank after the word is consumed as well. Returns false at the end.
bool TakeWord(std::string* line, std::string* word);
// The rest of the line as a text argument, blanks included: as it stands,
// or, when it is enclosed in double quotes, the text inside them with the
// escapes undone.
std::string RestText(const std::string& line);

#endif
