// The archive writer: the image laid out byte for byte, the directory in
// each of its four encodings, members compressed before they are scrambled,
// the names it refuses, and every combination read back by the reader.
#include <gtest/gtest.h>

#include "archive/archive_writer.h"
#include "archive/compress.h"
#include "archive/container.h"
#include "archive/decompress.h"
#include "archive/descramble.h"
#include "archive_bytes.h"
#include "platform/host/host_control.h"

namespace {

using namespace archive_bytes;

ArchiveWriterMember Member(const std::string& name, const Bytes& bytes,
                           bool compress, bool scramble, uint64_t time = 0) {
  ArchiveWriterMember member;
  member.Name = name;
  member.Bytes = bytes;
  member.FileTime = time;
  member.Compress = compress;
  member.Scramble = scramble;
  return member;
}

Bytes Write(const std::vector<ArchiveWriterMember>& members, uint32_t flags) {
  Bytes image;
  std::string error;
  EXPECT_TRUE(WriteArchive(members, flags, &image, &error)) << error;
  return image;
}

Bytes Slice(const Bytes& bytes, size_t start, size_t length) {
  EXPECT_LE(start + length, bytes.size());
  return Bytes(bytes.begin() + start, bytes.begin() + start + length);
}

TEST(ArchiveWriter, LaysOutHeaderMembersPaddingAndRecords) {
  Bytes first = BytesOf("abc");
  Bytes second = BytesOf("0123456789ABCDEFG");  // 17 bytes: 15 of padding
  Bytes empty;
  std::vector<ArchiveWriterMember> members = {
      Member("UPDATE.INI", first, false, false, 0x0123456789ABCDEFull),
      Member("b.dat", second, false, false, 7),
      Member("e", empty, false, false)};
  Bytes image = Write(members, 0);

  // 16 header + 16 + 32 + 0 member bytes, then three 280-byte records.
  ASSERT_EQ(image.size(), 64u + 3 * 280u);
  EXPECT_EQ(Slice(image, 0, 4), Bytes({'J', 'Q', '2', 0}));
  EXPECT_EQ(GetLE32(&image[4]), 0u);
  EXPECT_EQ(GetLE32(&image[8]), 64u);
  EXPECT_EQ(GetLE32(&image[12]), 3u);
  EXPECT_EQ(Slice(image, 16, 3), first);
  EXPECT_EQ(Slice(image, 19, 13), Bytes(13, 0)) << "padding is zero";
  EXPECT_EQ(Slice(image, 32, 17), second);
  EXPECT_EQ(Slice(image, 49, 15), Bytes(15, 0));

  RecordFields fields;
  fields.Name = "UPDATE.INI";
  fields.FileTime = 0x0123456789ABCDEFull;
  fields.UnpackedSize = fields.StoredSize = 3;
  EXPECT_EQ(Slice(image, 64, 280), Record(fields));
  fields.Name = "b.dat";
  fields.FileTime = 7;
  fields.UnpackedSize = fields.StoredSize = 17;
  EXPECT_EQ(Slice(image, 344, 280), Record(fields));
  fields.Name = "e";
  fields.FileTime = 0;
  fields.UnpackedSize = fields.StoredSize = 0;
  EXPECT_EQ(Slice(image, 624, 280), Record(fields));
}

TEST(ArchiveWriter, CompressesThenScramblesMembers) {
  Bytes text;
  for (int i = 0; i < 300; i++) text.push_back((uint8_t)("patch data "[i % 11]));
  Bytes stream = Compress(text.data(), text.size());
  Bytes scrambledStream = stream;
  Descramble(scrambledStream.data(), (uint32_t)scrambledStream.size());
  Bytes scrambledText = text;
  Descramble(scrambledText.data(), (uint32_t)scrambledText.size());

  struct Case {
    bool Compress, Scramble;
    uint8_t Flags, Scrambled;
    const Bytes* Stored;
  } cases[] = {{false, false, 1, 0, &text},
               {false, true, 1, 1, &scrambledText},
               {true, false, 2, 0, &stream},
               {true, true, 2, 1, &scrambledStream}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "compress " << c.Compress << " scramble "
                                    << c.Scramble);
    Bytes image = Write({Member("m", text, c.Compress, c.Scramble)}, 0);
    uint32_t storedSize = (uint32_t)c.Stored->size();
    uint32_t directoryOffset = GetLE32(&image[8]);
    EXPECT_EQ(directoryOffset, 16u + ((storedSize + 15u) & ~15u));
    EXPECT_EQ(Slice(image, 16, storedSize), *c.Stored);
    const uint8_t* record = &image[directoryOffset];
    EXPECT_EQ(record[260], c.Flags);
    EXPECT_EQ(record[261], 0);
    EXPECT_EQ(record[262], c.Scrambled);
    EXPECT_EQ(record[263], 0);
    EXPECT_EQ(GetLE32(record + 272), (uint32_t)text.size());
    EXPECT_EQ(GetLE32(record + 276), storedSize);
  }
}

