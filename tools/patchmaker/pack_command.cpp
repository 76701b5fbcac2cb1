// patchmaker pack: builds an archive from files. Each file becomes one
// member named by the file's base name and stamped with its last-write time.
#include <errno.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "archive/archive_writer.h"
#include "archive_file.h"
#include "commands.h"
#include "file_time.h"
#include "platform/platform.h"
#include "report.h"

const char kPackUsage[] =
    "usage: patchmaker pack [OPTIONS] OUT FILE...\n"
    "\n"
    "Builds the archive OUT from the files. Members are named by the files'\n"
    "base names (compared without regard to case, so two files of the same\n"
    "name are refused) and carry the files' last-write times.\n"
    "\n"
    "options:\n"
    "  -0, --store              store members uncompressed\n"
    "      --no-scramble        store members unscrambled\n"
    "      --directory-flags N  header flags 0 to 3: bit 0 compresses the\n"
    "                           directory, bit 1 scrambles it (default 3)\n"
    "  -h, --help               show this help\n";

namespace {

std::string BaseName(const std::string& path) {
  size_t end = path.find_last_not_of('/');
  if (end == std::string::npos) return std::string();
  size_t start = path.find_last_of('/', end);
  start = start == std::string::npos ? 0 : start + 1;
  return path.substr(start, end + 1 - start);
}

bool ParseDirectoryFlags(const char* text, uint32_t* flags) {
  if (text[0] < '0' || text[0] > '3' || text[1] != 0) return false;
  *flags = (uint32_t)(text[0] - '0');
  return true;
}

bool ReadMember(const std::string& path, ArchiveWriterMember* member) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) {
    ReportError(path + ": " + strerror(errno));
    return false;
  }
  if (!S_ISREG(status.st_mode)) {
    ReportError(path + ": not a regular file");
    return false;
  }
  if (!FileTimeFromTimespec(status.st_mtim, &member->FileTime)) {
    ReportError(path + ": last-write time lies before 1601");
    return false;
  }
  std::string error;
  if (!ReadWholeFile(path, &member->Bytes, &error)) {
    ReportError(path + ": cannot read: " + error);
    return false;
  }
  member->Name = BaseName(path);
  return true;
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* file = fopen(path.c_str(), "wb");
  if (file == 0) {
    ReportError(path + ": cannot create: " + strerror(errno));
    return false;
  }
  bool written = fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  int savedErrno = errno;
  if (fclose(file) != 0 && written) {
    written = false;
    savedErrno = errno;
  }
  if (!written) {
    ReportError(path + ": cannot write: " + strerror(savedErrno));
    remove(path.c_str());
    return false;
  }
  return true;
}

}  // namespace

int RunPack(int argc, char** argv) {
  bool compress = true;
  bool scramble = true;
  uint32_t directoryFlags = ARCHIVE_DIRECTORY_COMPRESSED |
                            ARCHIVE_DIRECTORY_SCRAMBLED;
  std::vector<std::string> paths;
  bool optionsEnded = false;
  for (int i = 0; i < argc; i++) {
    const char* argument = argv[i];
    if (optionsEnded || argument[0] != '-' || argument[1] == 0) {
      paths.push_back(argument);
    } else if (strcmp(argument, "--") == 0) {
      optionsEnded = true;
    } else if (strcmp(argument, "-0") == 0 || strcmp(argument, "--store") == 0) {
      compress = false;
    } else if (strcmp(argument, "--no-scramble") == 0) {
      scramble = false;
    } else if (strcmp(argument, "--directory-flags") == 0) {
      if (i + 1 >= argc) return UsageError("--directory-flags needs a value", "pack");
      if (!ParseDirectoryFlags(argv[++i], &directoryFlags)) {
        return UsageError("--directory-flags takes 0, 1, 2 or 3", "pack");
      }
    } else if (strncmp(argument, "--directory-flags=", 18) == 0) {
      if (!ParseDirectoryFlags(argument + 18, &directoryFlags)) {
        return UsageError("--directory-flags takes 0, 1, 2 or 3", "pack");
      }
    } else {
      return UsageError(std::string("unknown option '") + argument + "'", "pack");
    }
  }
  if (paths.empty()) return UsageError("no archive named", "pack");
  if (paths.size() < 2) return UsageError("no files to pack", "pack");

  std::vector<ArchiveWriterMember> members;
  for (size_t i = 1; i < paths.size(); i++) {
    ArchiveWriterMember member;
    if (!ReadMember(paths[i], &member)) return ExitFailure;
    member.Compress = compress;
    member.Scramble = scramble;
    // The updater finds the first member of a name, compared as it compares
    // names; a second one of the same name could never be reached.
    for (const ArchiveWriterMember& earlier : members) {
      if (SysCompareNoCase(earlier.Name.c_str(), member.Name.c_str()) == 0) {
        ReportError(paths[i] + ": a member named '" + earlier.Name +
                    "' is already packed");
        return ExitFailure;
      }
    }
    members.push_back(std::move(member));
  }

  std::vector<uint8_t> image;
  std::string error;
  if (!WriteArchive(members, directoryFlags, &image, &error)) {
    ReportError(error);
    return ExitFailure;
  }
  return WriteFile(paths[0], image) ? ExitOk : ExitFailure;
}
