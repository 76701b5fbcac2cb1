// The archive reader on hand-built images: the four ways of storing the
// directory, member offsets and name lookup, restoring members, and images
// whose header, directory or records do not fit the bytes they came with.
#include <gtest/gtest.h>

#include <functional>

#include "archive/container.h"
#include "archive/descramble.h"
#include "archive_bytes.h"
#include "platform/host/host_control.h"

namespace {

using namespace archive_bytes;

// Test names from the table rows' labels.
template <typename Row>
std::string LabelOf(const ::testing::TestParamInfo<Row>& row) {
  return row.param.Label;
}

struct MemberLayout {
  RecordFields Fields;
  Bytes Stored;  // the bytes as they lie in the image
};

// A member kept as is (entry Flags 1, not scrambled).
MemberLayout Plain(const std::string& name, const Bytes& content) {
  MemberLayout member;
  member.Fields.Name = name;
  member.Fields.UnpackedSize = member.Fields.StoredSize =
      (uint32_t)content.size();
  member.Stored = content;
  return member;
}

Bytes RecordsOf(const std::vector<MemberLayout>& members) {
  Bytes records;
  for (const MemberLayout& member : members) Append(&records, Record(member.Fields));
  return records;
}

// Header, members padded to 16, then the directory stored as `flags` say,
// followed by `trailing`. A compressed directory is a stream of literals;
// with flags 3 the trailing bytes belong to the scrambled tail, as they do
// when an archive was built with them, and `scrambleLength` (when not 0)
// overrides the length the tail is scrambled with.
Bytes ImageOf(const std::vector<MemberLayout>& members, uint32_t flags,
              const Bytes& trailing = Bytes(), uint32_t scrambleLength = 0) {
  Bytes image(16, 0);
  for (const MemberLayout& member : members) {
    Append(&image, member.Stored);
    PadTo16(&image);
  }
  uint32_t directoryOffset = (uint32_t)image.size();
  Bytes tail = RecordsOf(members);
  if (flags & 1) tail = LiteralStream(tail);
  uint32_t directoryLength = (uint32_t)tail.size();
  Append(&tail, trailing);
  if (flags & 2) {
    uint32_t length = scrambleLength;
    if (length == 0) length = (flags & 1) ? (uint32_t)tail.size() : directoryLength;
    EXPECT_LE(length, tail.size());
    Descramble(tail.data(), length);
  }
  Append(&image, tail);
  Bytes header = Header(flags, directoryOffset, (uint32_t)members.size());
  memcpy(image.data(), header.data(), 16);
  return image;
}

class Container : public ArchiveScene<::testing::Test> {
 protected:
  ArchiveOpenResult Open(const Bytes& image) {
    image_ = image;
    return OpenArchiveImage(image_.data(), (uint32_t)image_.size());
  }

  // Offset of the member's stored bytes in the image, or -1 when not found.
  long OffsetOf(const char* name) {
    const uint8_t* stored = 0;
    const ArchiveEntry* entry = LocateMember(name, &stored);
    if (entry == 0) {
      EXPECT_EQ(stored, nullptr);
      return -1;
    }
    return (long)(stored - image_.data());
  }

  // The member's content as RestoreMember gives it; owned blocks released.
  bool Restore(const char* name, Bytes* content, bool* inPlace = 0,
               int* allocFailed = 0) {
    const uint8_t* stored;
    const ArchiveEntry* entry = LocateMember(name, &stored);
    if (entry == 0) return false;
    const uint8_t* bytes;
    uint8_t* owned;
    int failed;
    if (!RestoreMember(entry, stored, &bytes, &owned, &failed)) {
      EXPECT_EQ(owned, nullptr);
      if (allocFailed) *allocFailed = failed;
      return false;
    }
    content->assign(bytes, bytes + entry->UnpackedSize);
    if (inPlace) *inPlace = bytes == stored && owned == 0;
    if (owned) {
      EXPECT_EQ(bytes, owned);
      SysFree(owned);
    }
    return true;
  }

