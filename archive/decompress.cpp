// Expanding one compressed stream of the archive's format.
//
// The stream is a sequence of 32-bit control words (little-endian, used from
// bit 31 down) interleaved with data bytes. A control word is taken from the
// stream only at the moment its first bit is needed, so the byte position of
// every control word depends on how many data bytes came before it; nothing
// can be read ahead. The decoder keeps the current word left-aligned (the
// next bit is bit 31, unused positions zero) with a count of its bits still
// unused.
//
// Two loops share that state. The fast loop runs while the stream and the
// output have bytes to spare and decodes a whole code at a time from a
// window of control bits (see "The fast path" below); the careful loop takes
// the last bytes one bit and one byte at a time, each with its own check.
//
// Codes (bits left to right, B a data byte, X further control bits):
//   1 B                  literal B
//   0 1 0 B              two bytes from distance B + 1
//   0 1 1 B XXX          V = 256 + 8B + X; V = 2303 ends the stream, any
//                        other V is two bytes from distance V + 1
//   0 0 <dist> <length>  a long match (distance 1..8192, length 3..282)
//
// Every bound is checked: the decoder reads only inside the stream, writes
// only inside the output, never copies from before the output's start, and
// accepts a stream only when its end code arrives with the output exactly
// full.

#include "archive/decompress.h"

#include <stddef.h>
#include <string.h>

namespace {

const uint32_t EndCodeValue = 2303;

inline uint32_t LoadWord(const uint8_t* p) {
  return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) |
         ((uint32_t)p[3] << 24);
}

// The careful loop's state: the read position and the control word.
struct BitReader {
  const uint8_t* In;
  const uint8_t* InEnd;
  uint32_t Word;  // unused bits, left-aligned
  uint32_t Left;  // how many bits of Word are unused
};

// Takes one control bit, reading the next control word from the stream when
// the current one is used up. 0 when the stream ends inside a control word.
inline int TakeBit(BitReader* r, uint32_t* bit) {
  if (r->Left == 0) {
    if (r->InEnd - r->In < 4) return 0;
    r->Word = LoadWord(r->In);
    r->In += 4;
    r->Left = 32;
  }
  *bit = r->Word >> 31;
  r->Word <<= 1;
  r->Left--;
  return 1;
}

// Takes count control bits as a number, most significant first.
inline int TakeBits(BitReader* r, uint32_t count, uint32_t* value) {
  uint32_t v = 0;
  for (uint32_t i = 0; i < count; i++) {
    uint32_t bit;
    if (!TakeBit(r, &bit)) return 0;
    v = (v << 1) | bit;
  }
  *value = v;
  return 1;
}

inline int TakeByte(BitReader* r, uint32_t* byte) {
  if (r->In == r->InEnd) return 0;
  *byte = *r->In++;
  return 1;
}

// What one non-literal code asks for.
enum CodeResult { CodeMatch, CodeEnd, CodeMalformed };

