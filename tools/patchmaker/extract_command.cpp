// patchmaker extract: writes members to files in a folder, each with the
// member's time stamp as its last-write and last-access time.
#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive_file.h"
#include "commands.h"
#include "file_time.h"
#include "platform/platform.h"
#include "report.h"

const char kExtractUsage[] =
    "usage: patchmaker extract ARCHIVE [NAME...] [-C DIR]\n"
    "\n"
    "Writes the named members (all members when none is named) as files into\n"
    "DIR (the current folder by default; made when missing). Names are\n"
    "matched without regard to case; files are named as the members are.\n"
    "\n"
    "options:\n"
    "  -C DIR      write the files into DIR\n"
    "  -h, --help  show this help\n";

namespace {

bool WriteMemberFile(const std::string& path, const uint8_t* bytes,
                     uint32_t length, uint64_t fileTime) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == 0) {
    ReportError(path + ": cannot create: " + strerror(errno));
    return false;
  }
  bool written = fwrite(bytes, 1, length, file) == length;
  int savedErrno = errno;
  if (fclose(file) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    ReportError(path + ": cannot write: " + strerror(savedErrno));
    return false;
  }
  struct timespec times[2];
  times[0] = TimespecFromFileTime(fileTime);
  times[1] = times[0];
  if (utimensat(AT_FDCWD, path.c_str(), times, 0) != 0) {
    ReportError(path + ": cannot set the time stamp: " + strerror(errno));
    return false;
  }
  return true;
}

// Restores one member and writes it into the folder. false after an error
// line.
bool ExtractOne(const ArchiveEntry* entry, const uint8_t* stored,
                const std::string& folder) {
  std::string name;
  if (!MemberName(entry, &name) || !SafeFileName(name)) {
    ReportError("member '" + name + "': refused, not a plain file name");
    return false;
  }
  if (stored == 0) {
    ReportError(name + ": stored bytes lie outside the archive");
    return false;
  }
  const uint8_t* content;
  uint8_t* owned;
  int allocFailed;
  if (!RestoreMember(entry, stored, &content, &owned, &allocFailed)) {
    ReportError(name + (allocFailed ? ": not enough memory to decode it"
                                    : ": stored bytes do not decode"));
    return false;
  }
  uint64_t fileTime = (uint64_t)entry->FileTimeHigh << 32 | entry->FileTimeLow;
  bool written = WriteMemberFile(folder + "/" + name, content,
                                 entry->UnpackedSize, fileTime);
  if (owned) SysFree(owned);
  return written;
}

// false when an earlier record carries the same name (compared as the
// updater compares names): the updater only ever uses the first, and
// writing a later one would overwrite it.
bool FirstOfItsName(uint32_t index) {
  std::string name;
  if (!MemberName(ArchiveEntryAt(index), &name)) return true;
  for (uint32_t i = 0; i < index; i++) {
    std::string earlier;
    if (MemberName(ArchiveEntryAt(i), &earlier) &&
        SysCompareNoCase(earlier.c_str(), name.c_str()) == 0) {
      return false;
    }
  }
  return true;
}

}  // namespace

int RunExtract(int argc, char** argv) {
  std::vector<std::string> arguments;
  std::string folder = ".";
  bool optionsEnded = false;
  for (int i = 0; i < argc; i++) {
    std::string argument = argv[i];
    if (optionsEnded || argument.size() < 2 || argument[0] != '-') {
      arguments.push_back(argument);
    } else if (argument == "--") {
      optionsEnded = true;
    } else if (argument == "-C") {
      if (i + 1 >= argc) return UsageError("-C needs a folder", "extract");
      folder = argv[++i];
    } else if (argument.compare(0, 2, "-C") == 0) {
      folder = argument.substr(2);
    } else {
      return UsageError("unknown option '" + argument + "'", "extract");
    }
  }
  if (arguments.empty()) return UsageError("no archive named", "extract");
  if (folder.empty()) return UsageError("-C needs a folder", "extract");

  std::vector<uint8_t> bytes;
  if (!LoadArchive(arguments[0], &bytes)) return ExitFailure;
  std::error_code failure;
  std::filesystem::create_directories(folder, failure);
  if (failure || !std::filesystem::is_directory(folder)) {
    ReportError(folder + ": cannot use as the target folder" +
                (failure ? ": " + failure.message() : std::string()));
    CloseArchive();
    return ExitFailure;
  }

  bool allWritten = true;
  if (arguments.size() > 1) {
    for (size_t i = 1; i < arguments.size(); i++) {
      const uint8_t* stored;
      const ArchiveEntry* entry = LocateMember(arguments[i].c_str(), &stored);
      if (entry == 0) {
        ReportError(arguments[i] + ": no such member");
        allWritten = false;
        continue;
      }
      if (!ExtractOne(entry, stored, folder)) allWritten = false;
    }
  } else {
    uint32_t count = ArchiveEntryCount();
    for (uint32_t i = 0; i < count; i++) {
      const uint8_t* stored;
      const ArchiveEntry* entry = ArchiveMemberAt(i, &stored);
      if (!FirstOfItsName(i)) {
        std::string name;
        MemberName(entry, &name);
        ReportWarning(name + ": skipped, an earlier member has the same name");
        continue;
      }
      if (!ExtractOne(entry, stored, folder)) allWritten = false;
    }
  }
  CloseArchive();
  return allWritten ? ExitOk : ExitFailure;
}
