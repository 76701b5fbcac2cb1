// Building archive images (patchmaker and every test that needs an archive).
#ifndef UPDATER_ARCHIVE_ARCHIVE_WRITER_H
#define UPDATER_ARCHIVE_ARCHIVE_WRITER_H

#include <stdint.h>

#include <string>
#include <vector>

struct ArchiveWriterMember {
  std::string Name;            // file name only, at most 259 bytes
  std::vector<uint8_t> Bytes;  // the member's content
  uint64_t FileTime = 0;       // FILETIME: 100 ns since 1601-01-01 UTC
  bool Compress = true;
  bool Scramble = true;
};

// The whole image: header, padded members, directory. directoryFlags is the
// header's Flags (0 to 3). Returns false and sets *error for a member that
// cannot be stored (a name too long, sizes beyond 32 bits).
bool WriteArchive(const std::vector<ArchiveWriterMember>& members,
                  uint32_t directoryFlags, std::vector<uint8_t>* image,
                  std::string* error);

#endif
