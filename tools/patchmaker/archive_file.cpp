// Reading archive files and checking member names.
#include "archive_file.h"

#include <errno.h>
#include <stdio.h>
#include <string.h>

#include "platform/platform.h"
#include "report.h"

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes,
                   std::string* error) {
  bytes->clear();
  FILE* file = fopen(path.c_str(), "rb");
  if (file == 0) {
    *error = strerror(errno);
    return false;
  }
  uint8_t chunk[65536];
  size_t got;
  while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes->insert(bytes->end(), chunk, chunk + got);
  }
  bool failed = ferror(file) != 0;
  int savedErrno = errno;
  fclose(file);
  if (failed) {
    *error = strerror(savedErrno);
    return false;
  }
  return true;
}

bool LoadArchive(const std::string& path, std::vector<uint8_t>* bytes) {
  std::string error;
  if (!ReadWholeFile(path, bytes, &error)) {
    ReportError(path + ": cannot read: " + error);
    return false;
  }
  if (bytes->size() > 0xFFFFFFFFu) {
    ReportError(path + ": larger than 4 GiB, not an archive");
    return false;
  }
  if (OpenArchiveImage(bytes->data(), (uint32_t)bytes->size()) != Opened) {
    ReportError(path + ": not a readable archive (header or directory damaged)");
    return false;
  }
  return true;
}

bool MemberName(const ArchiveEntry* entry, std::string* name) {
  const void* end = memchr(entry->Name, 0, ARCHIVE_NAME_SIZE);
  if (end == 0) {
    *name = "(unterminated name)";
    return false;
  }
  name->assign(entry->Name, (const char*)end - entry->Name);
  return true;
}

bool SafeFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  // The host's separator is refused wherever it stands (it is never the
  // second byte of a double-byte character); a backslash only where it is
  // a character of its own.
  if (name.find('/') != std::string::npos) return false;
  for (size_t i = 0; i < name.size(); i++) {
    unsigned char c = (unsigned char)name[i];
    if (SysIsLeadByte(c) && i + 1 < name.size()) {
      i++;  // a trailing byte belongs to its character
      continue;
    }
    if (c == '\\') return false;
  }
  return true;
}

bool SingleArchiveArgument(int argc, char** argv, const char* command,
                           std::string* archive, int* status) {
  std::vector<std::string> arguments;
  bool optionsEnded = false;
  for (int i = 0; i < argc; i++) {
    std::string argument = argv[i];
    if (!optionsEnded && argument == "--") {
      optionsEnded = true;
      continue;
    }
    if (!optionsEnded && argument.size() > 1 && argument[0] == '-') {
      *status = UsageError("unknown option '" + argument + "'", command);
      return false;
    }
    arguments.push_back(argument);
  }
  if (arguments.size() != 1) {
    *status = UsageError(std::string(command) + " takes one archive", command);
    return false;
  }
  *archive = arguments[0];
  return true;
}
