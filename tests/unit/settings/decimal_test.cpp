// Decimal numbers of the settings files: ConvertDecimal and ReadSetupNumber.
#include <gtest/gtest.h>

#include <string>

#include "settings/profile.h"
#include "settings_fixture.h"

namespace {

struct DecimalCase {
  std::string text;
  int32_t value;
};

const DecimalCase kDecimalCases[] = {
    {"3", 3},
    {" 3abc", 3},
    {"abc", 0},
    {"", 0},
    {"0", 0},
    {"-12", -12},
    {"+7", 7},
    {"\t\r\n 42", 42},
    {"12 34", 12},
    {"- 5", 0},
    {"--5", 0},
    {"0x10", 0},
    {"1e3", 1},
    {"007", 7},
    {"2147483647", 2147483647},
    {"2147483648", 2147483647},
    {"99999999999", 2147483647},
    {std::string(100, '9'), 2147483647},
    {"-2147483648", INT32_MIN},
    {"-2147483649", INT32_MIN},
    {"-99999999999", INT32_MIN},
    {"-" + std::string(100, '9'), INT32_MIN},
    {"-0", 0},
};

TEST(ConvertDecimal, ConvertsAndClamps) {
  for (const DecimalCase& c : kDecimalCases) {
    SCOPED_TRACE("text '" + c.text + "'");
    EXPECT_EQ(ConvertDecimal(c.text.c_str()), c.value);
  }
}

using ReadSetupNumberTest = SettingsFiles;

TEST_F(ReadSetupNumberTest, ConvertsPresentKeysAndKeepsTheValueOfMissingOnes) {
  WriteSetupIni(
      "[SETUP]\r\n"
      "Three= 3abc\r\n"
      "Letters=abc\r\n"
      "Nines=99999999999\r\n"
      "Negative=-40\r\n"
      "Empty=\r\n");
  QuietMissingKeys = 1;
  int32_t value = 55;
  EXPECT_EQ(ReadSetupNumber("Three", &value), 1);
  EXPECT_EQ(value, 3);
  value = 55;
  EXPECT_EQ(ReadSetupNumber("Letters", &value), 1);
  EXPECT_EQ(value, 0);
  EXPECT_EQ(ReadSetupNumber("Nines", &value), 1);
  EXPECT_EQ(value, 2147483647);
  EXPECT_EQ(ReadSetupNumber("Negative", &value), 1);
  EXPECT_EQ(value, -40);

  value = 55;
  EXPECT_EQ(ReadSetupNumber("Missing", &value), 0);
  EXPECT_EQ(value, 55);
  EXPECT_EQ(ReadSetupNumber("Empty", &value), 0);
  EXPECT_EQ(value, 55);
  EXPECT_EQ(HostMessageBoxCount(), 0);

  // With the flag clear the missing key is reported as ReadSetupKey does.
  QuietMissingKeys = 0;
  EXPECT_EQ(ReadSetupNumber("Missing", &value), 0);
  ASSERT_EQ(HostMessageBoxCount(), 1);
  EXPECT_STREQ(HostMessageBox(0)->Text, "SETUP.INI : Missing キーが存在しません");
}

}  // namespace
