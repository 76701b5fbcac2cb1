// Decompress: hand-laid streams with known output, every code at every bit
// position of a control word, malformed streams that must be refused without
// touching memory outside the two areas, and agreement with the plain
// reference decoder on many random streams.

#include "archive/decompress.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/unit/archive/stream_test_support.h"

namespace {

using stream_test::CodeCounts;
using stream_test::ExactCopy;
using stream_test::RandomCodes;
using stream_test::ReferenceDecode;
using stream_test::TestStream;

typedef std::vector<uint8_t> Bytes;

const uint8_t Guard = 0xEE;
const size_t GuardSize = 64;

struct Decoded {
  int Result;
  Bytes Output;
  bool GuardsIntact;
};

// Decodes twice: once with both areas in heap blocks of exactly their size
// (the address sanitizer then reports any access outside them), and once
// with the output between guard bytes, which must come out unchanged. Both
// runs must agree.
Decoded Decode(const Bytes& stream, size_t outputSize) {
  Decoded d;
  auto in = ExactCopy(stream);
  std::unique_ptr<uint8_t[]> exact(new uint8_t[outputSize]);
  memset(exact.get(), Guard, outputSize);
  d.Result = Decompress(exact.get(), (uint32_t)outputSize, in.get(),
                        (uint32_t)stream.size());
  d.Output.assign(exact.get(), exact.get() + outputSize);

  Bytes guarded(GuardSize + outputSize + GuardSize, Guard);
  int again = Decompress(guarded.data() + GuardSize, (uint32_t)outputSize,
                         in.get(), (uint32_t)stream.size());
  d.GuardsIntact = again == d.Result;
  for (size_t i = 0; i < GuardSize; i++) {
    if (guarded[i] != Guard || guarded[GuardSize + outputSize + i] != Guard) {
      d.GuardsIntact = false;
    }
  }
  if (!std::equal(d.Output.begin(), d.Output.end(),
                  guarded.begin() + GuardSize)) {
    d.GuardsIntact = false;
  }
  return d;
}

Bytes RandomBytes(std::mt19937* rng, size_t n, uint8_t avoid = Guard) {
  Bytes b(n);
  for (auto& x : b) {
    do {
      x = (uint8_t)(*rng)();
    } while (x == avoid);
  }
  return b;
}

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// ---- Streams laid out by hand ---------------------------------------------

struct KnownCase {
  const char* Name;
  Bytes Stream;
  Bytes Output;
};

TEST(DecompressKnownStreams, HandLaidBytesGiveTheirOutput) {
  // 1 00101 00101 00101 00101 11111111 001 | 0 1 011 111:
  // a literal 'a'; four long matches D=0 length 3 (bits 0 0, class 1, B, X,
  // length 1); eight literals; then a long match whose distance code 0 0 1
  // ends the first word, so its data byte B=2 lies before the second word
  // and its X bit and length bit come from that word; then the end code,
  // whose data byte follows the second word.
  const Bytes straddle = {0xF9, 0x2F, 0xA5, 0x94, 'a',  0,    0,   0,
                          0,    'b',  'c',  'd',  'e',  'f',  'g', 'h',
                          'i',  2,    0x00, 0x00, 0x00, 0x5F, 0xFF};
  const KnownCase cases[] = {
      // 0 1 1 1 1 1 and B = 255: the end code alone.
      {"shortest stream", {0x00, 0x00, 0x00, 0x7C, 0xFF}, {}},
      // 1 1 0 1 0 0 1 1 1 1 1: literals 61 62, short B=0, end.
      {"short distance 1 after two bytes",
       {0x00, 0x00, 0xE0, 0xD3, 0x61, 0x62, 0x00, 0xFF},
       {0x61, 0x62, 0x62, 0x62}},
      // 32 literals fill the first word; the last one's data byte comes
      // before the second word, which holds the end code.
      {"literal flag as the last bit of a word",
       Concat(Concat({0xFF, 0xFF, 0xFF, 0xFF}, Bytes(32, 'x')),
              {0x00, 0x00, 0x00, 0x7C, 0xFF}),
       Bytes(32, 'x')},
      {"code straddling two words", straddle,
       Concat(Concat(Bytes(13, 'a'), {'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'}),
              {'e', 'f', 'g'})},
  };
  for (const KnownCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Decoded d = Decode(c.Stream, c.Output.size());
    EXPECT_EQ(d.Result, 1);
    EXPECT_EQ(d.Output, c.Output);
    EXPECT_TRUE(d.GuardsIntact);
  }
}

TEST(DecompressKnownStreams, TestWriterLaysOutTheHandLaidStreams) {
  // The helper that builds the remaining tests' streams places words and
  // bytes as the hand-laid streams above do.
  TestStream straddle;
  straddle.Literal('a');
  for (int i = 0; i < 4; i++) straddle.Long(3, 1);
  for (char ch = 'b'; ch <= 'i'; ch++) straddle.Literal((uint8_t)ch);
  straddle.Long(3, 5).End();
  EXPECT_EQ(straddle.Bytes(),
            (Bytes{0xF9, 0x2F, 0xA5, 0x94, 'a', 0, 0, 0, 0, 'b',  'c', 'd',
                   'e',  'f',  'g',  'h',  'i', 2, 0, 0, 0, 0x5F, 0xFF}));
  TestStream shortest;
  shortest.End();
  EXPECT_EQ(shortest.Bytes(), (Bytes{0x00, 0x00, 0x00, 0x7C, 0xFF}));
}

TEST(DecompressKnownStreams, ShortestStreamReadsExactlyFiveBytes) {
  EXPECT_EQ(Decode({0x00, 0x00, 0x00, 0x7C, 0xFF}, 0).Result, 1);
  EXPECT_EQ(Decode({0x00, 0x00, 0x00, 0x7C}, 0).Result, 0);
  // Bytes after the end code are never read, whatever they hold.
  EXPECT_EQ(Decode({0x00, 0x00, 0x00, 0x7C, 0xFF, 0x12, 0x34}, 0).Result, 1);
}

struct BuiltCase {
  const char* Name;
  TestStream Stream;
  Bytes Output;
};

TEST(DecompressKnownStreams, OverlappingAndExtremeMatches) {
  std::mt19937 rng(7);
  const Bytes far2303 = RandomBytes(&rng, 2303);
  const Bytes far8192 = RandomBytes(&rng, 8192);
  std::vector<BuiltCase> cases;
  cases.push_back({"short distance 2 after two bytes",
                   TestStream().Literal(0x61).Literal(0x62).Short(2).End(),
                   {0x61, 0x62, 0x61, 0x62}});
  cases.push_back({"long D=0 length 5 after one byte",
                   TestStream().Literal(0x61).Long(5, 1).End(),
                   Repeat(0x61, 6)});
  cases.push_back(
      {"long D=2 length 7 after three bytes",
       TestStream().Literals({0x61, 0x62, 0x63}).Long(7, 3).End(),
       {0x61, 0x62, 0x63, 0x61, 0x62, 0x63, 0x61, 0x62, 0x63, 0x61}});
  cases.push_back({"distance 1, length 282 (B = 255)",
                   TestStream().Literal(7).Long(282, 1).End(), Repeat(7, 283)});
  cases.push_back({"distance 2, length 26 (X = 15)",
                   TestStream().Literals({1, 2}).Long(26, 2).End(),
                   {1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2,
                    1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2, 1, 2}});
  cases.push_back({"distance 3, length 281",
                   TestStream().Literals({1, 2, 3}).Long(281, 3).End(),
                   {}});
  for (int i = 0; i < 284; i++)
    cases.back().Output.push_back((uint8_t)(1 + i % 3));
  cases.push_back({"short match 2303 back (B = 255, X = 6)",
                   TestStream().Literals(far2303).Short(2303).End(),
                   Concat(far2303, {far2303[0], far2303[1]})});
  cases.push_back({"long match 8192 back (B = 255, X = 15)",
                   TestStream().Literals(far8192).Long(3, 8192).End(),
                   Concat(far8192, {far8192[0], far8192[1], far8192[2]})});
  for (BuiltCase& c : cases) {
    SCOPED_TRACE(c.Name);
    Decoded d = Decode(c.Stream.Bytes(), c.Output.size());
    EXPECT_EQ(d.Result, 1);
    EXPECT_EQ(d.Output, c.Output);
    EXPECT_TRUE(d.GuardsIntact);
  }
}

// Every kind of code, with every number of control bits already used in the
// word where it begins: k literals (one bit each) come first, so the code
// starts at bit 31 - k and, for most k, runs on into the next word. With
// trailing literals after it the code is decoded while the stream has bytes
// to spare; without them, as one of the stream's last bytes.
TEST(DecompressStraddling, EveryCodeAtEveryBitPosition) {
  struct Code {
    uint32_t Length, Distance;
  };
  const Code codes[] = {
      {2, 1},     {2, 256},    {2, 257},  {2, 2303},  {3, 1},     {4, 512},
      {5, 513},   {6, 1024},   {7, 1025}, {10, 2048}, {11, 2049}, {26, 4096},
      {27, 4097}, {282, 8192}, {200, 3},  {100, 2},   {16, 16},   {15, 15},
  };
  std::mt19937 rng(11);
  const Bytes base = RandomBytes(&rng, 8192);
  for (int trailing : {0, 24}) {
    for (const Code& code : codes) {
      for (int k = 0; k < 40; k++) {
        SCOPED_TRACE(testing::Message()
                     << "length " << code.Length << " distance "
                     << code.Distance << " after " << k << " literals, "
                     << trailing << " after it");
        // The base block goes in as 8192 literals, a whole number of
        // words of flags, so the k literals that follow set the phase.
        Bytes expected = base;
        TestStream s;
        s.Literals(base);
        for (int i = 0; i < k; i++) {
          s.Literal((uint8_t)i);
          expected.push_back((uint8_t)i);
        }
        if (code.Length == 2) {
          s.Short(code.Distance);
        } else {
          s.Long(code.Length, code.Distance);
        }
        for (uint32_t i = 0; i < code.Length; i++) {
          expected.push_back(expected[expected.size() - code.Distance]);
        }
        for (int i = 0; i <= trailing; i++) {
          s.Literal((uint8_t)(0x5A + i));
          expected.push_back((uint8_t)(0x5A + i));
        }
        s.End();
        Decoded d = Decode(s.Bytes(), expected.size());
        ASSERT_EQ(d.Result, 1);
        ASSERT_EQ(d.Output, expected);
      }
    }
  }
}

// ---- Malformed streams ----------------------------------------------------

struct MalformedCase {
  std::string Name;
  Bytes Stream;
  size_t OutputSize;
  // The fault lies before the stream's end, so bytes appended after it
  // leave the stream malformed while the faulty code is decoded with
  // bytes to spare.
  bool AlsoPadded;
};

Bytes WithoutLast(Bytes b, size_t n) {
  b.resize(b.size() - n);
  return b;
}

TEST(DecompressMalformed, RefusedCleanly) {
  std::mt19937 rng(3);
  const Bytes bytes8191 = RandomBytes(&rng, 8191);
  const Bytes bytes2302 = RandomBytes(&rng, 2302);
  TestStream literals29;
  for (int i = 0; i < 29; i++) literals29.Literal((uint8_t)i);
  std::vector<MalformedCase> cases = {
      {"empty stream", {}, 0, false},
      {"first control word cut short", {0x00, 0x00, 0x7C}, 0, false},
      {"second control word cut short",
       WithoutLast(TestStream().Literals(Bytes(32, 'x')).End().Bytes(), 3), 32,
       false},
      {"literal without its data byte", {0x00, 0x00, 0x00, 0x80}, 1, false},
      {"short match without its data byte",
       WithoutLast(TestStream().Literals({1, 2}).Short(1).Bytes(), 1), 4,
       false},
      {"long match without its distance byte",
       WithoutLast(TestStream().Literal(1).Long(3, 1).Bytes(), 1), 4, false},
      {"long match without its length byte",
       WithoutLast(TestStream().Literal(1).Long(100, 1).Bytes(), 1), 101,
       false},
      {"end code without the word holding its last bits",
       WithoutLast(TestStream(literals29).End().Bytes(), 4), 29, false},
      {"no end code after the output is full",
       TestStream().Literals({1, 2, 3}).Bytes(), 3, false},
      {"end code before the output is full",
       TestStream().Literal('a').End().Bytes(), 2, true},
      {"shortest stream for a non-empty output",
       {0x00, 0x00, 0x00, 0x7C, 0xFF},
       1,
       true},
      {"literal past the output",
       TestStream().Literals({1, 2, 3, 4, 5}).End().Bytes(), 4, true},
      {"literal run of a whole word past the output",
       TestStream().Literals(Bytes(32, 'x')).End().Bytes(), 31, true},
      {"short match past the output",
       TestStream().Literals({1, 2}).Short(1).End().Bytes(), 3, true},
      {"longest match into a small output",
       TestStream().Literal(1).Long(282, 1).End().Bytes(), 10, true},
      {"long match one byte past the output",
       TestStream().Literal(1).Long(100, 1).End().Bytes(), 100, true},
      {"short match as the first code", TestStream().Short(1).End().Bytes(), 2,
       true},
      {"long match as the first code", TestStream().Long(3, 1).End().Bytes(), 3,
       true},
      {"long match one byte before the start",
       TestStream().Literal(1).Long(3, 2).End().Bytes(), 4, true},
      {"long match 8192 back after 8191 bytes",
       TestStream().Literals(bytes8191).Long(3, 8192).End().Bytes(), 8194,
       true},
      {"short match 2303 back after 2302 bytes",
       TestStream().Literals(bytes2302).Short(2303).End().Bytes(), 2304, true},
      {"zero stream", Bytes(64, 0), 1000, true},
      {"all-ones stream", Bytes(64, 0xFF), 1000, true},
  };
  for (const MalformedCase& c : cases) {
    for (bool padded : {false, true}) {
      if (padded && !c.AlsoPadded) continue;
      SCOPED_TRACE(c.Name + (padded ? ", padded" : ""));
      Bytes stream = c.Stream;
      if (padded) stream.resize(stream.size() + 32, 0);
      Decoded d = Decode(stream, c.OutputSize);
      EXPECT_EQ(d.Result, 0);
      EXPECT_TRUE(d.GuardsIntact);
      Bytes reference;
      EXPECT_EQ(ReferenceDecode(stream.data(), stream.size(), c.OutputSize,
                                &reference),
                0);
    }
  }
}

TEST(DecompressMalformed, NullAreasOfLengthZero) {
  EXPECT_EQ(Decompress(nullptr, 0, nullptr, 0), 0);
}

// Each truncation point of a valid stream: refused, with nothing written
// outside the output.
TEST(DecompressMalformed, EveryTruncationOfAValidStreamIsRefused) {
  std::mt19937 rng(5);
  stream_test::RandomStream r = RandomCodes(&rng, 3000);
  for (size_t cut = 0; cut < r.Stream.size(); cut++) {
    Bytes partial(r.Stream.begin(), r.Stream.begin() + cut);
    Decoded d = Decode(partial, r.Output.size());
    ASSERT_EQ(d.Result, 0) << "cut at " << cut;
    ASSERT_TRUE(d.GuardsIntact) << "cut at " << cut;
  }
}

// The wide copies never write past the match's last byte. A stream that
// stops right after one match leaves every later byte of the output as it
// was; and a match that ends exactly at the end of the output, followed by a
// literal that cannot fit and by spare bytes (so that it is decoded on the
// fast path), leaves the guard bytes after the output as they were.
TEST(DecompressCopies, NothingWrittenPastTheMatch) {
  std::mt19937 rng(13);
  const uint32_t lengths[] = {2,  3,  4,  5,   6,   7,   8,   9,   10, 11, 12,
                              15, 16, 17, 23,  24,  25,  31,  32,  33, 47, 48,
                              63, 64, 65, 100, 127, 200, 255, 281, 282};
  for (uint32_t distance = 1; distance <= 40; distance++) {
    for (uint32_t length : lengths) {
      SCOPED_TRACE(testing::Message()
                   << "distance " << distance << " length " << length);
      Bytes prefix = RandomBytes(&rng, distance);
      TestStream s;
      s.Literals(prefix);
      if (length == 2) {
        s.Short(distance);
      } else {
        s.Long(length, distance);
      }
      Bytes expected = prefix;
      for (uint32_t i = 0; i < length; i++) {
        expected.push_back(expected[expected.size() - distance]);
      }

      const size_t outputSize = expected.size() + 40;
      Decoded d = Decode(s.Bytes(), outputSize);
      EXPECT_EQ(d.Result, 0);  // no end code
      EXPECT_TRUE(d.GuardsIntact);
      Bytes want = expected;
      want.resize(outputSize, Guard);
      EXPECT_EQ(d.Output, want);

      s.Literal(0x55);
      Bytes padded = s.Bytes();
      padded.resize(padded.size() + 32, 0);
      Decoded fast = Decode(padded, expected.size());
      EXPECT_EQ(fast.Result, 0);  // the literal does not fit
      EXPECT_TRUE(fast.GuardsIntact);
      EXPECT_EQ(fast.Output, expected);
    }
  }
}

// ---- Agreement with the reference decoder ---------------------------------

TEST(DecompressAgainstReference, RandomValidStreams) {
  std::mt19937 rng(1234);
  CodeCounts seen;
  for (int i = 0; i < 600; i++) {
    size_t size = i < 500 ? 1 + rng() % 3000 : 20000 + rng() % 60000;
    stream_test::RandomStream r = RandomCodes(&rng, size);
    Bytes reference;
    ASSERT_EQ(ReferenceDecode(r.Stream.data(), r.Stream.size(), r.Output.size(),
                              &reference, &seen),
              1);
    ASSERT_EQ(reference, r.Output);
    Decoded d = Decode(r.Stream, r.Output.size());
    ASSERT_EQ(d.Result, 1) << "stream " << i;
    ASSERT_EQ(d.Output, r.Output) << "stream " << i;
    ASSERT_TRUE(d.GuardsIntact);
  }
  // The streams did exercise every kind of code.
  EXPECT_GT(seen.Literals, 0u);
  EXPECT_GT(seen.ShortNear, 0u);
  EXPECT_GT(seen.ShortFar, 0u);
  for (int c = 0; c < 5; c++) EXPECT_GT(seen.Distance[c], 0u) << "class " << c;
  for (int c = 0; c < 6; c++) EXPECT_GT(seen.Length[c], 0u) << "class " << c;
}

// Damaged streams: a flipped bit, a changed byte, a wrong output size. The
// decoder must accept exactly what the reference accepts, with its output.
TEST(DecompressAgainstReference, DamagedStreams) {
  std::mt19937 rng(99);
  int accepted = 0, refused = 0;
  for (int i = 0; i < 400; i++) {
    stream_test::RandomStream r = RandomCodes(&rng, 1 + rng() % 2000);
    for (int j = 0; j < 8; j++) {
      Bytes stream = r.Stream;
      size_t outputSize = r.Output.size();
      switch (rng() % 4) {
        case 0:
          stream[rng() % stream.size()] ^= (uint8_t)(1u << (rng() % 8));
          break;
        case 1:
          stream[rng() % stream.size()] = (uint8_t)rng();
          break;
        case 2:
          outputSize = rng() % (2 * outputSize + 2);
          break;
        default:
          stream.resize(rng() % stream.size());
          break;
      }
      Bytes reference;
      int want =
          ReferenceDecode(stream.data(), stream.size(), outputSize, &reference);
      Decoded d = Decode(stream, outputSize);
      ASSERT_EQ(d.Result, want) << "stream " << i << " variant " << j;
      ASSERT_TRUE(d.GuardsIntact);
      if (want) {
        ASSERT_EQ(d.Output, reference);
        accepted++;
      } else {
        refused++;
      }
    }
  }
  // Both outcomes occurred, so the comparison covered both.
  EXPECT_GT(accepted, 0);
  EXPECT_GT(refused, 0);
}

}  // namespace