TEST(ArchiveWriter, StoresTheDirectoryAsTheFlagsSay) {
  std::vector<ArchiveWriterMember> members = {
      Member("one", BytesOf("first member"), true, true, 1),
      Member("two", Bytes(1000, 'x'), true, false, 2)};
  Bytes plain = Write(members, 0);
  uint32_t directoryOffset = GetLE32(&plain[8]);
  Bytes records = Slice(plain, directoryOffset, 560);
  ASSERT_EQ(plain.size(), directoryOffset + 560u);

  Bytes scrambled = records;
  Descramble(scrambled.data(), 560);
  Bytes compressed = Compress(records.data(), records.size());
  Bytes both = compressed;
  Descramble(both.data(), (uint32_t)both.size());
  const Bytes* expected[4] = {&records, &compressed, &scrambled, &both};

  for (uint32_t flags = 0; flags < 4; flags++) {
    SCOPED_TRACE(flags);
    Bytes image = Write(members, flags);
    EXPECT_EQ(GetLE32(&image[4]), flags);
    EXPECT_EQ(GetLE32(&image[8]), directoryOffset);
    EXPECT_EQ(Slice(image, 0, 4), Slice(plain, 0, 4));
    EXPECT_EQ(Slice(image, 16, directoryOffset - 16),
              Slice(plain, 16, directoryOffset - 16));
    // The directory is the last thing in the image, so for flags 3 the
    // scrambled length is exactly image size - DirectoryOffset.
    EXPECT_EQ(Bytes(image.begin() + directoryOffset, image.end()), *expected[flags]);
  }
}

struct RefusedName {
  const char* Label;
  std::string Name;
};

class RefusedNames : public ::testing::TestWithParam<RefusedName> {};

