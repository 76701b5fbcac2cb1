// Archives as patchmaker handles them: whole files read into memory and
// opened through the same reader the updater uses, and member names checked
// before they become file names.
#ifndef PATCHMAKER_ARCHIVE_FILE_H
#define PATCHMAKER_ARCHIVE_FILE_H

#include <stdint.h>

#include <string>
#include <vector>

#include "archive/container.h"

// The whole file; false with *error set (the reason, without the path).
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes,
                   std::string* error);
// The one archive argument of a command that takes no options (list,
// test); "--" ends the options. false after a usage error, *status then
// holds the exit status.
bool SingleArchiveArgument(int argc, char** argv, const char* command,
                           std::string* archive, int* status);
// Reads the archive file into *bytes and opens it as the process's archive
// (the bytes must outlive its use). false after an error line.
bool LoadArchive(const std::string& path, std::vector<uint8_t>* bytes);
// The record's name up to its zero byte; false (and a printable stand-in in
// *name) when the field holds no zero byte and so no valid name.
bool MemberName(const ArchiveEntry* entry, std::string* name);
// 1 when the name can be written as a file inside the target folder: not
// empty, not "." or "..", and no folder separator (walked by characters of
// the archive's code page).
bool SafeFileName(const std::string& name);

#endif