// Decodes the rest of a code whose first bit, a 0, has been taken, one bit
// and one byte at a time with a check for each.
CodeResult DecodeCodeCarefully(BitReader* r, uint32_t* distance,
                               uint32_t* length) {
  uint32_t bit, b, x;
  if (!TakeBit(r, &bit)) return CodeMalformed;
  if (bit) {
    uint32_t wide;
    if (!TakeBit(r, &wide) || !TakeByte(r, &b)) return CodeMalformed;
    if (!wide) {
      *distance = b + 1;
    } else {
      if (!TakeBits(r, 3, &x)) return CodeMalformed;
      uint32_t v = 256 + 8 * b + x;
      if (v == EndCodeValue) return CodeEnd;
      *distance = v + 1;
    }
    *length = 2;
    return CodeMatch;
  }

  // Distance code: up to four leading bits choose the class.
  uint32_t d;
  if (!TakeBit(r, &bit)) return CodeMalformed;
  if (bit) {
    if (!TakeByte(r, &b) || !TakeBits(r, 1, &x)) return CodeMalformed;
    d = 2 * b + x;
  } else {
    if (!TakeBit(r, &bit)) return CodeMalformed;
    if (bit) {
      if (!TakeByte(r, &b) || !TakeBits(r, 1, &x)) return CodeMalformed;
      d = 512 + 2 * b + x;
    } else {
      if (!TakeBit(r, &bit)) return CodeMalformed;
      if (bit) {
        if (!TakeByte(r, &b) || !TakeBits(r, 2, &x)) return CodeMalformed;
        d = 1024 + 4 * b + x;
      } else {
        uint32_t three;
        if (!TakeBit(r, &three) || !TakeByte(r, &b)) return CodeMalformed;
        if (three) {
          if (!TakeBits(r, 3, &x)) return CodeMalformed;
          d = 2048 + 8 * b + x;
        } else {
          if (!TakeBits(r, 4, &x)) return CodeMalformed;
          d = 4096 + 16 * b + x;
        }
      }
    }
  }
  *distance = d + 1;

  // Length code: up to five leading zeros choose the class.
  uint32_t zeros = 0;
  for (;;) {
    if (!TakeBit(r, &bit)) return CodeMalformed;
    if (bit) break;
    if (++zeros == 5) break;
  }
  switch (zeros) {
    case 0:
      *length = 3;
      break;
    case 1:
      *length = 4;
      break;
    case 2:
      if (!TakeBits(r, 1, &x)) return CodeMalformed;
      *length = 5 + x;
      break;
    case 3:
      if (!TakeBits(r, 2, &x)) return CodeMalformed;
      *length = 7 + x;
      break;
    case 4:
      if (!TakeBits(r, 4, &x)) return CodeMalformed;
      *length = 11 + x;
      break;
    default:
      if (!TakeByte(r, &b)) return CodeMalformed;
      *length = 27 + b;
      break;
  }
  return CodeMatch;
}

// ---- The fast path --------------------------------------------------------
//
// While at least FastMargin bytes of stream remain and at least OutputSlack
// bytes of output, nothing one pass of the fast loop reads or writes can
// pass either end, so it checks neither. One pass is a new control word, a
// literal run of at most 32 bytes (whose copy reads and writes 32) and one
// other code: at most two data bytes, at most one more control word, and a
// match of at most 282 bytes, which its copy rounds up to whole 8-byte units
// (288 bytes).
//
// A code other than a literal is a first group of control bits, a data
// byte, a second group (possibly empty) and, for the longest lengths, a
// second data byte; no data byte lies inside a group. Should the code run
// past the current control word, the next word therefore starts either
// right here (the first group crosses, and the data byte follows the new
// word) or one byte on (only the second group crosses, and the word follows
// the data byte). The fast path loads both candidates, decodes the first
// group from the current word followed by the first, then picks the one
// that applies for the second group with a conditional move rather than a
// branch: where a code crosses a word boundary follows no pattern a branch
// predictor could learn.
const ptrdiff_t FastMargin = 48;
const ptrdiff_t OutputSlack = 32 + 288;

// Long-match distance classes, indexed by the first six bits of the code
// (0 0 and four more; a class takes one to four of them): the bits before
// the data byte (0 0 and the class), the extra bits after it, and the first
// distance of the class. One load straight from the code's bits is quicker
// than counting its zeros first, and these numbers lie on the chain of
// dependencies from one code to the next.
struct DistanceCodes {
  uint8_t ClassBits[16];
  uint8_t ExtraBits[16];
  uint16_t First[16];
  constexpr DistanceCodes() : ClassBits(), ExtraBits(), First() {
    for (uint32_t i = 0; i < 16; i++) {
      uint32_t classBits = 6, extra = 4, first = 4097;
      if (i & 8) {
        classBits = 3, extra = 1, first = 1;
      } else if (i & 4) {
        classBits = 4, extra = 1, first = 513;
      } else if (i & 2) {
        classBits = 5, extra = 2, first = 1025;
      } else if (i & 1) {
        classBits = 6, extra = 3, first = 2049;
      }
      ClassBits[i] = (uint8_t)classBits;
      ExtraBits[i] = (uint8_t)extra;
      First[i] = (uint16_t)first;
    }
  }
};
constexpr DistanceCodes DistanceTable;

