// The parts the compressor is built from (authoring side only): the code
// costs of the stream format, the writer that lays control bits and data
// bytes out in the order the decoder takes them, and the match finder that
// lists the matches available at a position. A parser chooses codes from the
// finder's candidates by their costs and hands them to the writer; the three
// know nothing of each other.
#ifndef UPDATER_ARCHIVE_STREAM_ENCODER_H
#define UPDATER_ARCHIVE_STREAM_ENCODER_H

#include <stddef.h>
#include <stdint.h>

#include <vector>

// Limits of the codes.
const uint32_t ShortMatchLength = 2;
const uint32_t ShortNearDistance = 256;  // 0 1 0 B
const uint32_t ShortFarDistance = 2303;  // 0 1 1 B XXX
const uint32_t LongMatchMinLength = 3;
const uint32_t LongMatchMaxLength = 282;
const uint32_t LongMatchMaxDistance = 8192;

// Costs in bits, a data byte counting 8. Four data bytes of control word
// carry 32 control bits, so the stream's size is the sum of the costs of its
// codes divided by 8, rounded up to the last control word.
const uint32_t LiteralCost = 9;
const uint32_t EndCodeCost = 14;
const uint32_t ImpossibleCost = 0xFFFFFFFFu;
// The cost of a match of this length and distance: a short match for length
// 2, a long match for 3 to 282; ImpossibleCost where no code can express it.
uint32_t MatchCost(uint32_t length, uint32_t distance);
// The parts of a long match's cost, for parsers that price them apart.
uint32_t LongDistanceCost(uint32_t distance);  // 10 to 16 bits
uint32_t LongLengthCost(uint32_t length);      // 1 to 13 bits

// Builds a stream. Each code's control bits and data bytes are appended in
// the decoder's order; a control word is reserved at the point where the
// decoder reads it, which is when its first bit is written: data bytes
// written before that lie before the word.
class StreamWriter {
 public:
  explicit StreamWriter(std::vector<uint8_t>* out);
  void Literal(uint8_t byte);
  // distance 1 to 2303
  void ShortMatch(uint32_t distance);
  // length 3 to 282, distance 1 to 8192
  void LongMatch(uint32_t length, uint32_t distance);
  // Length 2 as a short match, 3 to 282 as a long match.
  void Match(uint32_t length, uint32_t distance);
  // The end code; completes the last control word. Nothing may follow.
  void End();

 private:
  void Bit(uint32_t bit);
  void Bits(uint32_t value, uint32_t count);
  void Byte(uint32_t byte);
  void StoreWord();

  std::vector<uint8_t>* out_;
  size_t wordAt_ = 0;   // offset of the current control word in *out_
  uint32_t word_ = 0;   // its bits so far, from bit 31 down
  uint32_t used_ = 32;  // bits of it used; 32 also before the first word
  bool haveWord_ = false;
};

// One match available at a position. A finder lists them with strictly
// increasing lengths and increasing distances. An entry of length 2 is the
// nearest short match (2303 back at most). An entry of 3 or more stands for
// every length from just above the previous entry's length (but at least 3)
// up to its own, each available at its distance and no nearer (8192 back at
// most). Since costs never fall as the distance grows, that is the cheapest
// distance for each of those lengths.
struct MatchCandidate {
  uint32_t Length;
  uint32_t Distance;
};

// Hash chains over the last 8192 bytes for long matches (3 bytes and more)
// and the last place of every byte pair for short matches (2303 bytes back).
// Positions are entered in increasing order, each exactly once, through
// Find (which also lists the candidates) or Skip.
class MatchFinder {
 public:
  // maxChain bounds the chain entries tried per position.
  MatchFinder(const uint8_t* data, size_t size, uint32_t maxChain);
  // Lengths are capped at 282, the longest code, and at the input's end.
  void Find(size_t position, std::vector<MatchCandidate>* candidates);
  void Skip(size_t position);

 private:
  void Enter(size_t position);
  uint32_t CommonLength(size_t older, size_t position, uint32_t limit) const;

  // Positions are kept plus one, so that 0 marks an empty slot; inputs are
  // below 4 GiB, as every archive member is.
  const uint8_t* data_;
  size_t size_;
  uint32_t maxChain_;
  uint32_t hashBits_;
  std::vector<uint32_t> head_;      // newest position per 3-byte hash
  std::vector<uint32_t> previous_;  // next older position of the same hash
  std::vector<uint32_t> lastPair_;  // newest position of each byte pair
};

#endif
