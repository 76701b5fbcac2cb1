// The list grammar: blanks, terminators, disk-number prefixes, the cursor,
// and fields that do not fit their buffer.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "settings/profile.h"

namespace {

struct Field {
  std::string text;
  int32_t disk;  // LastDiskNumber after the field
};

struct ListCase {
  const char* value;
  std::vector<Field> fields;
  size_t endOffset;  // where the cursor rests after the call that returns 0
};

// LastDiskNumber starts at 7 in every case, so that a field without prefix
// shows that it left the value alone.
const ListCase kListCases[] = {
    {" x, y ,z", {{"x", 7}, {"y ", 7}, {"z", 7}}, 8},
    {"x,,y", {{"x", 7}}, 2},
    {",x", {}, 0},
    {"", {}, 0},
    {" \t ", {}, 3},
    {"2:x.dat,y.dat,0:z.dat", {{"x.dat", 2}, {"y.dat", 2}, {"z.dat", 0}}, 21},
    {"D:\\x", {{"\\x", 0}}, 4},
    {"3:", {{"", 3}}, 2},
    {"3:,x", {{"", 3}, {"x", 3}}, 4},
    {"3: x", {{" x", 3}}, 4},
    {"12:x", {{"12:x", 7}}, 4},
    {" 5:a", {{"a", 5}}, 4},
    {"a\nb\rc", {{"a", 7}, {"b", 7}, {"c", 7}}, 5},
    {"a\r\nb", {{"a", 7}}, 2},
    {"\x83\x41,\x95\x5C", {{"\x83\x41", 7}, {"\x95\x5C", 7}}, 5},
};

TEST(NextListField, WalksTheListGrammar) {
  for (const ListCase& c : kListCases) {
    SCOPED_TRACE(std::string("value '") + c.value + "'");
    LastDiskNumber = 7;
    const char* cursor = c.value;
    char field[260];
    for (const Field& expected : c.fields) {
      ASSERT_EQ(NextListField(field, &cursor), 1);
      EXPECT_EQ(std::string(field), expected.text);
      EXPECT_EQ(LastDiskNumber, expected.disk);
    }
    EXPECT_EQ(NextListField(field, &cursor), 0);
    EXPECT_EQ((size_t)(cursor - c.value), c.endOffset);
    // The end is final: a further call stays there.
    EXPECT_EQ(NextListField(field, &cursor), 0);
    EXPECT_EQ((size_t)(cursor - c.value), c.endOffset);
  }
}

TEST(NextListField, LeavesTheValueUnchanged) {
  char value[] = " 2:a , b,,c";
  const std::string before = value;
  const char* cursor = value;
  char field[260];
  while (NextListField(field, &cursor)) {
  }
  EXPECT_EQ(std::string(value), before);
}

TEST(NextListField, ValueThatFillsItsBufferEndsAtItsLastByte) {
  // A heap block of exactly the value's size: reading one byte past the NUL
  // is caught by the address sanitizer.
  const char text[] = "ab,cdefghijklmn";
  std::vector<char> value(text, text + sizeof text);
  const char* cursor = value.data();
  char field[260];
  ASSERT_EQ(NextListField(field, &cursor), 1);
  EXPECT_STREQ(field, "ab");
  ASSERT_EQ(NextListField(field, &cursor), 1);
  EXPECT_STREQ(field, "cdefghijklmn");
  EXPECT_EQ(NextListField(field, &cursor), 0);
  EXPECT_EQ(cursor, value.data() + sizeof text - 1);
}

TEST(NextListField, FieldOfAPrefixAtTheEndOfItsBufferStaysInside) {
  const char text[] = "x,4:";
  std::vector<char> value(text, text + sizeof text);
  const char* cursor = value.data();
  char field[260];
  ASSERT_EQ(NextListField(field, &cursor), 1);
  LastDiskNumber = 0;
  ASSERT_EQ(NextListField(field, &cursor), 1);
  EXPECT_STREQ(field, "");
  EXPECT_EQ(LastDiskNumber, 4);
  EXPECT_EQ(NextListField(field, &cursor), 0);
  EXPECT_EQ(cursor, value.data() + sizeof text - 1);
}

TEST(NextListField, FieldOf259CharactersFitsAndLongerIsRefused) {
  char field[260];
  for (const char* prefix : {"", "2:"}) {
    SCOPED_TRACE(std::string("prefix '") + prefix + "'");
    std::string fits = std::string(prefix) + std::string(259, 'a') + ",b";
    LastDiskNumber = 7;
    const char* cursor = fits.c_str();
    ASSERT_EQ(NextListField(field, &cursor), 1);
    EXPECT_EQ(strlen(field), 259u);
    EXPECT_EQ(LastDiskNumber, prefix[0] ? 2 : 7);
    ASSERT_EQ(NextListField(field, &cursor), 1);
    EXPECT_STREQ(field, "b");

    // One character more: refused, nothing of it copied, the disk number
    // left alone, and the cursor on the refused field's first character
    // (past its blanks), where every later call refuses again.
    std::string tooLong = "x,  " + std::string(prefix) + std::string(260, 'a') + ",b";
    LastDiskNumber = 7;
    cursor = tooLong.c_str();
    ASSERT_EQ(NextListField(field, &cursor), 1);
    memset(field, 'Q', sizeof field);
    EXPECT_EQ(NextListField(field, &cursor), 0);
    EXPECT_EQ(field[0], 0);
    EXPECT_EQ(LastDiskNumber, 7);
    EXPECT_EQ(cursor, tooLong.c_str() + 4);
    EXPECT_EQ(NextListField(field, &cursor), 0);
    EXPECT_EQ(cursor, tooLong.c_str() + 4);
  }
}

}  // namespace