// The length of a long match and the number of control bits of its length
// code, from the first 9 bits of that code (at most 5 class bits and 4 extra
// bits). Class 0 0 0 0 0 gives 27, to which its data byte is added; no
// other class gives 27.
struct LengthCodes {
  uint8_t Length[512];
  uint8_t Bits[512];
  constexpr LengthCodes() : Length(), Bits() {
    for (uint32_t i = 0; i < 512; i++) {
      uint32_t length = 27, bits = 5;
      if (i & 0x100) {
        length = 3, bits = 1;
      } else if (i & 0x80) {
        length = 4, bits = 2;
      } else if (i & 0x40) {
        length = 5 + ((i >> 5) & 1), bits = 4;
      } else if (i & 0x20) {
        length = 7 + ((i >> 3) & 3), bits = 6;
      } else if (i & 0x10) {
        length = 11 + (i & 15), bits = 9;
      }
      Length[i] = (uint8_t)length;
      Bits[i] = (uint8_t)bits;
    }
  }
};
constexpr LengthCodes LengthTable;

// The 32 control bits that follow the `left` unused bits of `word` when the
// next control word is `next`. left is 1 to 32.
inline uint32_t ViewWith(uint32_t word, uint32_t left, uint32_t next) {
  return word | (uint32_t)((uint64_t)next >> left);
}

// The fast loop's state: the read position and the control word.
struct FastState {
  const uint8_t* In;
  uint32_t Word;  // unused control bits, left-aligned, the rest zero
  uint32_t Left;  // how many bits of Word are unused
};

// Uses the `used` control bits of a code (at most 19), given whether its
// first group crossed into the next word, and steps over its data byte:
// the read position passes that byte and, when the bits ran past the
// current word, the word they ran into.
inline void TakeCodeBits(FastState* f, uint32_t used, uint32_t crossedFirst,
                         uint32_t here, uint32_t later) {
  const uint32_t crossed = used > f->Left;
  const uint32_t next = crossedFirst ? here : later;
  const uint32_t inNext = next << ((used - f->Left) & 31);
  const uint32_t inThis = f->Word << used;
  f->Word = crossed ? inNext : inThis;
  f->Left = f->Left - used + (crossed << 5);
  f->In += 1 + (crossed << 2);
}

// Fixed-size copies between areas that do not overlap; constant sizes let
// the compiler use single wide loads and stores.
inline void Copy4(uint8_t* to, const uint8_t* from) { memcpy(to, from, 4); }
inline void Copy8(uint8_t* to, const uint8_t* from) { memcpy(to, from, 8); }
inline void Copy16(uint8_t* to, const uint8_t* from) { memcpy(to, from, 16); }

// Copies 1 to 16 bytes between areas that do not overlap: a literal run, or
// a match whose distance is at least its length. Four 4-byte units at
// offsets 0, 4, 8 and n - 4, each pulled back so as not to pass n - 4, cover
// every length from 4 to 16; 1 to 3 bytes go singly to 0, n / 2 and n - 1.
// No branch on the length beyond the first, and nothing written past the
// last byte.
inline void CopyUpTo16(uint8_t* to, const uint8_t* from, uint32_t n) {
  if (n >= 4) {
    const uint32_t last = n - 4;
    const uint32_t second = last < 4 ? last : 4;
    const uint32_t third = last < 8 ? last : 8;
    uint32_t a, b, c, d;
    memcpy(&a, from, 4);
    memcpy(&b, from + second, 4);
    memcpy(&c, from + third, 4);
    memcpy(&d, from + last, 4);
    memcpy(to, &a, 4);
    memcpy(to + second, &b, 4);
    memcpy(to + third, &c, 4);
    memcpy(to + last, &d, 4);
  } else {
    to[0] = from[0];
    to[n / 2] = from[n / 2];
    to[n - 1] = from[n - 1];
  }
}

// A match whose distance is at least the unit size: each unit's source lies
// wholly before its destination, so units never read bytes the same copy has
// still to write. The last unit is placed to end exactly at the match's last
// byte; it rewrites some bytes already written with the values they already
// hold (output[p] = output[p - distance] for every p of the match).
template <uint32_t Unit>
inline void CopyUnits(uint8_t* out, uint32_t distance, uint32_t length) {
  const uint8_t* from = out - distance;
  uint8_t* const end = out + length;
  uint8_t* to = out;
  do {
    memcpy(to, from, Unit);
    to += Unit;
    from += Unit;
  } while ((uint32_t)(end - to) >= Unit);
  if (to != end) memcpy(end - Unit, end - Unit - distance, Unit);
}

