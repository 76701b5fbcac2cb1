// The compressor and its parts: round trips through Decompress and through
// the reference decoder for many kinds of input, the code classes the
// compressor really writes, the writer's layout against the test writer,
// the code costs against the bits the codes take, and the match finder
// against a brute-force search.

#include "archive/compress.h"

#include <gtest/gtest.h>
#include <string.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "archive/decompress.h"
#include "archive/stream_encoder.h"
#include "tests/unit/archive/stream_test_support.h"

namespace {

using stream_test::CodeCounts;
using stream_test::ExactCopy;
using stream_test::ReferenceDecode;
using stream_test::TestStream;

typedef std::vector<uint8_t> Bytes;

// Compresses, then expands with both decoders; returns the stream.
Bytes RoundTrip(const Bytes& input, CodeCounts* counts = nullptr) {
  Bytes stream = Compress(input.data(), input.size());
  auto exact = ExactCopy(stream);
  std::unique_ptr<uint8_t[]> out(new uint8_t[input.size()]);
  EXPECT_EQ(Decompress(out.get(), (uint32_t)input.size(), exact.get(),
                       (uint32_t)stream.size()),
            1);
  EXPECT_TRUE(std::equal(input.begin(), input.end(), out.get()));
  Bytes reference;
  EXPECT_EQ(ReferenceDecode(stream.data(), stream.size(), input.size(),
                            &reference, counts),
            1);
  EXPECT_EQ(reference, input);
  return stream;
}

Bytes RandomBytes(std::mt19937* rng, size_t n) {
  Bytes b(n);
  for (auto& x : b) x = (uint8_t)(*rng)();
  return b;
}

Bytes ReadSourceFile(const char* relative) {
  std::ifstream f(std::string(TEST_SOURCE_DIR) + "/" + relative,
                  std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f),
               std::istreambuf_iterator<char>());
}

// Text made of words from a small vocabulary, as documents and settings
// files are.
Bytes TextLike(std::mt19937* rng, size_t n) {
  static const char* const words[] = {
      "update",  "file", "game",    "install", "folder", "data", "the",
      "of",      "and",  "archive", "member",  "setup",  "path", "=",
      "[SETUP]", "\r\n", "version", "1.02",    "patch",  "copy", "disk"};
  Bytes b;
  while (b.size() < n) {
    const char* w = words[(*rng)() % (sizeof words / sizeof words[0])];
    b.insert(b.end(), w, w + strlen(w));
    b.push_back(' ');
  }
  b.resize(n);
  return b;
}

TEST(Compress, EmptyInputIsTheEndCodeAlone) {
  EXPECT_EQ(Compress(nullptr, 0), (Bytes{0x00, 0x00, 0x00, 0x7C, 0xFF}));
}

TEST(Compress, LiteralFlagInTheLastBitPutsItsByteBeforeTheNextWord) {
  // 32 bytes without a repeated pair can only be literals: one full word of
  // flags, the 32 bytes, then the word that holds the end code.
  Bytes input;
  for (int i = 0; i < 32; i++) input.push_back((uint8_t)(i * 7));
  Bytes want = {0xFF, 0xFF, 0xFF, 0xFF};
  want.insert(want.end(), input.begin(), input.end());
  want.insert(want.end(), {0x00, 0x00, 0x00, 0x7C, 0xFF});
  EXPECT_EQ(RoundTrip(input), want);
}

TEST(Compress, RoundTripsSmallInputsOfEveryKind) {
  std::mt19937 rng(21);
  for (size_t n = 0; n <= 300; n++) {
    SCOPED_TRACE(n);
    RoundTrip(RandomBytes(&rng, n));
    RoundTrip(Bytes(n, 'z'));
    RoundTrip(TextLike(&rng, n));
    Bytes alphabet(n);
    for (auto& x : alphabet) x = (uint8_t)('a' + rng() % 3);
    RoundTrip(alphabet);
  }
}

TEST(Compress, RoundTripsRunsOfShortPatterns) {
  std::mt19937 rng(22);
  for (int period = 1; period <= 3; period++) {
    for (size_t n :
         {2u, 3u, 4u, 5u, 17u, 282u, 283u, 284u, 285u, 1000u, 100000u}) {
      SCOPED_TRACE(testing::Message() << "period " << period << " size " << n);
      Bytes pattern = RandomBytes(&rng, (size_t)period);
      Bytes input;
      for (size_t i = 0; i < n; i++) input.push_back(pattern[i % period]);
      Bytes stream = RoundTrip(input);
      if (n >= 100000) {
        // Matches of 282 bytes, about 3 bytes of code each.
        EXPECT_LT(stream.size(), n / 50);
      }
    }
  }
  // Runs of changing patterns and lengths in one input.
  Bytes mixed;
  while (mixed.size() < 200000) {
    Bytes pattern = RandomBytes(&rng, 1 + rng() % 3);
    size_t run = 1 + rng() % 700;
    for (size_t i = 0; i < run; i++)
      mixed.push_back(pattern[i % pattern.size()]);
  }
  RoundTrip(mixed);
}

