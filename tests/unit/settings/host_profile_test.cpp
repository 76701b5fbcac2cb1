// The profile reader of the native build: how sections, keys, comments,
// quotes, white space and line ends are read, and how values are cut.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "settings_fixture.h"

namespace {

class HostProfile : public SettingsFiles {
 protected:
  // The value and count the reader gives for the key of C:\TEST.INI.
  std::string Read(const char* section, const char* key, uint32_t* count,
                   const char* fallback = "<none>", uint32_t size = 260) {
    std::vector<char> buffer(size, 'Q');
    *count = SysGetProfileString(section, key, fallback, buffer.data(), size,
                                 "C:\\TEST.INI");
    EXPECT_EQ(buffer[*count], 0);
    return std::string(buffer.data());
  }
};

// The same file with both kinds of line end.
const char* const kProfileLines[] = {
    "; a comment line",
    "Orphan=before any section",
    "[Other]",
    "Name=other",
    "  [ Setup ]  ",
    "  KEY  =  \"  quoted value  \"  ",
    "Name=first",
    "name=second",
    ";Hidden=1",
    "  ; Indented=1",
    "Semicolon=;not a comment",
    "Half=\"abc",
    "Nested=\"\"x\"\"",
    "EmptyQuotes=\"\"",
    "Empty=",
    "Tabs=\tvalue\t",
    "Inner=a = b",
    "NoEquals",
    "Japanese=\x83\x51\x81\x5B\x83\x80",
    "[\x83\x5D]",
    "Dbcs=found",
    "[SETUP]",
    "Late=late",
};

TEST_F(HostProfile, ReadsTheRulesOfTheFileWithEitherLineEnd) {
  for (const char* lineEnd : {"\r\n", "\n"}) {
    SCOPED_TRACE(lineEnd[0] == '\r' ? "CR LF" : "LF");
    std::string ini;
    for (const char* line : kProfileLines) ini += std::string(line) + lineEnd;
    WriteFile("TEST.INI", ini);
    uint32_t count = 0;

    // Names match without regard to case; blanks around the value and one
    // pair of enclosing quotes go, blanks inside the quotes stay.
    EXPECT_EQ(Read("SETUP", "key", &count), "  quoted value  ");
    EXPECT_EQ(count, 16u);
    // The first key of a name wins; other sections do not count.
    EXPECT_EQ(Read("setup", "NAME", &count), "first");
    EXPECT_EQ(Read("Other", "Name", &count), "other");
    // Comments, lines without '=', keys before any section, and keys of a
    // later section of the same name are not found.
    for (const char* missing : {"Hidden", "; Indented", "Indented", "NoEquals",
                                "Orphan", "Late"}) {
      SCOPED_TRACE(missing);
      EXPECT_EQ(Read("SETUP", missing, &count), "<none>");
      EXPECT_EQ(count, 6u);
    }
    EXPECT_EQ(Read("SETUP", "Semicolon", &count), ";not a comment");
    EXPECT_EQ(Read("SETUP", "Half", &count), "\"abc");
    EXPECT_EQ(Read("SETUP", "Nested", &count), "\"x\"");
    EXPECT_EQ(Read("SETUP", "EmptyQuotes", &count), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Read("SETUP", "Empty", &count), "");
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(Read("SETUP", "Tabs", &count), "value");
    EXPECT_EQ(Read("SETUP", "Inner", &count), "a = b");
    // Bytes are kept as they are, and no line end is part of a value.
    EXPECT_EQ(Read("SETUP", "Japanese", &count), "\x83\x51\x81\x5B\x83\x80");
    EXPECT_EQ(count, 6u);
    // The second byte of a double-byte character (0x5D) does not close a
    // section name.
    EXPECT_EQ(Read("\x83\x5D", "Dbcs", &count), "found");
  }
}

TEST_F(HostProfile, CutsToSizeLessOneAndCountsWhatItCopied) {
  WriteFile("TEST.INI", "[S]\nK=abcdef\n");
  uint32_t count = 0;
  EXPECT_EQ(Read("S", "K", &count, "", 4), "abc");
  EXPECT_EQ(count, 3u);
  EXPECT_EQ(Read("S", "K", &count, "", 7), "abcdef");
  EXPECT_EQ(count, 6u);
  EXPECT_EQ(Read("S", "K", &count, "", 1), "");
  EXPECT_EQ(count, 0u);
  // The fallback is cut in the same way.
  EXPECT_EQ(Read("S", "Missing", &count, "fallback", 5), "fall");
  EXPECT_EQ(count, 4u);

  char untouched = 'Q';
  EXPECT_EQ(SysGetProfileString("S", "K", "", &untouched, 0, "C:\\TEST.INI"), 0u);
  EXPECT_EQ(untouched, 'Q');
}

TEST_F(HostProfile, MissingFileGivesTheFallback) {
  uint32_t count = 0;
  EXPECT_EQ(Read("S", "K", &count, "dflt"), "dflt");
  EXPECT_EQ(count, 4u);
  char buffer[16];
  EXPECT_EQ(SysGetProfileString("S", "K", "dflt", buffer, sizeof buffer,
                                "Q:\\TEST.INI"),
            4u);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_EQ(SysGetProfileString("S", "K", "", buffer, sizeof buffer,
                                "C:\\TEST.INI"),
            0u);
  EXPECT_STREQ(buffer, "");
}

TEST_F(HostProfile, FileNamesAreFoundWithoutRegardToCase) {
  WriteFile("test.ini", "[S]\nK=v\n");
  uint32_t count = 0;
  EXPECT_EQ(Read("S", "K", &count), "v");
}

TEST_F(HostProfile, FileWithoutAFinalLineEndKeepsItsLastKey) {
  WriteFile("TEST.INI", "[S]\r\nK=last");
  uint32_t count = 0;
  EXPECT_EQ(Read("S", "K", &count), "last");
}

}  // namespace
