// Reading keys of the two settings files: missing and empty keys, the
// "DOZARUZO" box and QuietMissingKeys, values longer than their buffer.
#include <gtest/gtest.h>
#include <string.h>

#include <string>
#include <vector>

#include "settings/profile.h"
#include "settings_fixture.h"

namespace {

using ProfileKeys = SettingsFiles;

TEST_F(ProfileKeys, ReadUpdateKeyReportsAMissingKeyInTheSetupErrorBox) {
  WriteUpdateIni("[SETUP]\r\nCompanyName=Maker\r\nGameDir=\r\n");
  DialogWindow = (SysWindow)(uintptr_t)0x4321;
  char value[260];
  ASSERT_EQ(ReadUpdateKey("SETUP", "CompanyName", value, sizeof value), 1);
  EXPECT_STREQ(value, "Maker");
  EXPECT_EQ(HostMessageBoxCount(), 0);

  // An empty value is the same failure as an absent key.
  memset(value, 'Q', sizeof value);
  EXPECT_EQ(ReadUpdateKey("SETUP", "GameDir", value, sizeof value), 0);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(ReadUpdateKey("UPDATE", "UpdateFile00", value, sizeof value), 0);
  ASSERT_EQ(HostMessageBoxCount(), 2);
  const HostMessageBoxRecord* box = HostMessageBox(0);
  EXPECT_STREQ(box->Text, "SETUP : GameDir キーが存在しません");
  EXPECT_STREQ(box->Caption, "DOZARUZO");
  EXPECT_EQ(box->Style, SYS_MB_ICONERROR);
  EXPECT_EQ(box->Owner, DialogWindow);
  EXPECT_STREQ(HostMessageBox(1)->Text, "UPDATE : UpdateFile00 キーが存在しません");
}

TEST_F(ProfileKeys, QuietMissingKeysSilencesBothReaders) {
  WriteUpdateIni("[SETUP]\r\nCompanyName=Maker\r\n");
  WriteSetupIni("[SETUP]\r\nGameExe=game.exe\r\n");
  QuietMissingKeys = 1;
  char value[260];
  memset(value, 'Q', sizeof value);
  EXPECT_EQ(ReadUpdateKey("SETUP", "GameDir", value, sizeof value), 0);
  EXPECT_STREQ(value, "");
  memset(value, 'Q', sizeof value);
  EXPECT_EQ(ReadSetupKey("UninstExe", value, sizeof value), 0);
  EXPECT_STREQ(value, "");
  EXPECT_EQ(HostMessageBoxCount(), 0);
}

TEST_F(ProfileKeys, ReadSetupKeyReadsSectionSetupOfSetupIni) {
  // The same key in both files and in another section of SETUP.INI: only
  // [SETUP] of the file at SetupIniPath counts.
  WriteUpdateIni("[SETUP]\r\nGameTitle=FromUpdate\r\n");
  WriteSetupIni("[OTHER]\r\nGameTitle=Other\r\nOnlyHere=1\r\n"
                "[SETUP]\r\nGameTitle=\x83\x51\x81\x5B\x83\x80\r\n");
  char value[260];
  ASSERT_EQ(ReadSetupKey("GameTitle", value, sizeof value), 1);
  EXPECT_STREQ(value, "\x83\x51\x81\x5B\x83\x80");
  EXPECT_EQ(ReadSetupKey("OnlyHere", value, sizeof value), 0);
  ASSERT_EQ(HostMessageBoxCount(), 1);
  EXPECT_STREQ(HostMessageBox(0)->Text, "SETUP.INI : OnlyHere キーが存在しません");
  EXPECT_STREQ(HostMessageBox(0)->Caption, "DOZARUZO");
}

TEST_F(ProfileKeys, MissingFileReadsAsAFileWithoutKeys) {
  strcpy(SetupIniPath, "C:\\Nowhere\\SETUP.INI");
  strcpy(UpdateIniPath, "Q:\\UPDATE.INI");  // a drive that is not mapped
  QuietMissingKeys = 1;
  char value[260];
  EXPECT_EQ(ReadSetupKey("GameTitle", value, sizeof value), 0);
  EXPECT_EQ(ReadUpdateKey("SETUP", "GameTitle", value, sizeof value), 0);
  EXPECT_STREQ(value, "");
}

TEST_F(ProfileKeys, LongValueArrivesCutAndNulEndedInsideItsBuffer) {
  WriteUpdateIni("[UPDATE]\r\nUpdateFile00=u,abcdefghij\r\n");
  // Exactly sized heap blocks: a write past the end is caught by the
  // address sanitizer.
  for (uint32_t size : {1u, 2u, 8u, 13u, 14u}) {
    SCOPED_TRACE(size);
    std::vector<char> value(size, 'Q');
    int found = ReadUpdateKey("UPDATE", "UpdateFile00", value.data(), size);
    std::string expected = std::string("u,abcdefghij").substr(0, size - 1);
    EXPECT_EQ(found, expected.empty() ? 0 : 1);
    EXPECT_EQ(std::string(value.data()), expected);
    EXPECT_EQ(value[size - 1], 0);
  }
}

TEST_F(ProfileKeys, ListValueThatFillsItsBufferEndsInsideIt) {
  WriteUpdateIni("[UPDATE]\r\nUpdateFile00=u,abc,defghij\r\n");
  char value[10];
  ASSERT_EQ(ReadUpdateKey("UPDATE", "UpdateFile00", value, sizeof value), 1);
  const char* cursor = value;
  char field[260];
  ASSERT_EQ(NextListField(field, &cursor), 1);
  ASSERT_EQ(NextListField(field, &cursor), 1);
  ASSERT_EQ(NextListField(field, &cursor), 1);
  EXPECT_STREQ(field, "def");
  EXPECT_EQ(NextListField(field, &cursor), 0);
  EXPECT_EQ(cursor, value + 9);
}

}  // namespace
