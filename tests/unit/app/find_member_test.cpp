// Opening the carried archive and reading members into memory with
// FindMember: in place or in a new block, descrambled, the size report, and
// the two error boxes.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "app/shared.h"
#include "archive/archive_writer.h"
#include "archive/embedded.h"
#include "platform/host/host_control.h"

namespace {

typedef std::vector<uint8_t> Bytes;

const char kNotFound[] = "Can't Find File in Resource !!";
const char kNoMemory[] = "Can't Allocate Memory !!";

Bytes BytesOf(const std::string& text) { return Bytes(text.begin(), text.end()); }

class FindMemberTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CloseArchive();
    HostReset();
    strcpy(WindowCaption, "UPDATE");
    DialogWindow = 0;
  }
  void TearDown() override {
    CloseArchive();
    ReleaseFoundMembers();
    EXPECT_EQ(HostLiveAllocations(), 0);
  }

  void Add(const std::string& name, const Bytes& bytes, bool compress,
           bool scramble) {
    ArchiveWriterMember member;
    member.Name = name;
    member.Bytes = bytes;
    member.Compress = compress;
    member.Scramble = scramble;
    members_.push_back(member);
  }

  // Builds the archive, lets `damage` change its bytes, installs it as the
  // program's resource and opens it.
  void Install(uint32_t flags = 3, void (*damage)(Bytes*) = 0) {
    Bytes image;
    std::string error;
    ASSERT_TRUE(WriteArchive(members_, flags, &image, &error)) << error;
    if (damage) damage(&image);
    HostSetArchiveImage(image.data(), (uint32_t)image.size());
    ASSERT_EQ(OpenEmbeddedArchive(0), Opened);
  }

  bool InImage(const uint8_t* bytes) const {
    return bytes >= ArchiveImage.Start && bytes < ArchiveImage.Start + ArchiveImage.Size;
  }

  // The blocks FindMember makes are given back by ReleaseFoundMembers.
  const uint8_t* Find(const char* name, uint32_t* size) {
    return FindMember(name, size);
  }

  void ExpectOneBox(const char* text) {
    ASSERT_EQ(HostMessageBoxCount(), 1);
    const HostMessageBoxRecord* box = HostMessageBox(0);
    EXPECT_STREQ(box->Text, text);
    EXPECT_STREQ(box->Caption, WindowCaption);
    EXPECT_EQ(box->Owner, DialogWindow);
    EXPECT_EQ(box->Style, (uint32_t)(SYS_MB_OK | SYS_MB_ICONERROR));
  }

  std::vector<ArchiveWriterMember> members_;
};