TEST(Compress, RoundTripsLongInputs) {
  std::mt19937 rng(23);
  Bytes random = RandomBytes(&rng, 1 << 20);
  Bytes stream = RoundTrip(random);
  // Incompressible data grows by at most its literal flags and the end code.
  EXPECT_LE(stream.size(), random.size() + random.size() / 8 + 9);

  Bytes text = TextLike(&rng, 1 << 20);
  Bytes textStream = RoundTrip(text);
  EXPECT_LT(textStream.size(), text.size() / 3);

  // Text, binary and runs in one input, so matches reach across the seams.
  Bytes mixed = TextLike(&rng, 300000);
  Bytes more = RandomBytes(&rng, 100000);
  mixed.insert(mixed.end(), more.begin(), more.end());
  mixed.insert(mixed.end(), 50000, 0);
  mixed.insert(mixed.end(), text.begin(), text.begin() + 200000);
  RoundTrip(mixed);
}

TEST(Compress, RoundTripsRepositorySources) {
  const char* const files[] = {
      "archive/decompress.cpp",
      "archive/compress.cpp",
      "archive/descramble.cpp",
      "archive/stream_encoder.h",
      "tests/unit/archive/decompress_test.cpp",
      "CMakeLists.txt",
  };
  for (const char* name : files) {
    SCOPED_TRACE(name);
    Bytes source = ReadSourceFile(name);
    ASSERT_GT(source.size(), 500u);
    Bytes stream = RoundTrip(source);
    // Source text compresses to well under two thirds.
    EXPECT_LT(stream.size() * 3, source.size() * 2);
  }
}

// A block of random bytes with copies planted in it: a match of each
// length class at each distance class, and short matches near and far.
Bytes PlantedMatches(std::mt19937* rng) {
  Bytes b = RandomBytes(rng, 9000);
  const uint32_t distances[] = {300, 800, 1500, 3000, 6000};
  const uint32_t lengths[] = {3, 4, 6, 9, 20, 200};
  for (uint32_t d : distances) {
    for (uint32_t len : lengths) {
      size_t from = b.size() - d;
      for (uint32_t i = 0; i < len; i++) b.push_back(b[from + i]);
      Bytes gap = RandomBytes(rng, 40);
      b.insert(b.end(), gap.begin(), gap.end());
    }
  }
  return b;
}

TEST(Compress, WritesEveryCodeClass) {
  std::mt19937 rng(24);
  CodeCounts counts;
  RoundTrip(PlantedMatches(&rng), &counts);
  EXPECT_GT(counts.Literals, 0u);
  EXPECT_GT(counts.ShortNear, 0u);
  EXPECT_GT(counts.ShortFar, 0u);
  for (int c = 0; c < 5; c++)
    EXPECT_GT(counts.Distance[c], 0u) << "distance class " << c;
  for (int c = 0; c < 6; c++)
    EXPECT_GT(counts.Length[c], 0u) << "length class " << c;
  EXPECT_EQ(counts.Ends, 1u);
}

// The same mixed input behind 0 to 40 extra bytes: each shift moves every
// later code to another bit position of its control word.
TEST(Compress, RoundTripsAtEveryControlWordPhase) {
  std::mt19937 rng(25);
  const Bytes body = PlantedMatches(&rng);
  for (int shift = 0; shift <= 40; shift++) {
    SCOPED_TRACE(shift);
    Bytes input;
    for (int i = 0; i < shift; i++) input.push_back((uint8_t)(i * 37 + 1));
    input.insert(input.end(), body.begin(), body.end());
    RoundTrip(input);
  }
}

// ---- The parts ------------------------------------------------------------

