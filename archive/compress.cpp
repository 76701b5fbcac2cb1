// The compressor for the archive's stream format: a match finder over hash
// chains, a parse with one step of lazy evaluation that chooses codes by
// their bit costs, and a writer that lays the chosen codes out.

#include "archive/compress.h"

#include <stdlib.h>
#include <string.h>

#include "archive/stream_encoder.h"

// ---- Code costs ----------------------------------------------------------

uint32_t LongDistanceCost(uint32_t distance) {
  // Class bits + data byte + extra bits.
  if (distance <= 512) return 1 + 8 + 1;
  if (distance <= 1024) return 2 + 8 + 1;
  if (distance <= 2048) return 3 + 8 + 2;
  if (distance <= 4096) return 4 + 8 + 3;
  return 4 + 8 + 4;
}

uint32_t LongLengthCost(uint32_t length) {
  if (length == 3) return 1;
  if (length == 4) return 2;
  if (length <= 6) return 3 + 1;
  if (length <= 10) return 4 + 2;
  if (length <= 26) return 5 + 4;
  return 5 + 8;
}

uint32_t MatchCost(uint32_t length, uint32_t distance) {
  if (distance == 0) return ImpossibleCost;
  if (length == ShortMatchLength) {
    if (distance <= ShortNearDistance) return 3 + 8;
    if (distance <= ShortFarDistance) return 3 + 8 + 3;
    return ImpossibleCost;
  }
  if (length < LongMatchMinLength || length > LongMatchMaxLength ||
      distance > LongMatchMaxDistance) {
    return ImpossibleCost;
  }
  return 2 + LongDistanceCost(distance) + LongLengthCost(length);
}

// ---- Stream writer -------------------------------------------------------

StreamWriter::StreamWriter(std::vector<uint8_t>* out) : out_(out) {}

void StreamWriter::StoreWord() {
  if (!haveWord_) return;
  uint8_t* p = out_->data() + wordAt_;
  p[0] = (uint8_t)word_;
  p[1] = (uint8_t)(word_ >> 8);
  p[2] = (uint8_t)(word_ >> 16);
  p[3] = (uint8_t)(word_ >> 24);
}

void StreamWriter::Bit(uint32_t bit) {
  if (used_ == 32) {
    // The decoder needs a new word for this bit: it lies here, after every
    // data byte written so far.
    StoreWord();
    wordAt_ = out_->size();
    out_->resize(wordAt_ + 4);
    word_ = 0;
    used_ = 0;
    haveWord_ = true;
  }
  word_ |= (bit & 1) << (31 - used_);
  used_++;
}

void StreamWriter::Bits(uint32_t value, uint32_t count) {
  while (count > 0) {
    count--;
    Bit(value >> count);
  }
}

void StreamWriter::Byte(uint32_t byte) { out_->push_back((uint8_t)byte); }

void StreamWriter::Literal(uint8_t byte) {
  Bit(1);
  Byte(byte);
}

void StreamWriter::ShortMatch(uint32_t distance) {
  if (distance == 0 || distance > ShortFarDistance) abort();
  uint32_t v = distance - 1;
  if (v < 256) {
    Bits(2, 3);  // 0 1 0
    Byte(v);
  } else {
    Bits(3, 3);  // 0 1 1
    Byte((v - 256) >> 3);
    Bits((v - 256) & 7, 3);
  }
}

void StreamWriter::LongMatch(uint32_t length, uint32_t distance) {
  if (length < LongMatchMinLength || length > LongMatchMaxLength ||
      distance == 0 || distance > LongMatchMaxDistance) {
    abort();
  }
  Bits(0, 2);
  uint32_t d = distance - 1;
  if (d < 512) {
    Bit(1);
    Byte(d >> 1);
    Bits(d & 1, 1);
  } else if (d < 1024) {
    Bits(1, 2);  // 0 1
    Byte((d - 512) >> 1);
    Bits(d & 1, 1);
  } else if (d < 2048) {
    Bits(1, 3);  // 0 0 1
    Byte((d - 1024) >> 2);
    Bits(d & 3, 2);
  } else if (d < 4096) {
    Bits(1, 4);  // 0 0 0 1
    Byte((d - 2048) >> 3);
    Bits(d & 7, 3);
  } else {
    Bits(0, 4);  // 0 0 0 0
    Byte((d - 4096) >> 4);
    Bits(d & 15, 4);
  }

  if (length == 3) {
    Bit(1);
  } else if (length == 4) {
    Bits(1, 2);
  } else if (length <= 6) {
    Bits(1, 3);
    Bits(length - 5, 1);
  } else if (length <= 10) {
    Bits(1, 4);
    Bits(length - 7, 2);
  } else if (length <= 26) {
    Bits(1, 5);
    Bits(length - 11, 4);
  } else {
    Bits(0, 5);
    Byte(length - 27);
  }
}

void StreamWriter::Match(uint32_t length, uint32_t distance) {
  if (length == ShortMatchLength) {
    ShortMatch(distance);
  } else {
    LongMatch(length, distance);
  }
}

void StreamWriter::End() {
  Bits(3, 3);  // 0 1 1
  Byte(255);
  Bits(7, 3);  // V = 2303
  StoreWord();
}

// ---- Match finder --------------------------------------------------------

namespace {

// Chain heads: 2^16 for large inputs, fewer for small ones, which are many
// in an archive and should not pay for clearing a large table.
const uint32_t MaxHashBits = 16;
const uint32_t MinHashBits = 8;
// Twice the long-match window, so a chain entry is never overwritten while
// it can still be reached.
const size_t ChainWindow = 2 * LongMatchMaxDistance;

inline uint32_t HashThree(const uint8_t* p, uint32_t bits) {
  uint32_t v = (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16);
  return (v * 2654435761u) >> (32 - bits);
}

inline uint32_t PairKey(const uint8_t* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8);
}

