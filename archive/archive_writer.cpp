// Building archive images: the header, every member's stored bytes padded
// to a multiple of 16, and the directory, stored as the header's Flags say.
// Every integer is written byte by byte in little-endian order, so the
// image is the same on any machine that builds it.
#include "archive/archive_writer.h"

#include <string.h>

#include "archive/archive_format.h"
#include "archive/compress.h"
#include "archive/descramble.h"
#include "platform/platform.h"

namespace {

const uint8_t kMagic[4] = {'J', 'Q', '2', 0};

void PutUint32(uint8_t* at, uint32_t value) {
  at[0] = (uint8_t)value;
  at[1] = (uint8_t)(value >> 8);
  at[2] = (uint8_t)(value >> 16);
  at[3] = (uint8_t)(value >> 24);
}

// Names are file names in the system code page. The second byte of a
// double-byte character may have the value of a backslash, so the name is
// walked by characters and a backslash only counts where it is a character
// of its own; a slash is never such a second byte and is refused anywhere.
bool NameAcceptable(const std::string& name, std::string* error) {
  if (name.empty()) {
    *error = "a member name is empty";
    return false;
  }
  if (name.size() >= ARCHIVE_NAME_SIZE) {
    *error = "member name too long (259 bytes at most): " + name;
    return false;
  }
  if (name.find('\0') != std::string::npos) {
    *error = "member name contains a zero byte";
    return false;
  }
  bool separator = name.find('/') != std::string::npos;
  for (size_t i = 0; i < name.size() && !separator; i++) {
    unsigned char c = (unsigned char)name[i];
    if (SysIsLeadByte(c) && i + 1 < name.size()) {
      i++;  // the trailing byte is part of the character
      continue;
    }
    separator = c == '\\';
  }
  if (separator) {
    *error = "member name contains a folder separator: " + name;
    return false;
  }
  return true;
}

void AppendPadding(std::vector<uint8_t>* image) {
  while (image->size() % 16 != 0) image->push_back(0);
}

void PutRecord(uint8_t* record, const ArchiveWriterMember& member,
               uint32_t storedSize) {
  memset(record, 0, ARCHIVE_ENTRY_SIZE);
  memcpy(record, member.Name.data(), member.Name.size());
  record[260] = member.Compress ? ARCHIVE_ENTRY_COMPRESSED : ARCHIVE_ENTRY_STORED;
  record[262] = member.Scramble ? 1 : 0;
  PutUint32(record + 264, (uint32_t)member.FileTime);
  PutUint32(record + 268, (uint32_t)(member.FileTime >> 32));
  PutUint32(record + 272, (uint32_t)member.Bytes.size());
  PutUint32(record + 276, storedSize);
}

}  // namespace

bool WriteArchive(const std::vector<ArchiveWriterMember>& members,
                  uint32_t directoryFlags, std::vector<uint8_t>* image,
                  std::string* error) {
  image->clear();
  if (directoryFlags > (ARCHIVE_DIRECTORY_COMPRESSED |
                        ARCHIVE_DIRECTORY_SCRAMBLED)) {
    *error = "directory flags must be 0 to 3";
    return false;
  }
  uint64_t directoryLength = (uint64_t)members.size() * ARCHIVE_ENTRY_SIZE;
  if (ARCHIVE_HEADER_SIZE + directoryLength > 0xFFFFFFFFu) {
    *error = "too many members";
    return false;
  }

  std::vector<uint8_t> out(ARCHIVE_HEADER_SIZE, 0);
  std::vector<uint8_t> directory((size_t)directoryLength, 0);
  for (size_t i = 0; i < members.size(); i++) {
    const ArchiveWriterMember& member = members[i];
    if (!NameAcceptable(member.Name, error)) return false;
    if (member.Bytes.size() > 0xFFFFFFFFu) {
      *error = "member larger than 4 GiB: " + member.Name;
      return false;
    }
    // Compressed first, then scrambled: the scrambling covers exactly the
    // StoredSize bytes that a reader descrambles before it decompresses.
    std::vector<uint8_t> stored =
        member.Compress ? Compress(member.Bytes.data(), member.Bytes.size())
                        : member.Bytes;
    if (stored.size() > 0xFFFFFFFFu) {
      *error = "stored member larger than 4 GiB: " + member.Name;
      return false;
    }
    uint32_t storedSize = (uint32_t)stored.size();
    if (member.Scramble) Descramble(stored.data(), storedSize);
    out.insert(out.end(), stored.begin(), stored.end());
    AppendPadding(&out);
    if (out.size() > 0xFFFFFFFFu) {
      *error = "archive larger than 4 GiB";
      return false;
    }
    PutRecord(directory.data() + i * ARCHIVE_ENTRY_SIZE, member, storedSize);
  }

  uint32_t directoryOffset = (uint32_t)out.size();
  if (directoryFlags & ARCHIVE_DIRECTORY_COMPRESSED) {
    // One stream of the whole record area. Its scrambling is keyed by the
    // length from DirectoryOffset to the end of the image, which the stream
    // fills, since nothing follows the directory.
    directory = Compress(directory.data(), directory.size());
  }
  if (out.size() + directory.size() > 0xFFFFFFFFu) {
    *error = "archive larger than 4 GiB";
    return false;
  }
  if (directoryFlags & ARCHIVE_DIRECTORY_SCRAMBLED) {
    Descramble(directory.data(), (uint32_t)directory.size());
  }
  out.insert(out.end(), directory.begin(), directory.end());

  memcpy(out.data(), kMagic, sizeof kMagic);
  PutUint32(out.data() + 4, directoryFlags);
  PutUint32(out.data() + 8, directoryOffset);
  PutUint32(out.data() + 12, (uint32_t)members.size());
  image->swap(out);
  return true;
}
