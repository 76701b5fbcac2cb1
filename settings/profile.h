// Reading the two settings files key by key, and the small text tools the
// readers share: decimal numbers, comma-separated list values with a disk
// number prefix, and joining a folder path with a name.
//
// All texts are 8-bit strings in the system code page (Shift-JIS), ended by
// a NUL. Every operation returns 1 for success and 0 for failure.
#ifndef UPDATER_SETTINGS_PROFILE_H
#define UPDATER_SETTINGS_PROFILE_H

#include <stdint.h>

// Non-zero: a missing or empty key fails without an error box.
extern int32_t QuietMissingKeys;
// The disk number of the last list field that carried a prefix.
extern int32_t LastDiskNumber;

// The error box of the settings readers: caption "DOZARUZO", the error icon,
// one OK button, owner DialogWindow.
void ShowSetupError(const char* text);

// The value of `key` in section [SETUP] of the file at SetupIniPath. The
// buffer is cleared over its whole size first; a missing key and an empty
// value both fail, leave the buffer empty and show a box unless
// QuietMissingKeys is set. A longer value arrives cut to size - 1
// characters, always NUL-ended, and counts as found.
int ReadSetupKey(const char* key, char* buffer, uint32_t size);
// The same for `section` and `key` of the file at UpdateIniPath.
int ReadUpdateKey(const char* section, const char* key, char* buffer,
                  uint32_t size);
// A [SETUP] key of SETUP.INI as a decimal number (ConvertDecimal). A
// missing key fails and leaves *value as it was.
int ReadSetupNumber(const char* key, int32_t* value);

// The decimal conversion of every number in the settings files: leading
// white space skipped, an optional sign, then decimal digits up to the first
// other character. No digits give 0; the result is clamped to the signed
// 32-bit range.
int32_t ConvertDecimal(const char* text);

// Copies the next field of a list value into `field` (260 bytes: at most 259
// characters and the NUL) and advances *cursor past the field's terminator.
// Blanks before a field are skipped; a field whose second character is a
// colon starts after the colon and its first character sets LastDiskNumber.
// 0 at the end of the value, at an empty field, and for a field longer than
// 259 characters (see list_field.cpp for where the cursor then stands).
int NextListField(char* field, const char** cursor);

// Appends `component` to the path in the buffer of `size` bytes with exactly
// one backslash between them, and writes a second NUL after the result. 0
// when the result and both NULs would not fit: the path is then unchanged.
int JoinPath(char* path, uint32_t size, const char* component);

#endif