// A match with a distance of 1, 2 or 3 repeats the last `distance` bytes.
// The pattern is laid out once in a local buffer, long enough that a
// 16-byte store can start at any phase of it; stores then advance the phase
// by their size modulo the period. Sizes fall 16, 8, 4, 2, 1 at the end so no
// store passes the match's last byte.
inline void CopyRepeated(uint8_t* out, uint32_t distance, uint32_t length) {
  uint8_t pattern[32];
  const uint8_t* from = out - distance;
  for (uint32_t i = 0; i < sizeof pattern; i++) pattern[i] = from[i % distance];
  uint32_t phase = 0;
  uint32_t left = length;
  while (left >= 16) {
    Copy16(out, pattern + phase);
    out += 16;
    left -= 16;
    phase = (phase + 16) % distance;
  }
  if (left & 8) {
    Copy8(out, pattern + phase);
    out += 8;
    phase = (phase + 8) % distance;
  }
  if (left & 4) {
    Copy4(out, pattern + phase);
    out += 4;
    phase = (phase + 4) % distance;
  }
  if (left & 2) {
    memcpy(out, pattern + phase, 2);
    out += 2;
    phase = (phase + 2) % distance;
  }
  if (left & 1) *out = pattern[phase];
}

// Copies `length` bytes from `distance` back, exactly as the byte-by-byte
// copy would. The caller has checked that the source starts inside the
// output and that the match ends inside it.
inline void CopyMatch(uint8_t* out, uint32_t distance, uint32_t length) {
  if (distance >= length && length <= 16) {
    // The common case: source and destination apart.
    CopyUpTo16(out, out - distance, length);
  } else if (distance >= 16) {
    CopyUnits<16>(out, distance, length);
  } else if (distance >= 8) {
    CopyUnits<8>(out, distance, length);  // length > distance >= 8
  } else if (distance >= 4) {
    CopyUnits<4>(out, distance, length);  // length > distance >= 4
  } else if (length < 8) {
    for (ptrdiff_t i = 0; i < (ptrdiff_t)length; i++) {
      out[i] = out[i - (ptrdiff_t)distance];
    }
  } else {
    CopyRepeated(out, distance, length);
  }
}

// Copies a match far enough from the output's end that whole 8-byte units
// may pass its last byte (by less than 8); those bytes are written again by
// the codes that follow. With a distance of 8 or more each unit's source
// lies wholly before its destination, in bytes already final. Shorter
// distances repeat a pattern and take the exact copy.
inline void CopyMatchWide(uint8_t* out, uint32_t distance, uint32_t length) {
  const uint8_t* from = out - distance;
  if (__builtin_expect(distance >= 8, 1)) {
    memcpy(out, from, 8);
    memcpy(out + 8, from + 8, 8);
    if (__builtin_expect(length > 16, 0)) {
      uint8_t* to = out + 16;
      uint8_t* const end = out + length;
      from += 16;
      do {
        memcpy(to, from, 8);
        to += 8;
        from += 8;
      } while (to < end);
    }
  } else {
    CopyMatch(out, distance, length);
  }
}

// Decodes the rest of a stream one bit and one byte at a time, each with
// its check: the last bytes of a stream, where the fast path's reads could
// pass the end. Kept out of line so that the fast loop has the registers.
__attribute__((noinline)) int DecodeCarefully(BitReader* r, uint8_t* output,
                                              uint8_t* out, uint8_t* outEnd) {
  for (;;) {
    uint32_t bit;
    if (!TakeBit(r, &bit)) return 0;
    if (bit) {
      uint32_t b;
      if (!TakeByte(r, &b) || out == outEnd) return 0;
      *out++ = (uint8_t)b;
      continue;
    }
    uint32_t distance = 0, length = 0;
    CodeResult code = DecodeCodeCarefully(r, &distance, &length);
    if (code != CodeMatch) return code == CodeEnd && out == outEnd;
    if (distance > (uint32_t)(out - output)) return 0;
    if (length > (uint32_t)(outEnd - out)) return 0;
    CopyMatch(out, distance, length);
    out += length;
  }
}

}  // namespace

