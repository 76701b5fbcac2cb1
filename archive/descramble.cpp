// The scrambling transform. Each whole little-endian 32-bit word of the
// block is combined by exclusive or with a key; the key starts from the
// block's length and the fixed seed and is rotated after every word. The key
// sequence never depends on the data, so the same call scrambles and
// descrambles. The L mod 4 trailing bytes are left as they are, although
// they count in the length that forms the key.

#include "archive/descramble.h"

#include <string.h>

namespace {

// Rotation of the key after each word, chosen by the number of set bits in
// the length modulo 8.
const uint32_t ScrambleRotations[8] = {3, 5, 7, 11, 13, 17, 19, 23};

inline uint32_t RotateLeft(uint32_t v, uint32_t bits) {
  bits &= 31;
  return bits ? (v << bits) | (v >> (32 - bits)) : v;
}

inline uint32_t RotateRight(uint32_t v, uint32_t bits) {
  bits &= 31;
  return bits ? (v >> bits) | (v << (32 - bits)) : v;
}

inline uint32_t SetBitCount(uint32_t v) {
  uint32_t count = 0;
  while (v) {
    v &= v - 1;
    count++;
  }
  return count;
}

// The key is applied to the word as stored (little-endian); on a big-endian
// host the key's bytes are turned round instead of every word.
inline uint32_t AsStoredOrder(uint32_t key) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  return __builtin_bswap32(key);
#else
  return key;
#endif
}

}  // namespace

void Descramble(uint8_t* block, uint32_t length) {
  const uint32_t words = length / 4;
  if (words == 0) return;
  const uint32_t rotation = ScrambleRotations[SetBitCount(length) % 8];
  uint32_t key = RotateRight(ScrambleSeed ^ length, length % 32);
  // The block need not be aligned, so every word goes through memcpy.
  for (uint32_t i = 0; i < words; i++) {
    uint32_t word;
    memcpy(&word, block + 4 * i, 4);
    word ^= AsStoredOrder(key);
    memcpy(block + 4 * i, &word, 4);
    key = RotateLeft(key, rotation);
  }
}
