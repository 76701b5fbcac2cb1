// Test-only tools for the stream format, written apart from the compressor
// so that tests do not check the product against itself:
//  - TestStream spells a stream out bit by bit and byte by byte, placing a
//    control word where the decoder will look for it;
//  - ReferenceDecode is the plainest decoder there is: one bit, one byte and
//    one copied byte at a time, counting the code classes it meets;
//  - RandomCodes builds random well-formed streams with their expected
//    output.
#ifndef UPDATER_TESTS_UNIT_ARCHIVE_STREAM_TEST_SUPPORT_H
#define UPDATER_TESTS_UNIT_ARCHIVE_STREAM_TEST_SUPPORT_H

#include <stdint.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

namespace stream_test {

class TestStream {
 public:
  // Control bits as text, most significant first; spaces are ignored.
  TestStream& Bits(const char* bits) {
    for (const char* p = bits; *p; p++) {
      if (*p == '0' || *p == '1') Bit(*p == '1');
    }
    return *this;
  }
  // `count` control bits of `value`, most significant first.
  TestStream& Number(uint32_t value, int count) {
    for (int i = count - 1; i >= 0; i--) Bit((value >> i) & 1);
    return *this;
  }
  TestStream& Byte(uint8_t b) {
    bytes_.push_back(b);
    dataBytes_++;
    return *this;
  }
  TestStream& Literal(uint8_t b) { return Bits("1").Byte(b); }
  TestStream& Literals(const std::vector<uint8_t>& bytes) {
    for (uint8_t b : bytes) Literal(b);
    return *this;
  }
  // distance 1..2303
  TestStream& Short(uint32_t distance) {
    uint32_t v = distance - 1;
    if (v < 256) return Bits("010").Byte((uint8_t)v);
    return Bits("011").Byte((uint8_t)((v - 256) / 8)).Number((v - 256) % 8, 3);
  }
  TestStream& End() { return Bits("011").Byte(255).Bits("111"); }
  // distance 1..8192, length 3..282
  TestStream& Long(uint32_t length, uint32_t distance) {
    Bits("00");
    uint32_t d = distance - 1;
    if (d < 512) {
      Bits("1").Byte((uint8_t)(d / 2)).Number(d % 2, 1);
    } else if (d < 1024) {
      Bits("01").Byte((uint8_t)((d - 512) / 2)).Number(d % 2, 1);
    } else if (d < 2048) {
      Bits("001").Byte((uint8_t)((d - 1024) / 4)).Number(d % 4, 2);
    } else if (d < 4096) {
      Bits("0001").Byte((uint8_t)((d - 2048) / 8)).Number(d % 8, 3);
    } else {
      Bits("0000").Byte((uint8_t)((d - 4096) / 16)).Number(d % 16, 4);
    }
    if (length == 3) return Bits("1");
    if (length == 4) return Bits("01");
    if (length <= 6) return Bits("001").Number(length - 5, 1);
    if (length <= 10) return Bits("0001").Number(length - 7, 2);
    if (length <= 26) return Bits("00001").Number(length - 11, 4);
    return Bits("00000").Byte((uint8_t)(length - 27));
  }

  const std::vector<uint8_t>& Bytes() const { return bytes_; }
  // Control bits and data bytes written so far.
  size_t ControlBits() const { return controlBits_; }
  size_t DataBytes() const { return dataBytes_; }

 private:
  void Bit(bool one) {
    if (used_ == 32) {
      wordAt_ = bytes_.size();
      bytes_.resize(wordAt_ + 4, 0);
      used_ = 0;
    }
    controlBits_++;
    if (one) {
      // Bit 31 is the first used; the word is stored little-endian.
      int bit = 31 - used_;
      bytes_[wordAt_ + bit / 8] |= (uint8_t)(1u << (bit % 8));
    }
    used_++;
  }