int Decompress(uint8_t* output, uint32_t outputSize, const uint8_t* stream,
               uint32_t streamLength) {
  const uint8_t* const inEnd = stream + streamLength;
  uint8_t* out = output;
  uint8_t* const outEnd = output + outputSize;
  FastState f;
  f.In = stream;
  f.Word = 0;
  f.Left = 0;

  while (inEnd - f.In >= FastMargin && outEnd - out >= OutputSlack) {
    if (f.Left == 0) {
      f.Word = LoadWord(f.In);
      f.In += 4;
      f.Left = 32;
    }

    if (f.Word & 0x80000000u) {
      // A run of literals: as many as the word has leading 1 bits. Its
      // unused bits are zeros, so the run never counts past them. The copy
      // takes whole 16-byte units; bytes past the run are written again.
      const uint32_t inverted = ~f.Word;
      const uint32_t count = inverted ? (uint32_t)__builtin_clz(inverted) : 32;
      memcpy(out, f.In, 16);
      if (__builtin_expect(count > 16, 0)) memcpy(out + 16, f.In + 16, 16);
      out += count;
      f.In += count;
      f.Word = (uint32_t)((uint64_t)f.Word << count);
      f.Left -= count;
      // A run that stopped inside the word stopped at a 0 bit, so a match
      // follows; one that used the word up needs the next word first, which
      // lies after the run's bytes.
      if (f.Left == 0) continue;
    }

    const uint32_t here = LoadWord(f.In);       // next word if group 1 crosses
    const uint32_t later = LoadWord(f.In + 1);  // next word if group 2 crosses
    const uint32_t view = ViewWith(f.Word, f.Left, here);
    const uint32_t viewLater = ViewWith(f.Word, f.Left, later);
    uint32_t distance, length;

    if (view & 0x40000000u) {
      // 0 1 S B [XXX]: a short match or the end code.
      const uint32_t crossedFirst = 3 > f.Left;
      const uint32_t b = f.In[crossedFirst << 2];
      if (!(view & 0x20000000u)) {
        distance = b + 1;
        TakeCodeBits(&f, 3, crossedFirst, here, later);
      } else {
        const uint32_t second = crossedFirst ? view : viewLater;
        const uint32_t v = 256 + 8 * b + ((second << 3) >> 29);
        if (v == EndCodeValue) return out == outEnd;
        distance = v + 1;
        TakeCodeBits(&f, 6, crossedFirst, here, later);
      }
      length = 2;
    } else {
      // 0 0 <distance class> B <extra bits> <length code> [B].
      const uint32_t classIndex = view >> 26;  // 0 0 and four bits
      const uint32_t first = DistanceTable.ClassBits[classIndex];
      const uint32_t extra = DistanceTable.ExtraBits[classIndex];
      const uint32_t crossedFirst = first > f.Left;
      const uint32_t b = f.In[crossedFirst << 2];
      // The bits after the data byte: from `here` when the first group
      // crossed, else from `later`, after the data byte.
      const uint32_t second = (crossedFirst ? view : viewLater) << first;
      const uint32_t lengthIndex = (second << extra) >> 23;
      distance = DistanceTable.First[classIndex] + (b << extra) + (second >> (32 - extra));
      length = LengthTable.Length[lengthIndex];
      TakeCodeBits(&f, first + extra + LengthTable.Bits[lengthIndex],
                   crossedFirst, here, later);
      if (__builtin_expect(length == 27, 0)) {
        length += *f.In++;  // the length's own data byte
      }
    }

    if (distance > (uint32_t)(out - output)) return 0;
    CopyMatchWide(out, distance, length);
    out += length;
  }

  // The last bytes of the stream or of the output: every bit and byte with
  // its check.
  BitReader r;
  r.In = f.In;
  r.InEnd = inEnd;
  r.Word = f.Word;
  r.Left = f.Left;
  return DecodeCarefully(&r, output, out, outEnd);
}