TEST_P(RefusedNames, AreRefusedWithAReason) {
  Bytes image = BytesOf("left over");
  std::string error;
  EXPECT_FALSE(WriteArchive({Member("fine", BytesOf("x"), true, true),
                             Member(GetParam().Name, BytesOf("y"), true, true)},
                            3, &image, &error));
  EXPECT_FALSE(error.empty());
  EXPECT_TRUE(image.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Table, RefusedNames,
    ::testing::Values(RefusedName{"Empty", ""},
                      RefusedName{"Of260Bytes", std::string(260, 'n')},
                      RefusedName{"Backslash", "data\\patch.dat"},
                      RefusedName{"Slash", "data/patch.dat"},
                      RefusedName{"LeadingBackslash", "\\a"},
                      RefusedName{"SlashAfterLeadByte", "\x83/x"},
                      RefusedName{"ZeroByte", std::string("a\0b", 3)}),
    [](const ::testing::TestParamInfo<RefusedName>& row) {
      return std::string(row.param.Label);
    });

TEST(ArchiveWriter, AcceptsLongestNamesAndDoubleByteBackslashes) {
  // 0x83 0x5C is one double-byte character whose second byte is that of a
  // backslash; it is part of a file name, not a separator.
  for (const std::string& name : {std::string(259, 'n'), std::string("\x83\x5C.txt"),
                                  std::string("..")}) {
    Bytes image;
    std::string error;
    EXPECT_TRUE(WriteArchive({Member(name, BytesOf("y"), false, false)}, 0, &image,
                             &error))
        << error;
    ASSERT_EQ(image.size(), 32u + 280u);
    EXPECT_EQ(memcmp(&image[32], name.data(), name.size()), 0);
    EXPECT_EQ(image[32 + name.size()], 0);
  }
}

TEST(ArchiveWriter, RefusesDirectoryFlagsAboveThree) {
  Bytes image;
  std::string error;
  EXPECT_FALSE(WriteArchive({}, 4, &image, &error));
  EXPECT_FALSE(error.empty());
}

// ---- Read back by the reader -----------------------------------------------

struct RoundTrip {
  uint32_t DirectoryFlags;
  bool Compress;
  bool Scramble;
};

class WriterRoundTrip : public ArchiveScene<::testing::TestWithParam<RoundTrip>> {};

TEST_P(WriterRoundTrip, EveryMemberComesBack) {
  const RoundTrip& c = GetParam();
  Bytes large;
  for (uint32_t i = 0; i < 70000; i++) large.push_back((uint8_t)((i * i) >> 7 ^ i % 13));
  std::vector<Bytes> contents = {BytesOf("[SETUP]\r\nCompanyName=Company\r\n"),
                                 Bytes(), Bytes(17, 'q'), Bytes(16, 0), large};
  std::vector<ArchiveWriterMember> members;
  for (size_t i = 0; i < contents.size(); i++) {
    members.push_back(Member("member" + std::to_string(i) + ".DAT", contents[i],
                             c.Compress, c.Scramble, 133485408000000000ull + i));
  }
  // Shadowed by the first record of the name: never reached by name.
  members.push_back(Member("MEMBER0.dat", BytesOf("shadowed"), c.Compress, c.Scramble));
  Bytes image = Write(members, c.DirectoryFlags);
  ASSERT_EQ(OpenArchiveImage(image.data(), (uint32_t)image.size()), Opened);
  ASSERT_EQ(ArchiveEntryCount(), members.size());

  for (size_t i = 0; i < contents.size(); i++) {
    SCOPED_TRACE(i);
    const uint8_t* stored;
    const ArchiveEntry* entry = LocateMember(members[i].Name.c_str(), &stored);
    ASSERT_NE(entry, nullptr);
    EXPECT_EQ(entry, ArchiveEntryAt((uint32_t)i));
    EXPECT_EQ(((uint64_t)entry->FileTimeHigh << 32) | entry->FileTimeLow,
              members[i].FileTime);
    const uint8_t* content;
    uint8_t* owned;
    int allocFailed;
    ASSERT_TRUE(RestoreMember(entry, stored, &content, &owned, &allocFailed));
    EXPECT_EQ(Bytes(content, content + entry->UnpackedSize), contents[i]);
    if (owned) SysFree(owned);
  }
  const uint8_t* stored;
  EXPECT_EQ(LocateMember("member0.dat", &stored), ArchiveEntryAt(0));
}

INSTANTIATE_TEST_SUITE_P(
    AllCombinations, WriterRoundTrip,
    ::testing::Values(RoundTrip{0, false, false}, RoundTrip{1, true, false},
                      RoundTrip{2, false, true}, RoundTrip{3, true, true},
                      RoundTrip{0, true, true}, RoundTrip{3, false, false},
                      RoundTrip{1, false, true}, RoundTrip{2, true, false}));

TEST(ArchiveWriter, EmptyArchiveOpensUnderEveryFlag) {
  for (uint32_t flags = 0; flags < 4; flags++) {
    SCOPED_TRACE(flags);
    Bytes image = Write({}, flags);
    EXPECT_EQ(GetLE32(&image[8]), 16u);
    EXPECT_EQ(GetLE32(&image[12]), 0u);
    EXPECT_EQ(image.size() == 16u, (flags & 1) == 0);
    ASSERT_EQ(OpenArchiveImage(image.data(), (uint32_t)image.size()), Opened);
    EXPECT_EQ(ArchiveEntryCount(), 0u);
    CloseArchive();
  }
}

TEST(ArchiveWriter, ManyRecordsCompressedDirectory) {
  // A long directory of mostly zero bytes compresses well; the reader must
  // take it back whole.
  std::vector<ArchiveWriterMember> members;
  for (int i = 0; i < 400; i++) {
    members.push_back(Member("f" + std::to_string(i), Bytes(i % 5, 'a'), i % 2 == 0,
                             i % 3 == 0, (uint64_t)i));
  }
  Bytes image = Write(members, 3);
  ASSERT_EQ(OpenArchiveImage(image.data(), (uint32_t)image.size()), Opened);
  ASSERT_EQ(ArchiveEntryCount(), 400u);
  const uint8_t* stored;
  const ArchiveEntry* last = LocateMember("F399", &stored);
  ASSERT_NE(last, nullptr);
  EXPECT_EQ(last->FileTimeLow, 399u);
  EXPECT_EQ(last->UnpackedSize, 4u);
  CloseArchive();
}

}  // namespace