TEST_F(FindMemberTest, ProgramWithoutArchiveHasImageMissing) {
  EXPECT_EQ(OpenEmbeddedArchive(0), ImageMissing);
  EXPECT_EQ(Archive, nullptr);
  EXPECT_EQ(HostLiveAllocations(), 0);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(FindMemberTest, DamagedArchiveIsUnreadable) {
  const uint8_t header[16] = {'J', 'Q', '2', 0, 3, 0, 0, 0, 16, 0, 0, 0, 1, 0, 0, 0};
  HostSetArchiveImage(header, sizeof header);
  EXPECT_EQ(OpenEmbeddedArchive(0), Unreadable);
  EXPECT_EQ(Archive, nullptr);
  EXPECT_EQ(HostMessageBoxCount(), 0) << "start-up reports it, not the reader";
}

TEST_F(FindMemberTest, StoredMemberIsReturnedInPlace) {
  Bytes text = BytesOf("Agreement title");
  Add("TITLE.TXT", text, false, false);
  Install();
  int blocksBefore = HostLiveAllocations();
  uint32_t size = 0;
  const uint8_t* bytes = Find("title.txt", &size);
  ASSERT_NE(bytes, nullptr);
  EXPECT_TRUE(InImage(bytes));
  EXPECT_EQ(size, text.size());
  EXPECT_EQ(Bytes(bytes, bytes + size), text);
  EXPECT_EQ(HostLiveAllocations(), blocksBefore);
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(FindMemberTest, TransformedMembersComeBackInNewBlocks) {
  Bytes text;
  for (int i = 0; i < 2000; i++) text.push_back((uint8_t)("Licence text. "[i % 14]));
  Add("compressed", text, true, false);
  Add("scrambled", text, false, true);
  Add("both", text, true, true);
  Install();
  for (const char* name : {"compressed", "scrambled", "both"}) {
    SCOPED_TRACE(name);
    int blocksBefore = HostLiveAllocations();
    uint32_t size = 0;
    const uint8_t* bytes = Find(name, &size);
    ASSERT_NE(bytes, nullptr);
    EXPECT_FALSE(InImage(bytes));
    EXPECT_EQ(size, text.size());
    EXPECT_EQ(Bytes(bytes, bytes + text.size()), text);
    EXPECT_EQ(HostLiveAllocations(), blocksBefore + 1)
        << "one block stays, any temporary copy is gone";
  }
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(FindMemberTest, SizeIsOptional) {
  Add("a", BytesOf("alpha"), true, true);
  Install();
  const uint8_t* bytes = Find("A", nullptr);
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(memcmp(bytes, "alpha", 5), 0);
}

TEST_F(FindMemberTest, MissingMemberShowsNotFoundAndLeavesSizeAlone) {
  Add("UPDATE.INI", BytesOf("[SETUP]"), true, true);
  Install();
  strcpy(WindowCaption, "Game Update");
  DialogWindow = HostDeclareWindow(SYS_DIALOG_CLASS, "Game Update");
  uint32_t size = 0xDEADBEEF;
  EXPECT_EQ(Find("AGREE.TXT", &size), nullptr);
  EXPECT_EQ(size, 0xDEADBEEFu);
  ExpectOneBox(kNotFound);
  EXPECT_STREQ(HostMessageBox(0)->Caption, "Game Update");
  DialogWindow = 0;
}

TEST_F(FindMemberTest, EmptyOrClosedArchiveFindsNothing) {
  Install();
  uint32_t size = 7;
  EXPECT_EQ(Find("UPDATE.INI", &size), nullptr);
  ExpectOneBox(kNotFound);
  EXPECT_STREQ(HostMessageBox(0)->Caption, "UPDATE");
  CloseArchive();
  EXPECT_EQ(Find("UPDATE.INI", &size), nullptr);
  EXPECT_EQ(HostMessageBoxCount(), 2);
  EXPECT_EQ(size, 7u);
}

void ZeroFirstMember(Bytes* image) {
  // The first member's stored bytes: directory flags 0, record at
  // DirectoryOffset, StoredSize at 276.
  uint32_t directory = (*image)[8] | (*image)[9] << 8 | (*image)[10] << 16 |
                       (uint32_t)(*image)[11] << 24;
  uint32_t stored = (*image)[directory + 276] | (*image)[directory + 277] << 8;
  memset(image->data() + 16, 0, stored);
}

TEST_F(FindMemberTest, UndecodableMemberIsReportedAsNotFound) {
  Add("AGREE.TXT", Bytes(500, 'x'), true, false);
  Install(0, ZeroFirstMember);
  uint32_t size = 1;
  EXPECT_EQ(Find("AGREE.TXT", &size), nullptr);
  EXPECT_EQ(size, 1u);
  ExpectOneBox(kNotFound);
}

TEST_F(FindMemberTest, AllocationFailureShowsNoMemory) {
  Add("big", Bytes(100000, 'b'), true, false);
  Add("scrambled", Bytes(100000, 's'), false, true);
  Add("plain", Bytes(100000, 'p'), false, false);
  Install();
  HostFailAllocationsFrom(100000);
  int blocksBefore = HostLiveAllocations();
  uint32_t size = 3;
  EXPECT_EQ(Find("big", &size), nullptr);
  ExpectOneBox(kNoMemory);
  EXPECT_EQ(Find("scrambled", &size), nullptr);
  EXPECT_EQ(HostMessageBoxCount(), 2);
  EXPECT_STREQ(HostMessageBox(1)->Text, kNoMemory);
  EXPECT_EQ(size, 3u);
  EXPECT_EQ(HostLiveAllocations(), blocksBefore);
  // A member kept as is needs no memory.
  EXPECT_NE(Find("plain", &size), nullptr);
  EXPECT_EQ(size, 100000u);
  EXPECT_EQ(HostMessageBoxCount(), 2);
}

}  // namespace
