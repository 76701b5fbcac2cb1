// Building archive bytes by hand, without the archive writer: directory
// records, images and compressed streams made only of literals. Tests of
// the reader use these so that a fault shared by the writer and the reader
// cannot hide itself.
#ifndef UPDATER_TESTS_UNIT_ARCHIVE_ARCHIVE_BYTES_H
#define UPDATER_TESTS_UNIT_ARCHIVE_ARCHIVE_BYTES_H

#include <stdint.h>
#include <string.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/container.h"
#include "platform/host/host_control.h"

namespace archive_bytes {

typedef std::vector<uint8_t> Bytes;

inline Bytes BytesOf(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

inline void PutLE32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; i++) at[i] = (uint8_t)(value >> (8 * i));
}

inline uint32_t GetLE32(const uint8_t* at) {
  return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 |
         (uint32_t)at[3] << 24;
}

struct RecordFields {
  std::string Name;  // copied into the 260-byte field, cut at 260 bytes
  uint8_t Flags = 1;
  uint8_t Scrambled = 0;
  uint64_t FileTime = 0;
  uint32_t UnpackedSize = 0;
  uint32_t StoredSize = 0;
};

// One 280-byte directory record, laid out field by field.
inline Bytes Record(const RecordFields& fields) {
  Bytes record(280, 0);
  memcpy(record.data(), fields.Name.data(),
         fields.Name.size() < 260 ? fields.Name.size() : 260);
  record[260] = fields.Flags;
  record[262] = fields.Scrambled;
  PutLE32(&record[264], (uint32_t)fields.FileTime);
  PutLE32(&record[268], (uint32_t)(fields.FileTime >> 32));
  PutLE32(&record[272], fields.UnpackedSize);
  PutLE32(&record[276], fields.StoredSize);
  return record;
}

inline Bytes Header(uint32_t flags, uint32_t directoryOffset,
                    uint32_t entryCount, const char magic[4] = "JQ2") {
  Bytes header(16, 0);
  memcpy(header.data(), magic, 4);
  PutLE32(&header[4], flags);
  PutLE32(&header[8], directoryOffset);
  PutLE32(&header[12], entryCount);
  return header;
}

inline void Append(Bytes* to, const Bytes& bytes) {
  to->insert(to->end(), bytes.begin(), bytes.end());
}

inline void PadTo16(Bytes* image) {
  while (image->size() % 16 != 0) image->push_back(0);
}

// A compressed stream written control bit by control bit: each control
// word is reserved in the output when its first bit is needed, and data
// bytes follow in the order the codes take them.
class StreamBuilder {
 public:
  void Bit(int bit) {
    if (left_ == 0) {
      word_ = out_.size();
      out_.insert(out_.end(), 4, 0);
      left_ = 32;
      value_ = 0;
    }
    left_--;
    if (bit) value_ |= 1u << left_;
    PutLE32(&out_[word_], value_);
  }
  void Byte(uint8_t byte) { out_.push_back(byte); }
  void Literal(uint8_t byte) {
    Bit(1);
    Byte(byte);
  }
  void End() {
    Bit(0);
    Bit(1);
    Bit(1);
    Byte(255);
    Bit(1);
    Bit(1);
    Bit(1);
  }
  const Bytes& Out() const { return out_; }

 private:
  Bytes out_;
  size_t word_ = 0;
  int left_ = 0;
  uint32_t value_ = 0;
};

// The bytes as a stream of literals followed by the end code.
inline Bytes LiteralStream(const Bytes& data) {
  StreamBuilder stream;
  for (uint8_t byte : data) stream.Literal(byte);
  stream.End();
  return stream.Out();
}

// One literal followed by `matches` long matches of 282 bytes at distance 1
// (the code of highest expansion): 1 + 282 * matches bytes of `byte`.
inline Bytes RepeatStream(uint8_t byte, uint32_t matches) {
  StreamBuilder stream;
  stream.Literal(byte);
  for (uint32_t i = 0; i < matches; i++) {
    stream.Bit(0);  // long match
    stream.Bit(0);
    stream.Bit(1);  // distance code 1: D = 2 * B + X = 0
    stream.Byte(0);
    stream.Bit(0);
    for (int k = 0; k < 5; k++) stream.Bit(0);  // length 27 + B = 282
    stream.Byte(255);
  }
  stream.End();
  return stream.Out();
}

}  // namespace archive_bytes

// Each test starts with the archive closed and a fresh host, and ends with
// the archive closed and every block the reader made given back.
template <typename Base>
class ArchiveScene : public Base {
 protected:
  void SetUp() override {
    CloseArchive();
    HostReset();
  }
  void TearDown() override {
    CloseArchive();
    EXPECT_EQ(HostLiveAllocations(), 0) << "a block was not released";
  }
};

#endif