  std::vector<uint8_t> bytes_;
  size_t wordAt_ = 0;
  int used_ = 32;
  size_t controlBits_ = 0;
  size_t dataBytes_ = 0;
};

// How often each kind of code appeared.
struct CodeCounts {
  uint64_t Literals = 0;
  uint64_t ShortNear = 0;     // 0 1 0: distance 1..256
  uint64_t ShortFar = 0;      // 0 1 1: distance 257..2303
  uint64_t Distance[5] = {};  // long-match distance classes, nearest first
  uint64_t Length[6] = {};    // long-match length classes, shortest first
  uint64_t Ends = 0;
};

// Decodes one bit, byte and copied byte at a time. Same acceptance as
// Decompress: 1 only for an end code with the output exactly full; 0 when
// the stream runs out, the output would overflow, or a match reaches before
// the output's start. `out` receives what was produced either way.
inline int ReferenceDecode(const uint8_t* stream, size_t streamLength,
                           size_t outputSize, std::vector<uint8_t>* out,
                           CodeCounts* counts = nullptr) {
  CodeCounts scratch;
  CodeCounts& c = counts ? *counts : scratch;
  out->clear();
  size_t in = 0;
  uint32_t word = 0;
  int left = 0;
  bool failed = false;
  auto bit = [&]() -> uint32_t {
    if (failed) return 0;
    if (left == 0) {
      if (streamLength - in < 4) {
        failed = true;
        return 0;
      }
      word = (uint32_t)stream[in] | (uint32_t)stream[in + 1] << 8 |
             (uint32_t)stream[in + 2] << 16 | (uint32_t)stream[in + 3] << 24;
      in += 4;
      left = 32;
    }
    left--;
    return (word >> left) & 1;
  };
  auto bits = [&](int n) -> uint32_t {
    uint32_t v = 0;
    for (int i = 0; i < n; i++) v = v * 2 + bit();
    return v;
  };
  auto byte = [&]() -> uint32_t {
    if (failed) return 0;
    if (in == streamLength) {
      failed = true;
      return 0;
    }
    return stream[in++];
  };
  auto copy = [&](uint32_t distance, uint32_t length) {
    if (distance > out->size() || out->size() + length > outputSize) {
      failed = true;
      return;
    }
    for (uint32_t i = 0; i < length; i++) {
      out->push_back((*out)[out->size() - distance]);
    }
  };

  for (;;) {
    if (bit()) {
      uint32_t b = byte();
      if (failed) return 0;
      if (out->size() == outputSize) return 0;
      out->push_back((uint8_t)b);
      c.Literals++;
      continue;
    }
    if (bit()) {
      uint32_t s = bit();
      uint32_t b = byte();
      if (s == 0) {
        if (failed) return 0;
        c.ShortNear++;
        copy(b + 1, 2);
      } else {
        uint32_t v = 256 + 8 * b + bits(3);
        if (failed) return 0;
        if (v == 2303) {
          c.Ends++;
          return out->size() == outputSize;
        }
        c.ShortFar++;
        copy(v + 1, 2);
      }
      if (failed) return 0;
      continue;
    }
    uint32_t d;
    int distanceClass;
    if (bit()) {
      distanceClass = 0;
      d = 2 * byte();
      d += bits(1);
    } else if (bit()) {
      distanceClass = 1;
      d = 512 + 2 * byte();
      d += bits(1);
    } else if (bit()) {
      distanceClass = 2;
      d = 1024 + 4 * byte();
      d += bits(2);
    } else if (bit()) {
      distanceClass = 3;
      d = 2048 + 8 * byte();
      d += bits(3);
    } else {
      distanceClass = 4;
      d = 4096 + 16 * byte();
      d += bits(4);
    }
    uint32_t length;
    int lengthClass;
    if (bit()) {
      lengthClass = 0;
      length = 3;
    } else if (bit()) {
      lengthClass = 1;
      length = 4;
    } else if (bit()) {
      lengthClass = 2;
      length = 5 + bits(1);
    } else if (bit()) {
      lengthClass = 3;
      length = 7 + bits(2);
    } else if (bit()) {
      lengthClass = 4;
      length = 11 + bits(4);
    } else {
      lengthClass = 5;
      length = 27 + byte();
    }
    if (failed) return 0;
    c.Distance[distanceClass]++;
    c.Length[lengthClass]++;
    copy(d + 1, length);
    if (failed) return 0;
  }
}

// A random well-formed stream and the output it stands for. The mix leans
// towards the cases the decoder treats specially: overlapping matches at
// distances 1 to 3, every distance and length class, and codes that cross
// control words.
struct RandomStream {
  std::vector<uint8_t> Stream;
  std::vector<uint8_t> Output;
};

inline RandomStream RandomCodes(std::mt19937* rng, size_t targetSize) {
  RandomStream r;
  TestStream s;
  auto pick = [&](uint32_t lo, uint32_t hi) {
    return std::uniform_int_distribution<uint32_t>(lo, hi)(*rng);
  };
  auto match = [&](uint32_t length, uint32_t distance) {
    for (uint32_t i = 0; i < length; i++) {
      r.Output.push_back(r.Output[r.Output.size() - distance]);
    }
  };
  while (r.Output.size() < targetSize) {
    const uint32_t have = (uint32_t)r.Output.size();
    const uint32_t room = (uint32_t)(targetSize - have);
    uint32_t kind = pick(0, 9);
    if (have == 0 || kind <= 2) {
      // A run of literals, drawn from a small alphabet now and then so that
      // matches copy something recognisable.
      uint32_t n = pick(1, room < 40 ? room : 40);
      bool small = pick(0, 1) == 0;
      for (uint32_t i = 0; i < n; i++) {
        uint8_t b = (uint8_t)(small ? 'a' + pick(0, 3) : pick(0, 255));
        s.Literal(b);
        r.Output.push_back(b);
      }
    } else if (kind <= 4 && room >= 2) {
      uint32_t limit = have < 2303 ? have : 2303;
      uint32_t distance =
          pick(0, 2) == 0 ? pick(1, limit < 3 ? limit : 3) : pick(1, limit);
      s.Short(distance);
      match(2, distance);
    } else if (room >= 3) {
      uint32_t limit = have < 8192 ? have : 8192;
      uint32_t distance;
      switch (pick(0, 3)) {
        case 0:
          distance = pick(1, limit < 3 ? limit : 3);
          break;
        case 1:
          distance = pick(1, limit < 16 ? limit : 16);
          break;
        default:
          distance = pick(1, limit);
          break;
      }
      uint32_t maxLength = room < 282 ? room : 282;
      uint32_t length;
      switch (pick(0, 3)) {
        case 0:
          length = pick(3, maxLength < 10 ? maxLength : 10);
          break;
        case 1:
          length = pick(3, maxLength < 26 ? maxLength : 26);
          break;
        default:
          length = pick(3, maxLength);
          break;
      }
      s.Long(length, distance);
      match(length, distance);
    }
  }
  s.End();
  r.Stream = s.Bytes();
  return r;
}

// A copy of the bytes in a heap block of exactly their size, so that the
// address sanitizer reports any read past the end.
inline std::unique_ptr<uint8_t[]> ExactCopy(const std::vector<uint8_t>& v) {
  std::unique_ptr<uint8_t[]> p(new uint8_t[v.size()]);
  for (size_t i = 0; i < v.size(); i++) p[i] = v[i];
  return p;
}

}  // namespace stream_test

#endif
