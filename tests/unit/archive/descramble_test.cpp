// Descramble: a value worked out by hand, the key's dependence on the whole
// length, the rotation chosen by the length's set bits, the trailing bytes
// left alone, and the transform being its own inverse.

#include "archive/descramble.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

namespace {

typedef std::vector<uint8_t> Bytes;

uint32_t WordAt(const uint8_t* p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
         (uint32_t)p[3] << 24;
}

uint32_t Rotl(uint32_t v, int bits) {
  return bits % 32 ? (v << bits % 32) | (v >> (32 - bits % 32)) : v;
}

// Scrambling zero bytes leaves the key sequence itself in the block.
std::vector<uint32_t> KeysFor(uint32_t length) {
  Bytes zero(length, 0);
  Descramble(zero.data(), length);
  std::vector<uint32_t> keys;
  for (uint32_t i = 0; i + 4 <= length; i += 4)
    keys.push_back(WordAt(&zero[i]));
  return keys;
}

TEST(Descramble, KnownAnswerForNineZeroBytes) {
  // Length 9 = binary 1001: two set bits, so the rotation is entry 2 of
  // 3 5 7 11 13 17 19 23, 7 bits.
  // First key: 0x3A9C7E21 ^ 9 = 0x3A9C7E28, rotated right by 9 mod 32 = 9:
  //   0x3A9C7E28 >> 9 = 0x001D4E3F; its low 9 bits 0x028 move to the top,
  //   0x028 << 23 = 0x14000000; key 0x141D4E3F.
  // Second key: 0x141D4E3F rotated left by 7: 0x0EA71F80 | (0x141D4E3F >> 25
  //   = 0x0A) = 0x0EA71F8A.
  // Each key is xored into a little-endian word; the ninth byte stays.
  Bytes block(9, 0);
  Descramble(block.data(), 9);
  EXPECT_EQ(block,
            (Bytes{0x3F, 0x4E, 0x1D, 0x14, 0x8A, 0x1F, 0xA7, 0x0E, 0x00}));
}

TEST(Descramble, LengthsBelowFourLeaveTheBlockAlone) {
  for (uint32_t length = 0; length < 4; length++) {
    Bytes block = {0x11, 0x22, 0x33, 0x44, 0x55};
    Descramble(block.data(), length);
    EXPECT_EQ(block, (Bytes{0x11, 0x22, 0x33, 0x44, 0x55})) << length;
  }
}

TEST(Descramble, TrailingBytesAreLeftButCountInTheKey) {
  Bytes block = {1, 2, 3, 4, 5, 6, 7, 0xAA};
  Descramble(block.data(), 7);
  EXPECT_NE(Bytes(block.begin(), block.begin() + 4), (Bytes{1, 2, 3, 4}));
  EXPECT_EQ(Bytes(block.begin() + 4, block.end()), (Bytes{5, 6, 7, 0xAA}));
  // Length 7's key differs from length 4's, although both cover one word.
  EXPECT_NE(KeysFor(7)[0], KeysFor(4)[0]);
}

TEST(Descramble, KeyDependsOnTheWholeLength) {
  std::mt19937 rng(1);
  Bytes original(9);
  for (auto& b : original) b = (uint8_t)rng();
  Bytes block = original;
  Descramble(block.data(), 9);
  Bytes wrong = block;
  Descramble(wrong.data(), 8);
  EXPECT_NE(Bytes(wrong.begin(), wrong.begin() + 8),
            Bytes(original.begin(), original.begin() + 8));
  Descramble(block.data(), 9);
  EXPECT_EQ(block, original);
}

// The first key is the seed xor the length rotated right by length mod 32,
// and each further key is the one before rotated left by the amount the
// length's set-bit count chooses.
TEST(Descramble, KeySequenceFollowsTheLength) {
  struct Case {
    uint32_t Length;
    int Rotation;
  };
  const Case cases[] = {
      {255, 3},     // 8 set bits: index 0
      {0xFFFF, 3},  // 16 set bits: index 0
      {127, 23},    // 7 set bits: index 7
      {8, 5},       // 1 set bit
      {12, 7},      // 2 set bits
      {11, 11},     // 3 set bits
      {15, 13},     // 4 set bits
      {31, 17},     // 5 set bits
      {1000, 19},   // 0b1111101000: 6 set bits
      {64, 5},      // a multiple of 32: no first rotation
      {96, 7},
  };
  for (const Case& c : cases) {
    std::vector<uint32_t> keys = KeysFor(c.Length);
    uint32_t first = c.Length % 32 == 0
                         ? (ScrambleSeed ^ c.Length)
                         : Rotl(ScrambleSeed ^ c.Length, 32 - c.Length % 32);
    ASSERT_GE(keys.size(), 2u);
    EXPECT_EQ(keys[0], first) << c.Length;
    for (size_t i = 1; i < keys.size(); i++) {
      ASSERT_EQ(keys[i], Rotl(keys[i - 1], c.Rotation))
          << "length " << c.Length << " word " << i;
    }
  }
}

TEST(Descramble, TwentyFourSetBitsRotateByThree) {
  // 0xFFFFFF has 24 set bits (index 0, 3 bits) and 0xFFFFFF mod 32 = 31.
  const uint32_t length = 0xFFFFFF;
  std::vector<uint32_t> keys = KeysFor(length);
  EXPECT_EQ(keys[0], Rotl(ScrambleSeed ^ length, 1));
  EXPECT_EQ(keys[1], Rotl(keys[0], 3));
  EXPECT_EQ(keys.back(), Rotl(keys[0], (int)((keys.size() - 1) * 3 % 32)));
}

TEST(Descramble, MultipleOf32StartsFromSeedXorLength) {
  for (uint32_t length : {32u, 64u, 128u, 4096u}) {
    EXPECT_EQ(KeysFor(length)[0], ScrambleSeed ^ length) << length;
  }
}

TEST(Descramble, TwiceRestoresAnyBlockAtAnyAlignment) {
  std::mt19937 rng(2);
  for (uint32_t length = 0; length < 300; length++) {
    for (size_t offset = 0; offset < 4; offset++) {
      Bytes original(length + 8);
      for (auto& b : original) b = (uint8_t)rng();
      Bytes block = original;
      Descramble(block.data() + offset, length);
      if (length >= 4) {
        ASSERT_NE(block, original) << length;
      }
      // Nothing outside the block changed.
      ASSERT_TRUE(
          std::equal(block.begin(), block.begin() + offset, original.begin()));
      ASSERT_TRUE(std::equal(block.begin() + offset + length, block.end(),
                             original.begin() + offset + length));
      Descramble(block.data() + offset, length);
      ASSERT_EQ(block, original) << "length " << length << " offset " << offset;
    }
  }
}

}  // namespace