TEST(StreamWriter, LaysOutCodesAsTheTestWriterDoes) {
  std::mt19937 rng(26);
  for (int round = 0; round < 200; round++) {
    Bytes produced;
    StreamWriter writer(&produced);
    TestStream expected;
    int codes = 1 + rng() % 60;
    for (int i = 0; i < codes; i++) {
      switch (rng() % 3) {
        case 0: {
          uint8_t b = (uint8_t)rng();
          writer.Literal(b);
          expected.Literal(b);
          break;
        }
        case 1: {
          uint32_t d = 1 + rng() % ShortFarDistance;
          writer.Match(2, d);
          expected.Short(d);
          break;
        }
        default: {
          uint32_t len = 3 + rng() % 280;
          uint32_t d = 1 + rng() % LongMatchMaxDistance;
          writer.Match(len, d);
          expected.Long(len, d);
          break;
        }
      }
    }
    writer.End();
    expected.End();
    ASSERT_EQ(produced, expected.Bytes()) << "round " << round;
  }
}

TEST(MatchCost, EqualsTheBitsEachCodeTakes) {
  for (uint32_t d = 1; d <= LongMatchMaxDistance; d++) {
    for (uint32_t len = 2; len <= LongMatchMaxLength; len++) {
      if (len == 2 && d > ShortFarDistance) {
        EXPECT_EQ(MatchCost(len, d), ImpossibleCost);
        continue;
      }
      // Every length at a few distances, every distance at a few lengths.
      if (d > 20 && len > 12 && d % 509 != 0 && len % 37 != 0) continue;
      TestStream s;
      if (len == 2) {
        s.Short(d);
      } else {
        s.Long(len, d);
      }
      ASSERT_EQ(MatchCost(len, d), s.ControlBits() + 8 * s.DataBytes())
          << "length " << len << " distance " << d;
    }
  }
  TestStream literal, end;
  literal.Literal(0);
  end.End();
  EXPECT_EQ(LiteralCost, literal.ControlBits() + 8 * literal.DataBytes());
  EXPECT_EQ(EndCodeCost, end.ControlBits() + 8 * end.DataBytes());
  EXPECT_EQ(MatchCost(283, 1), ImpossibleCost);
  EXPECT_EQ(MatchCost(3, 8193), ImpossibleCost);
  EXPECT_EQ(MatchCost(1, 1), ImpossibleCost);
  EXPECT_EQ(MatchCost(3, 0), ImpossibleCost);
}

// With an unbounded chain the finder must report, for every length, the
// nearest distance at which that many bytes repeat (2303 back at most for 2
// bytes, 8192 for 3 and more; lengths capped at 282).
TEST(MatchFinder, ListsTheNearestDistanceForEveryLength) {
  std::mt19937 rng(27);
  Bytes input;
  // Random bytes, then a small alphabet that makes long and short repeats
  // everywhere; a long run and a block copied from 8192 back test the caps.
  for (int i = 0; i < 7000; i++) input.push_back((uint8_t)rng());
  for (int i = 0; i < 2500; i++) input.push_back((uint8_t)('a' + rng() % 4));
  input.insert(input.end(), 400, 'q');
  for (int i = 0; i < 300; i++) input.push_back(input[input.size() - 8192]);

  MatchFinder finder(input.data(), input.size(), 1u << 30);
  std::vector<MatchCandidate> candidates;
  for (size_t pos = 0; pos < input.size(); pos++) {
    finder.Find(pos, &candidates);
    const size_t left = input.size() - pos;
    const uint32_t maxLength = left < 282 ? (uint32_t)left : 282;
    // Brute force: the nearest distance for each length.
    std::vector<uint32_t> nearest(maxLength + 1, 0);
    for (uint32_t d = 1; d <= 8192 && d <= pos; d++) {
      uint32_t n = 0;
      while (n < maxLength && input[pos - d + n] == input[pos + n]) n++;
      for (uint32_t len = 2; len <= n; len++) {
        if (nearest[len] == 0 && (len > 2 || d <= 2303)) nearest[len] = d;
      }
    }
    std::vector<uint32_t> reported(maxLength + 1, 0);
    uint32_t from = 2;
    for (size_t i = 0; i < candidates.size(); i++) {
      const MatchCandidate& c = candidates[i];
      if (i > 0) {
        ASSERT_GT(c.Length, candidates[i - 1].Length);
        ASSERT_GE(c.Distance, candidates[i - 1].Distance);
      }
      ASSERT_LE(c.Length, maxLength);
      if (c.Length > 2 && from < 3) from = 3;
      for (uint32_t len = from; len <= c.Length; len++)
        reported[len] = c.Distance;
      from = c.Length + 1;
    }
    ASSERT_EQ(reported, nearest) << "position " << pos;
  }
}

}  // namespace