  Bytes image_;
};

// ---- The four directory encodings ----------------------------------------

class DirectoryFlags : public Container,
                       public ::testing::WithParamInterface<uint32_t> {};

TEST_P(DirectoryFlags, DecodesRecordsAndIgnoresTrailingBytes) {
  std::vector<MemberLayout> members = {Plain("UPDATE.INI", BytesOf("[SETUP]\r\n")),
                                     Plain("b.dat", BytesOf("0123456789abcdefX"))};
  members[1].Fields.FileTime = 0x01D9A0B1C2D3E4F5ull;
  // Five further bytes: they follow an uncompressed directory or a stream's
  // end code, and with flags 3 they lengthen the scrambled tail to a length
  // that is not a multiple of 4, so the key differs from the stream's own.
  Bytes image = ImageOf(members, GetParam(), BytesOf("\x11\x22\x33\x44\x55"));
  ASSERT_EQ(Open(image), Opened);
  ASSERT_EQ(ArchiveEntryCount(), 2u);
  Bytes records = RecordsOf(members);
  EXPECT_EQ(memcmp(ArchiveEntryAt(0), records.data(), 560), 0);
  EXPECT_EQ(memcmp(Archive, image.data(), 16), 0) << "header copy";
  EXPECT_EQ(ArchiveEntryAt(1)->FileTimeHigh, 0x01D9A0B1u);
  EXPECT_EQ(ArchiveEntryAt(2), nullptr);
  EXPECT_EQ(OffsetOf("UPDATE.INI"), 16);
  EXPECT_EQ(OffsetOf("b.dat"), 32);
  EXPECT_EQ(HostLiveAllocations(), 1) << "only the Archive block stays";
}

INSTANTIATE_TEST_SUITE_P(AllFlags, DirectoryFlags, ::testing::Values(0u, 1u, 2u, 3u));

TEST_F(Container, ScrambledCompressedDirectoryIsKeyedByTheWholeTail) {
  std::vector<MemberLayout> members = {Plain("a", BytesOf("x"))};
  Bytes trailing = BytesOf("\x01\x02\x03");
  Bytes stream = LiteralStream(RecordsOf(members));
  // Scrambled over the stream alone, not over the tail that includes the
  // three further bytes: the reader must not find the records.
  Bytes wrong = ImageOf(members, 3, trailing, (uint32_t)stream.size());
  EXPECT_EQ(Open(wrong), Unreadable);
  Bytes right = ImageOf(members, 3, trailing);
  EXPECT_EQ(Open(right), Opened);
}

TEST_F(Container, ScrambledUncompressedDirectoryIsKeyedByItsRecords) {
  std::vector<MemberLayout> members = {Plain("a", BytesOf("x"))};
  Bytes trailing(13, 0xEE);
  // Scrambled over records and further bytes together: the records then
  // come out wrong, since the reader descrambles 280 bytes only.
  Bytes wrong = ImageOf(members, 2, trailing, 280 + 13);
  ASSERT_EQ(Open(wrong), Opened);
  EXPECT_EQ(OffsetOf("a"), -1);
  Bytes right = ImageOf(members, 2, trailing);
  ASSERT_EQ(Open(right), Opened);
  EXPECT_EQ(OffsetOf("a"), 16);
}

TEST_F(Container, EmptyDirectoryOpensWithHeaderOnlyBlock) {
  for (uint32_t flags = 0; flags < 4; flags++) {
    SCOPED_TRACE(flags);
    ASSERT_EQ(Open(ImageOf({}, flags)), Opened);
    EXPECT_EQ(ArchiveEntryCount(), 0u);
    EXPECT_EQ(ArchiveEntryAt(0), nullptr);
    EXPECT_EQ(OffsetOf("UPDATE.INI"), -1);
    EXPECT_EQ(OffsetOf(""), -1);
    EXPECT_EQ(HostLiveAllocations(), 1);
    CloseArchive();
  }
}

TEST_F(Container, MagicIsNotTested) {
  Bytes image = ImageOf({Plain("a", BytesOf("x"))}, 0);
  memcpy(image.data(), "ZIP!", 4);
  ASSERT_EQ(Open(image), Opened);
  EXPECT_EQ(OffsetOf("a"), 16);
}

// ---- Lookup -------------------------------------------------------------

TEST_F(Container, NamesCompareWithoutRegardToCaseFirstRecordWins) {
  std::vector<MemberLayout> members = {Plain("UPDATE.INI", BytesOf("first")),
                                     Plain("Readme.txt", BytesOf("second")),
                                     Plain("README.TXT", BytesOf("third")),
                                     Plain("readme.txt", BytesOf("fourth"))};
  ASSERT_EQ(Open(ImageOf(members, 0)), Opened);
  EXPECT_EQ(OffsetOf("update.ini"), 16);
  EXPECT_EQ(OffsetOf("Update.Ini"), 16);
  for (const char* spelling : {"readme.txt", "README.TXT", "ReadMe.Txt"}) {
    SCOPED_TRACE(spelling);
    const uint8_t* stored;
    EXPECT_EQ(LocateMember(spelling, &stored), ArchiveEntryAt(1));
    EXPECT_EQ(stored - image_.data(), 32);
  }
  EXPECT_EQ(OffsetOf("UPDATE.IN"), -1);
  EXPECT_EQ(OffsetOf("UPDATE.INI "), -1);
  EXPECT_EQ(OffsetOf(nullptr), -1);
}

struct OffsetCase {
  uint32_t FirstStoredSize;
  long SecondOffset;
};

class MemberOffsets : public Container,
                      public ::testing::WithParamInterface<OffsetCase> {};

TEST_P(MemberOffsets, FollowPaddedStoredSizes) {
  const OffsetCase& c = GetParam();
  std::vector<MemberLayout> members = {Plain("first", Bytes(c.FirstStoredSize, 0xAB)),
                                     Plain("second", BytesOf("2nd")),
                                     Plain("third", BytesOf("3"))};
  ASSERT_EQ(Open(ImageOf(members, 0)), Opened);
  EXPECT_EQ(OffsetOf("first"), 16);
  EXPECT_EQ(OffsetOf("second"), c.SecondOffset);
  EXPECT_EQ(OffsetOf("third"), c.SecondOffset + 16);
  Bytes content;
  ASSERT_TRUE(Restore("second", &content));
  EXPECT_EQ(content, BytesOf("2nd"));
}

INSTANTIATE_TEST_SUITE_P(Sizes, MemberOffsets,
                         ::testing::Values(OffsetCase{0, 16}, OffsetCase{1, 32},
                                           OffsetCase{15, 32}, OffsetCase{16, 32},
                                           OffsetCase{17, 48}, OffsetCase{32, 48},
                                           OffsetCase{33, 64}));

// Records whose stored bytes or names do not fit: looked up, never found,
// and never read outside the image or outside the record.
struct LookupCase {
  const char* Label;
  std::function<void(std::vector<MemberLayout>*)> Damage;
  const char* Name;
};

class DamagedRecords : public Container,
                       public ::testing::WithParamInterface<LookupCase> {};

TEST_P(DamagedRecords, AreNotFound) {
  std::vector<MemberLayout> members = {Plain("one", BytesOf("1111")),
                                     Plain("two", BytesOf("2222")),
                                     Plain("three", BytesOf("3333"))};
  GetParam().Damage(&members);
  ASSERT_EQ(Open(ImageOf(members, 0)), Opened);
  EXPECT_EQ(OffsetOf(GetParam().Name), -1);
  // The others stay reachable as long as the walk still reaches them.
  EXPECT_EQ(OffsetOf("one"), 16);
}

const LookupCase kDamagedRecords[] = {
    {"StoredSizeReachesIntoDirectory",
     [](std::vector<MemberLayout>* m) { (*m)[2].Fields.StoredSize = 17; }, "three"},
    {"StoredSizeBeyondImage",
     [](std::vector<MemberLayout>* m) { (*m)[1].Fields.StoredSize = 0xFFFFFFFFu; },
     "two"},
    {"OffsetWouldWrapAround",  // 32 + 0xFFFFFFF0 is 16 again in 32 bits
     [](std::vector<MemberLayout>* m) { (*m)[1].Fields.StoredSize = 0xFFFFFFF0u; },
     "three"},
    {"PaddingWouldWrapToZero",  // 0xFFFFFFF5 + 15 rounds to 0 in 32 bits
     [](std::vector<MemberLayout>* m) { (*m)[1].Fields.StoredSize = 0xFFFFFFF5u; },
     "three"},
    {"OffsetAndSizeOverflow",
     [](std::vector<MemberLayout>* m) {
       (*m)[1].Fields.StoredSize = 0x7FFFFFF0u;
       (*m)[2].Fields.StoredSize = 0x90000000u;
     },
     "three"},
    {"FirstOfTheNameIsBroken",  // a later good record of the name is not used
     [](std::vector<MemberLayout>* m) {
       (*m)[1].Fields.StoredSize = 0x10000000u;
       m->push_back(Plain("TWO", BytesOf("good")));
     },
     "two"},
    {"UnterminatedNameLast",  // the last record: reading past it leaves the block
     [](std::vector<MemberLayout>* m) { (*m)[2].Fields.Name = std::string(260, 'N'); },
     "NNNNNNNNNN"},
};

INSTANTIATE_TEST_SUITE_P(Table, DamagedRecords, ::testing::ValuesIn(kDamagedRecords),
                         LabelOf<LookupCase>);

TEST_F(Container, UnterminatedNameNeverMatchesItsOwnBytes) {
  std::string full(260, 'N');
  std::vector<MemberLayout> members = {Plain(full, BytesOf("x")),
                                     Plain("after", BytesOf("y"))};
  // Flags 0 (only bit 1 is read): the byte after the field is then a zero,
  // so a comparison that ran past the field would see the name "N" * 260.
  members[0].Fields.Flags = 0;
  ASSERT_EQ(Open(ImageOf(members, 0)), Opened);
  EXPECT_EQ(OffsetOf(full.c_str()), -1);
  EXPECT_EQ(OffsetOf(std::string(259, 'N').c_str()), -1);
  EXPECT_EQ(OffsetOf("after"), 32) << "the record still occupies its bytes";
}

// ---- Restoring members ---------------------------------------------------

TEST_F(Container, RestoresEachStorageForm) {
  Bytes text = BytesOf("License agreement text, repeated: abcabcabcabc");
  Bytes stream = LiteralStream(text);
  MemberLayout plain = Plain("plain", text);
  MemberLayout scrambled = Plain("scrambled", text);
  scrambled.Fields.Scrambled = 1;
  Descramble(scrambled.Stored.data(), (uint32_t)text.size());
  MemberLayout compressed = Plain("compressed", stream);
  compressed.Fields.Flags = 2;
  compressed.Fields.UnpackedSize = (uint32_t)text.size();
  MemberLayout both = compressed;
  both.Fields.Name = "both";
  both.Fields.Scrambled = 1;
  Descramble(both.Stored.data(), (uint32_t)stream.size());
  MemberLayout otherMarker = Plain("marker2", text);  // only 1 means scrambled
  otherMarker.Fields.Scrambled = 2;
  MemberLayout flagsThree = compressed;  // only bit 1 of Flags is read
  flagsThree.Fields.Name = "flags3";
  flagsThree.Fields.Flags = 3;

  ASSERT_EQ(Open(ImageOf({plain, scrambled, compressed, both, otherMarker,
                          flagsThree}, 3)), Opened);
  Bytes before = image_;
  for (const char* name : {"plain", "scrambled", "compressed", "both", "marker2",
                           "flags3"}) {
    SCOPED_TRACE(name);
    Bytes content;
    bool inPlace = false;
    ASSERT_TRUE(Restore(name, &content, &inPlace));
    EXPECT_EQ(content, text);
    bool storedAsIs = strcmp(name, "plain") == 0 || strcmp(name, "marker2") == 0;
    EXPECT_EQ(inPlace, storedAsIs);
  }
  EXPECT_EQ(image_, before) << "the image is only read";
}

TEST_F(Container, MostCompressedStreamStillRestores) {
  // The refusal of impossible expansions must not catch the real extreme.
  MemberLayout member = Plain("m", RepeatStream('z', 2000));
  member.Fields.Flags = 2;
  member.Fields.UnpackedSize = 1 + 282 * 2000;
  ASSERT_EQ(Open(ImageOf({member}, 0)), Opened);
  Bytes content;
  ASSERT_TRUE(Restore("m", &content));
  EXPECT_EQ(content, Bytes(1 + 282 * 2000, 'z'));
}

TEST_F(Container, UncompressedMemberShorterContentIsItsPrefix) {
  MemberLayout member = Plain("m", BytesOf("abcdef"));
  member.Fields.UnpackedSize = 3;
  MemberLayout longer = Plain("longer", BytesOf("abc"));
  longer.Fields.UnpackedSize = 4;  // would be read past its stored bytes
  ASSERT_EQ(Open(ImageOf({member, longer}, 0)), Opened);
  Bytes content;
  ASSERT_TRUE(Restore("m", &content));
  EXPECT_EQ(content, BytesOf("abc"));
  int allocFailed = -1;
  EXPECT_FALSE(Restore("longer", &content, 0, &allocFailed));
  EXPECT_EQ(allocFailed, 0);
}

struct RestoreFailure {
  const char* Label;
  std::function<MemberLayout()> Member;
  uint32_t FailAllocationsFrom;  // 0: memory is plentiful
  int AllocFailed;
};

class RestoreFailures : public Container,
                        public ::testing::WithParamInterface<RestoreFailure> {};

TEST_P(RestoreFailures, ReleaseEverything) {
  const RestoreFailure& c = GetParam();
  ASSERT_EQ(Open(ImageOf({c.Member()}, 0)), Opened);
  HostFailAllocationsFrom(c.FailAllocationsFrom);
  Bytes content;
  int allocFailed = -1;
  EXPECT_FALSE(Restore("m", &content, 0, &allocFailed));
  EXPECT_EQ(allocFailed, c.AllocFailed);
  EXPECT_EQ(HostLiveAllocations(), 1);
}

MemberLayout CompressedMember(const Bytes& content, bool scrambled) {
  Bytes stream = LiteralStream(content);
  MemberLayout member = Plain("m", stream);
  member.Fields.Flags = 2;
  member.Fields.UnpackedSize = (uint32_t)content.size();
  if (scrambled) {
    member.Fields.Scrambled = 1;
    Descramble(member.Stored.data(), (uint32_t)stream.size());
  }
  return member;
}

const RestoreFailure kRestoreFailures[] = {
    {"StreamCutShort",
     [] {
       MemberLayout m = CompressedMember(Bytes(40, 'q'), false);
       m.Fields.StoredSize -= 2;  // the end code is no longer there
       return m;
     },
     0, 0},
    {"StreamShorterThanUnpackedSize",
     [] {
       MemberLayout m = CompressedMember(Bytes(40, 'q'), true);
       m.Fields.UnpackedSize = 41;
       return m;
     },
     0, 0},
    {"StreamLongerThanUnpackedSize",
     [] {
       MemberLayout m = CompressedMember(Bytes(40, 'q'), false);
       m.Fields.UnpackedSize = 39;
       return m;
     },
     0, 0},
    {"ZeroStream",  // reaches back before the start of the output
     [] {
       MemberLayout m = Plain("m", Bytes(16, 0));
       m.Fields.Flags = 2;
       m.Fields.UnpackedSize = 100;
       return m;
     },
     0, 0},
    {"ExpansionImpossibleRefusedBeforeAllocating",
     [] {
       MemberLayout m = CompressedMember(Bytes(), false);
       m.Fields.UnpackedSize = 0x80000000u;
       return m;
     },
     1u << 20, 0},
    {"NoMemoryForDescrambledCopy",
     [] { return CompressedMember(Bytes(200, 'z'), true); }, 16, 1},
    {"NoMemoryForExpandedBlock",  // the copy (about 40 bytes) can be had
     [] {
       MemberLayout m = Plain("m", RepeatStream('z', 14));
       m.Fields.Flags = 2;
       m.Fields.Scrambled = 1;
       m.Fields.UnpackedSize = 1 + 282 * 14;
       return m;
     },
     1 + 282 * 14, 1},
    {"NoMemoryForUncompressedCopy",
     [] {
       MemberLayout m = Plain("m", Bytes(64, 'u'));
       m.Fields.Scrambled = 1;
       return m;
     },
     64, 1},
};

INSTANTIATE_TEST_SUITE_P(Table, RestoreFailures, ::testing::ValuesIn(kRestoreFailures),
                         LabelOf<RestoreFailure>);

// ---- Images that cannot be opened ----------------------------------------

struct MalformedImage {
  const char* Label;
  std::function<Bytes()> Build;
};

class MalformedImages : public Container,
                        public ::testing::WithParamInterface<MalformedImage> {};

TEST_P(MalformedImages, AreUnreadableAndLeaveNothingBehind) {
  Bytes image = GetParam().Build();
  EXPECT_EQ(Open(image), Unreadable);
  EXPECT_EQ(Archive, nullptr);
  EXPECT_EQ(ArchiveEntryCount(), 0u);
  EXPECT_EQ(OffsetOf("a"), -1);
  EXPECT_EQ(HostLiveAllocations(), 0);
}

Bytes OneMember(uint32_t flags) { return ImageOf({Plain("a", BytesOf("abc"))}, flags); }

Bytes WithHeader(Bytes image, uint32_t flags, uint32_t offset, uint32_t count) {
  Bytes header = Header(flags, offset, count);
  memcpy(image.data(), header.data(), 16);
  return image;
}

const MalformedImage kMalformedImages[] = {
    {"Empty", [] { return Bytes(); }},
    {"ShorterThanHeader", [] { Bytes b = OneMember(0); b.resize(15); return b; }},
    {"DirectoryOffsetInsideHeader", [] { return WithHeader(OneMember(0), 0, 8, 1); }},
    {"DirectoryOffsetZero", [] { return WithHeader(OneMember(0), 0, 0, 0); }},
    {"DirectoryOffsetBeyondEnd",
     [] { Bytes b = OneMember(0); return WithHeader(b, 0, (uint32_t)b.size() + 1, 0); }},
    {"DirectoryOffsetHuge", [] { return WithHeader(OneMember(0), 0, 0xFFFFFFF0u, 0); }},
    {"UncompressedDirectoryOneByteShort",
     [] { Bytes b = OneMember(0); b.pop_back(); return b; }},
    {"TruncatedInsideDirectory",
     [] { Bytes b = OneMember(2); b.resize(b.size() - 100); return b; }},
    {"EntryCountOneTooMany", [] { return WithHeader(OneMember(0), 0, 32, 2); }},
    {"EntryCountOverflows32Bits",  // 15339169 * 280 + 16 > 2^32 - 1
     [] { return WithHeader(OneMember(0), 0, 32, 15339169u); }},
    {"EntryCountAllOnes", [] { return WithHeader(OneMember(1), 1, 32, 0xFFFFFFFFu); }},
    {"EntryCountLargestBlock",  // 15339168 * 280 + 16 just fits in 32 bits
     [] { return WithHeader(OneMember(0), 0, 32, 15339168u); }},
    {"EntryCountLargestBlockCompressed",
     [] { return WithHeader(OneMember(1), 1, 32, 15339168u); }},
    {"EntryCountAbsurdForCompressedTail",
     [] { return WithHeader(OneMember(1), 1, 32, 10000000u); }},
    {"CompressedDirectoryCutShort",
     [] { Bytes b = OneMember(1); b.resize(b.size() - 3); return b; }},
    {"CompressedDirectoryGarbage",
     [] {
       Bytes b = OneMember(1);
       for (size_t i = 32; i < b.size(); i++) b[i] = (uint8_t)(i * 37);
       return b;
     }},
    {"CompressedDirectoryTooFewRecords",
     [] { return WithHeader(OneMember(1), 1, 32, 2); }},
    {"CompressedDirectoryEmptyTail",
     [] { Bytes b = OneMember(0); return WithHeader(b, 1, (uint32_t)b.size(), 0); }},
    {"CompressedDirectoryNotDescrambled",  // scrambled, but Flags say only compressed
     [] { Bytes b = OneMember(3); return WithHeader(b, 1, 32, 1); }},
};

INSTANTIATE_TEST_SUITE_P(Table, MalformedImages, ::testing::ValuesIn(kMalformedImages),
                         LabelOf<MalformedImage>);

TEST_F(Container, OpeningWithoutMemoryReleasesEverything) {
  // The Archive block (16 + 280 bytes) cannot be had.
  Bytes image = OneMember(0);
  HostFailAllocationsFrom(296);
  EXPECT_EQ(Open(image), Unreadable);
  EXPECT_EQ(HostLiveAllocations(), 0);
  HostFailAllocationsFrom(297);
  EXPECT_EQ(Open(image), Opened);
  CloseArchive();

  // The block can be had, the copy of a long compressed tail cannot.
  Bytes padded = ImageOf({Plain("a", BytesOf("abc"))}, 1, Bytes(1000, 0x5A));
  uint32_t tail = (uint32_t)padded.size() - 32;
  HostFailAllocationsFrom(tail);
  EXPECT_EQ(Open(padded), Unreadable);
  EXPECT_EQ(HostLiveAllocations(), 0);
  HostFailAllocationsFrom(tail + 1);
  EXPECT_EQ(Open(padded), Opened);
}

TEST_F(Container, ReopeningAndClosingReleaseTheBlock) {
  ASSERT_EQ(Open(OneMember(0)), Opened);
  ASSERT_EQ(Open(OneMember(3)), Opened);
  EXPECT_EQ(HostLiveAllocations(), 1);
  CloseArchive();
  EXPECT_EQ(Archive, nullptr);
  EXPECT_EQ(HostLiveAllocations(), 0);
  EXPECT_EQ(OffsetOf("a"), -1);
  CloseArchive();
  EXPECT_EQ(HostLiveAllocations(), 0);
}

TEST_F(Container, MemberAtIndexReachesShadowedRecords) {
  std::vector<MemberLayout> members = {Plain("same", BytesOf("first")),
                                     Plain("SAME", BytesOf("second")),
                                     Plain("big", BytesOf("x"))};
  members[2].Fields.StoredSize = 1000;
  ASSERT_EQ(Open(ImageOf(members, 0)), Opened);
  const uint8_t* stored;
  EXPECT_EQ(ArchiveMemberAt(1, &stored), ArchiveEntryAt(1));
  EXPECT_EQ(stored - image_.data(), 32);
  EXPECT_EQ(ArchiveMemberAt(2, &stored), ArchiveEntryAt(2));
  EXPECT_EQ(stored, nullptr) << "bytes beyond the directory";
  EXPECT_EQ(ArchiveMemberAt(3, &stored), nullptr);
  EXPECT_EQ(stored, nullptr);
}

}  // namespace
