// The [UPDATE] section: update lines, copy lines, NameOffset and the reading
// of both lists.
#include <gtest/gtest.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

#include "settings/update_ini.h"
#include "settings_fixture.h"

namespace {

// The existence check of the tests: records each path and answers with
// checkAnswer.
std::vector<std::string> checkedPaths;
int checkAnswer = 1;
int RecordCheck(const char* path) {
  if (path == nullptr) {
    checkedPaths.push_back("(unreadable)");
    return 0;
  }
  checkedPaths.push_back(path);
  return checkAnswer;
}

struct UpdateLineCase {
  std::string value;
  uint32_t installMode;
  int taken;
  int32_t kind;
  std::string path;
  int32_t nameOffset;
};

const UpdateLineCase kUpdateLineCases[] = {
    {"u, data\\a.dat", 1, 1, Update, "data\\a.dat", 5},
    {"U,a.dat", 1, 1, Update, "a.dat", 0},
    {"u ,a.dat", 1, 1, Plain, "u ", 0},
    {"2,o,x.dll", 2, 1, Overwrite, "x.dll", 0},
    {"2,o,x.dll", 1, 0, 0, "", 0},
    {"12,x.dll", 1, 1, Plain, "12", 0},
    {"2 ,u,x", 1, 1, Plain, "2 ", 0},
    {"a.dat", 1, 1, Plain, "a.dat", 0},
    {"d", 1, 1, Data, "", 0},
    {"D,save\\x.sav", 1, 1, Data, "save\\x.sav", 5},
    {"u,,a.dat", 1, 1, Update, "", 0},
    {",a.dat", 1, 1, Plain, "", 0},
    {"u,C:\\x\\a.dat", 1, 1, Update, "\\x\\a.dat", 3},
    {"u,\x95\x5C\x5C" "a", 1, 1, Update, "\x95\x5C\x5C" "a", 3},
    {"\x95\x5C" "a", 1, 1, Plain, "\x95\x5C" "a", 0},
    {"0,x.dat", 0, 1, Plain, "x.dat", 0},
    {"1,u,x", 1, 1, Update, "x", 0},
    {"1,u,x", 0, 0, 0, "", 0},
    {"1", 1, 1, Plain, "", 0},
    {"u,x,extra", 1, 1, Update, "x", 0},
    {"1,u,x,extra", 1, 1, Update, "x", 0},
    {"dd,x", 1, 1, Plain, "dd", 0},
    {"u\nsub\\x", 1, 1, Update, "sub\\x", 4},
    {"o,a\\b\\", 1, 1, Overwrite, "a\\b\\", 4},
};

TEST(ParseUpdateLine, TakesKindsInstallModesAndPaths) {
  for (const UpdateLineCase& c : kUpdateLineCases) {
    SCOPED_TRACE("line '" + c.value + "' mode " + std::to_string(c.installMode));
    checkedPaths.clear();
    UpdateEntry entry;
    memset(&entry, 0x55, sizeof entry);
    int taken = -1;
    ASSERT_EQ(ParseUpdateLine(c.value.c_str(), c.installMode, RecordCheck,
                              &entry, &taken),
              1);
    EXPECT_EQ(taken, c.taken);
    EXPECT_TRUE(checkedPaths.empty());
    if (taken != 1) continue;
    EXPECT_EQ(entry.Kind, c.kind);
    EXPECT_EQ(std::string(entry.Path), c.path);
    EXPECT_EQ(entry.NameOffset, c.nameOffset);
  }
}

TEST(ParseUpdateLine, ExistenceCheckRunsForEveryModeAndAddsNoEntry) {
  struct {
    const char* value;
    uint32_t installMode;
    const char* path;
  } cases[] = {
      {"e,a.dll", 1, "a.dll"},
      {"E, sub\\a.dll", 1, "sub\\a.dll"},
      {"3,e,a.dll", 1, "a.dll"},
      {"e", 1, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    for (int answer : {1, 0}) {
      checkedPaths.clear();
      checkAnswer = answer;
      UpdateEntry entry;
      int taken = -1;
      EXPECT_EQ(ParseUpdateLine(c.value, c.installMode, RecordCheck, &entry,
                                &taken),
                answer);
      EXPECT_EQ(taken, 0);
      ASSERT_EQ(checkedPaths.size(), 1u);
      EXPECT_EQ(checkedPaths[0], c.path);
    }
  }
  checkAnswer = 1;
}

TEST(ParseUpdateLine, FieldsTooLongForTheirBufferRefuseTheLine) {
  const std::string fits(259, 'p');
  const std::string tooLong(260, 'p');
  UpdateEntry entry;
  int taken = -1;
  checkedPaths.clear();

  ASSERT_EQ(ParseUpdateLine(("u," + fits).c_str(), 1, RecordCheck, &entry, &taken), 1);
  EXPECT_EQ(taken, 1);
  EXPECT_EQ(std::string(entry.Path), fits);

  // A path that does not fit is neither cut nor taken as empty.
  for (const std::string& line :
       {"u," + tooLong, tooLong, "1,u," + tooLong, "1," + tooLong}) {
    SCOPED_TRACE(line.substr(0, 6));
    ASSERT_EQ(ParseUpdateLine(line.c_str(), 1, RecordCheck, &entry, &taken), 1);
    EXPECT_EQ(taken, 0);
  }

  // A long field after the path is ignored as any third field is.
  ASSERT_EQ(ParseUpdateLine(("a.dat," + tooLong).c_str(), 1, RecordCheck, &entry,
                            &taken),
            1);
  EXPECT_EQ(taken, 1);
  EXPECT_STREQ(entry.Path, "a.dat");

  // An existence check that cannot be made fails: the hook hears of it
  // without a path (so that it can report the failure) and reading stops.
  EXPECT_EQ(ParseUpdateLine(("e," + tooLong).c_str(), 1, RecordCheck, &entry,
                            &taken),
            0);
  EXPECT_EQ(taken, 0);
  EXPECT_EQ(checkedPaths, std::vector<std::string>{"(unreadable)"});
}

TEST(FindNameOffset, WalksByCharactersOfTheCodePage) {
  EXPECT_EQ(FindNameOffset(""), 0);
  EXPECT_EQ(FindNameOffset("a.dat"), 0);
  EXPECT_EQ(FindNameOffset("\\a"), 1);
  EXPECT_EQ(FindNameOffset("data\\sub\\a.dat"), 9);
  EXPECT_EQ(FindNameOffset("\x95\x5C\x5C" "a"), 3);
  EXPECT_EQ(FindNameOffset("\x95\x5C" "a"), 0);
  EXPECT_EQ(FindNameOffset("\x83\x5C\x83\x5C"), 0);
  // A lone lead byte before the NUL does not take the NUL with it.
  EXPECT_EQ(FindNameOffset("a\\\x95"), 2);
}

struct CopyLineCase {
  std::string value;
  uint32_t installMode;
  int taken;
  int32_t disk;
  std::string path;
};

const CopyLineCase kCopyLineCases[] = {
    {"1,2:movie\\op.mpg", 1, 1, 2, "movie\\op.mpg"},
    {"1,2:movie\\op.mpg", 2, 0, 0, ""},
    {"2:movie", 1, 1, 2, "movie"},
    {"movie", 1, 1, 0, "movie"},
    {"movie, extra", 1, 1, 0, "movie, extra"},
    {"1, 2:x", 1, 1, 0, " 2:x"},
    {"0:a", 1, 1, 0, "a"},
    {"9:a:b", 1, 1, 9, "a:b"},
    {"a", 1, 1, 0, "a"},
    {"1,", 1, 1, 0, ""},
    {":x", 1, 1, 0, ":x"},
    {"ab:c", 1, 1, 0, "ab:c"},
    {"a,x", 1, 0, 0, ""},
    {"0,3:", 0, 1, 3, ""},
    // A disk character that is not a digit names no disk: refused.
    {"x:movie", 1, 0, 0, ""},
    {"D:\\movie", 1, 0, 0, ""},
    {"1,x:movie", 1, 0, 0, ""},
    {"\x95:movie", 1, 0, 0, ""},
};

TEST(ParseCopyLine, TakesInstallModeDiskAndPathByPosition) {
  for (const CopyLineCase& c : kCopyLineCases) {
    SCOPED_TRACE("line '" + c.value + "' mode " + std::to_string(c.installMode));
    CopyEntry entry;
    memset(&entry, 0x55, sizeof entry);
    ASSERT_EQ(ParseCopyLine(c.value.c_str(), c.installMode, &entry), c.taken);
    if (!c.taken) continue;
    EXPECT_EQ(entry.DiskNumber, c.disk);
    EXPECT_EQ(std::string(entry.Path), c.path);
  }
}

using UpdateLists = SettingsFiles;

TEST_F(UpdateLists, ReadsBothListsInKeyOrderWithTheInstallModeFilter) {
  WriteUpdateIni(
      "[SETUP]\r\n"
      "CompanyName=Maker\r\n"
      "[UPDATE]\r\n"
      "UpdateFile00=u,data\\a.dat\r\n"
      "UpdateFile01=2,o,b.dll\r\n"
      "UpdateFile02=1,d,save\\c.sav\r\n"
      "UpdateFile03=e,game.exe\r\n"
      "UpdateFile04=d.txt\r\n"
      "CopyFile00=1,2:movie\\op.mpg\r\n"
      "CopyFile01=2,3:movie\\ed.mpg\r\n"
      "CopyFile02=extra\r\n");
  QuietMissingKeys = 1;
  checkedPaths.clear();
  checkAnswer = 1;
  ASSERT_EQ(ReadUpdateLists(1, RecordCheck), 1);
  ASSERT_EQ(UpdateList.Count, 3);
  EXPECT_EQ(UpdateList.Entries[0].Kind, Update);
  EXPECT_STREQ(UpdateList.Entries[0].Path, "data\\a.dat");
  EXPECT_EQ(UpdateList.Entries[0].NameOffset, 5);
  EXPECT_EQ(UpdateList.Entries[1].Kind, Data);
  EXPECT_STREQ(UpdateList.Entries[1].Path, "save\\c.sav");
  EXPECT_EQ(UpdateList.Entries[2].Kind, Plain);
  EXPECT_STREQ(UpdateList.Entries[2].Path, "d.txt");
  ASSERT_EQ(checkedPaths.size(), 1u);
  EXPECT_EQ(checkedPaths[0], "game.exe");
  ASSERT_EQ(CopyList.Count, 2);
  EXPECT_EQ(CopyList.Entries[0].DiskNumber, 2);
  EXPECT_STREQ(CopyList.Entries[0].Path, "movie\\op.mpg");
  EXPECT_EQ(CopyList.Entries[1].DiskNumber, 0);
  EXPECT_STREQ(CopyList.Entries[1].Path, "extra");
  EXPECT_EQ(HostMessageBoxCount(), 0);

  // A second reading rebuilds the lists rather than adding to them.
  ASSERT_EQ(ReadUpdateLists(2, RecordCheck), 1);
  EXPECT_EQ(UpdateList.Count, 3);  // a.dat, b.dll, d.txt
  EXPECT_STREQ(UpdateList.Entries[1].Path, "b.dll");
  EXPECT_EQ(CopyList.Count, 2);  // ed.mpg, extra
  EXPECT_STREQ(CopyList.Entries[0].Path, "movie\\ed.mpg");
}

TEST_F(UpdateLists, EachListEndsAtItsFirstMissingKey) {
  WriteUpdateIni(
      "[UPDATE]\r\n"
      "UpdateFile01=a.dat\r\n"
      "UpdateFile0=b.dat\r\n"
      "CopyFile00=one\r\n"
      "CopyFile01=\r\n"
      "CopyFile02=three\r\n");
  QuietMissingKeys = 1;
  UpdateList.Count = 5;
  ASSERT_EQ(ReadUpdateLists(1, RecordCheck), 1);
  EXPECT_EQ(UpdateList.Count, 0);
  ASSERT_EQ(CopyList.Count, 1);
  EXPECT_STREQ(CopyList.Entries[0].Path, "one");
}

TEST_F(UpdateLists, SixteenLinesAtMost) {
  std::string ini = "[UPDATE]\r\n";
  for (int n = 0; n <= 16; n++) {
    char line[64];
    snprintf(line, sizeof line, "UpdateFile%02d=f%d.dat\r\nCopyFile%02d=c%d\r\n",
             n, n, n, n);
    ini += line;
  }
  WriteUpdateIni(ini);
  QuietMissingKeys = 1;
  ASSERT_EQ(ReadUpdateLists(1, RecordCheck), 1);
  ASSERT_EQ(UpdateList.Count, 16);
  EXPECT_STREQ(UpdateList.Entries[15].Path, "f15.dat");
  ASSERT_EQ(CopyList.Count, 16);
  EXPECT_STREQ(CopyList.Entries[15].Path, "c15");
}

TEST_F(UpdateLists, FailedExistenceCheckStopsTheReading) {
  WriteUpdateIni(
      "[UPDATE]\r\n"
      "UpdateFile00=a.dat\r\n"
      "UpdateFile01=3,e,game.exe\r\n"
      "UpdateFile02=b.dat\r\n"
      "UpdateFile03=e,never.exe\r\n"
      "CopyFile00=movie\r\n");
  QuietMissingKeys = 1;
  checkedPaths.clear();
  checkAnswer = 0;
  EXPECT_EQ(ReadUpdateLists(1, RecordCheck), 0);
  checkAnswer = 1;
  ASSERT_EQ(checkedPaths.size(), 1u);
  EXPECT_EQ(checkedPaths[0], "game.exe");
  ASSERT_EQ(UpdateList.Count, 1);
  EXPECT_STREQ(UpdateList.Entries[0].Path, "a.dat");
  EXPECT_EQ(CopyList.Count, 0);
}

TEST_F(UpdateLists, LongCopyLineArrivesCutToItsBuffer) {
  WriteUpdateIni("[UPDATE]\r\nCopyFile00=2:" + std::string(300, 'm') + "\r\n");
  QuietMissingKeys = 1;
  ASSERT_EQ(ReadUpdateLists(1, RecordCheck), 1);
  ASSERT_EQ(CopyList.Count, 1);
  EXPECT_EQ(CopyList.Entries[0].DiskNumber, 2);
  EXPECT_EQ(strlen(CopyList.Entries[0].Path), 257u);
}

}  // namespace