uint32_t HashBitsFor(size_t size) {
  uint32_t bits = MinHashBits;
  while (bits < MaxHashBits && (size_t(1) << bits) < size) bits++;
  return bits;
}

}  // namespace

MatchFinder::MatchFinder(const uint8_t* data, size_t size, uint32_t maxChain)
    : data_(data),
      size_(size),
      maxChain_(maxChain),
      hashBits_(HashBitsFor(size)),
      head_(size_t(1) << hashBits_, 0),
      previous_(size < ChainWindow ? size : ChainWindow, 0),
      lastPair_(65536, 0) {
  if (size >= 0xFFFFFFFFu) abort();
}

uint32_t MatchFinder::CommonLength(size_t older, size_t position,
                                   uint32_t limit) const {
  const uint8_t* a = data_ + older;
  const uint8_t* b = data_ + position;
  uint32_t n = 0;
  while (n + 8 <= limit) {
    uint64_t x, y;
    memcpy(&x, a + n, 8);
    memcpy(&y, b + n, 8);
    if (x != y) {
      // The first differing byte; memory order is little-endian here, and
      // on other hosts the byte loop below finds it.
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
      return n + (uint32_t)(__builtin_ctzll(x ^ y) >> 3);
#else
      break;
#endif
    }
    n += 8;
  }
  while (n < limit && a[n] == b[n]) n++;
  return n;
}

void MatchFinder::Enter(size_t position) {
  const size_t left = size_ - position;
  const uint32_t mark = (uint32_t)position + 1;
  if (left >= 2) lastPair_[PairKey(data_ + position)] = mark;
  if (left >= 3) {
    uint32_t h = HashThree(data_ + position, hashBits_);
    previous_[position % ChainWindow] = head_[h];
    head_[h] = mark;
  }
}

void MatchFinder::Skip(size_t position) { Enter(position); }

void MatchFinder::Find(size_t position,
                       std::vector<MatchCandidate>* candidates) {
  candidates->clear();
  const size_t left = size_ - position;

  if (left >= 2) {
    // The newest earlier place of the same two bytes is the nearest one.
    uint32_t pair = lastPair_[PairKey(data_ + position)];
    if (pair != 0 && position - (pair - 1) <= ShortFarDistance) {
      candidates->push_back(
          {ShortMatchLength, (uint32_t)(position - (pair - 1))});
    }
  }

  if (left >= 3) {
    const uint32_t limit =
        left < LongMatchMaxLength ? (uint32_t)left : LongMatchMaxLength;
    uint32_t best = ShortMatchLength;
    uint32_t mark = head_[HashThree(data_ + position, hashBits_)];
    for (uint32_t tries = maxChain_; mark != 0 && tries > 0; tries--) {
      const size_t older = mark - 1;
      const size_t distance = position - older;
      if (distance > LongMatchMaxDistance) break;
      // A longer match must also differ nowhere up to the best length, and
      // its byte at that length is the one most likely to differ.
      if (data_[older + best] == data_[position + best]) {
        uint32_t length = CommonLength(older, position, limit);
        if (length > best) {
          best = length;
          candidates->push_back({length, (uint32_t)distance});
          if (length == limit) break;
        }
      }
      const uint32_t next = previous_[older % ChainWindow];
      if (next >= mark) break;  // older entries only
      mark = next;
    }
  }

  Enter(position);
}

// ---- Parse ---------------------------------------------------------------

namespace {

// The bits a candidate saves against writing its bytes as literals.
inline int64_t Savings(const MatchCandidate& c) {
  return (int64_t)c.Length * LiteralCost -
         (int64_t)MatchCost(c.Length, c.Distance);
}

// The candidate that saves the most bits, the longer one on a tie; a zero
// length when there is none.
MatchCandidate BestCandidate(const std::vector<MatchCandidate>& candidates) {
  MatchCandidate best = {0, 0};
  int64_t bestSavings = 0;
  for (const MatchCandidate& c : candidates) {
    int64_t s = Savings(c);
    if (best.Length == 0 || s >= bestSavings) {
      best = c;
      bestSavings = s;
    }
  }
  return best;
}

// Chain depth of the lazy parse: deep enough for a fair ratio on text while
// keeping a few megabytes to well under a second.
const uint32_t LazyChainLength = 256;

}  // namespace

std::vector<uint8_t> Compress(const uint8_t* data, size_t size) {
  std::vector<uint8_t> stream;
  stream.reserve(size + size / 8 + 16);
  StreamWriter writer(&stream);
  MatchFinder finder(data, size, LazyChainLength);
  std::vector<MatchCandidate> candidates;

  size_t position = 0;
  bool haveCurrent = false;
  MatchCandidate current = {0, 0};
  while (position < size) {
    if (!haveCurrent) {
      finder.Find(position, &candidates);
      current = BestCandidate(candidates);
    }
    haveCurrent = false;
    if (current.Length == 0) {
      writer.Literal(data[position]);
      position++;
      continue;
    }
    // One step of lazy evaluation: when the match starting one byte later
    // saves more, this byte goes out as a literal and that match is weighed
    // against the one after it in turn.
    if (position + 1 < size) {
      finder.Find(position + 1, &candidates);
      MatchCandidate next = BestCandidate(candidates);
      if (next.Length != 0 && Savings(next) > Savings(current)) {
        writer.Literal(data[position]);
        position++;
        current = next;
        haveCurrent = true;
        continue;
      }
      for (size_t p = position + 2; p < position + current.Length; p++) {
        finder.Skip(p);
      }
    }
    writer.Match(current.Length, current.Distance);
    position += current.Length;
  }
  writer.End();
  return stream;
}
