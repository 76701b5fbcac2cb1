// Text in code page 932, formatting, profile files, memory and COM.
#include <objbase.h>
#include <string.h>

#include "platform/platform.h"
#include "tests/win32/check.h"
#include "tests/win32/checks.h"

void CheckText() {
  CheckNote("text");
  CHECK_EQ(GetACP(), 932);
  // The compiler turned this file's UTF-8 literals into Shift-JIS.
  CHECK_TEXT("次へ", "\x8E\x9F\x82\xD6");
  CHECK_TEXT("表示", "\x95\x5C\x8E\xA6");

  CHECK_EQ(SysIsLeadByte(0x95), 1);
  CHECK_EQ(SysIsLeadByte(0x81), 1);
  CHECK_EQ(SysIsLeadByte(0xE0), 1);
  CHECK_EQ(SysIsLeadByte(0x5C), 0);
  CHECK_EQ(SysIsLeadByte('A'), 0);
  CHECK_EQ(SysIsLeadByte(0xB1), 0);  // a half-width katakana, one byte

  // "表\a": the step over 表 takes both of its bytes, so its second byte
  // 0x5C is not seen as the backslash that follows.
  const char path[] = "\x95\x5C\\a";
  const char* at = SysCharNext(path);
  CHECK(at == path + 2);
  at = SysCharNext(at);
  CHECK(at == path + 3);
  at = SysCharNext(at);
  CHECK(at == path + 4);
  CHECK(SysCharNext(at) == at);  // the end stays the end

  CHECK_EQ(SysCompareNoCase("update.ini", "UPDATE.INI"), 0);
  CHECK(SysCompareNoCase("a.dat", "b.dat") < 0);
  CHECK(SysCompareNoCase("b.dat", "A.dat") > 0);
  CHECK(SysCompareNoCase("\x95\x5C.dat", "\x95\x5C.DAT") == 0);
}

void CheckFormatting() {
  CheckNote("formatting");
  char out[1100];
  int written = SysFormat(out, "%s|%i|%d|%u|%c|%x|%%|%02i", "ab", -5, 12,
                          4000000000u, 'Z', 255, 7);
  CHECK_TEXT(out, "ab|-5|12|4000000000|Z|ff|%|07");
  CHECK_EQ(written, strlen("ab|-5|12|4000000000|Z|ff|%|07"));
  written = SysFormat(out, "「%s」の%sを開始します", "ゲーム", "アップデート");
  CHECK_TEXT(out, "「ゲーム」のアップデートを開始します");
  CHECK_EQ(written, strlen(out));
  CHECK_EQ(SysFormat(out, ""), 0);
  CHECK_TEXT(out, "");

  // A text longer than the limit ends after 1023 characters, and nothing
  // beyond the 1024 bytes of the buffer is touched.
  static char longText[2000];
  memset(longText, 'x', sizeof longText - 1);
  longText[sizeof longText - 1] = 0;
  memset(out, 0x55, sizeof out);
  written = SysFormat(out, "%s", longText);
  CHECK_EQ(written, 1023);
  CHECK_EQ(strlen(out), 1023);
  CHECK_EQ(static_cast<unsigned char>(out[1024]), 0x55);
  // Cut inside the fixed text of the format as well.
  memset(out, 0x55, sizeof out);
  written = SysFormat(out, longText);
  CHECK_EQ(written, 1023);
  CHECK_EQ(strlen(out), 1023);
  CHECK_EQ(static_cast<unsigned char>(out[1024]), 0x55);
  // Exactly 1023 characters fit whole.
  longText[1023] = 0;
  CHECK_EQ(SysFormat(out, "%s", longText), 1023);
  CHECK_EQ(strlen(out), 1023);
}

void CheckProfile() {
  CheckNote("profile");
  char path[MAX_PATH];
  ScratchPath(path, "SETUP.INI");
  const char content[] =
      "[SETUP]\r\n"
      "GameTitle=表示テスト\r\n"
      "Empty=\r\n"
      "Long=abcdefgh\r\n";
  CHECK(WriteTestFile(path, content, sizeof content - 1));
  char value[260];
  CHECK_EQ(
      SysGetProfileString("SETUP", "GameTitle", "", value, sizeof value, path),
      strlen("表示テスト"));
  CHECK_TEXT(value, "表示テスト");
  CHECK_EQ(
      SysGetProfileString("setup", "gametitle", "", value, sizeof value, path),
      strlen("表示テスト"));
  CHECK_EQ(SysGetProfileString("SETUP", "Empty", "fallback", value,
                               sizeof value, path),
           0);
  CHECK_TEXT(value, "");
  CHECK_EQ(
      SysGetProfileString("SETUP", "Missing", "", value, sizeof value, path),
      0);
  CHECK_TEXT(value, "");
  CHECK_EQ(SysGetProfileString("SETUP", "Missing", "fallback", value,
                               sizeof value, path),
           8);
  CHECK_TEXT(value, "fallback");
  // Cut to size - 1 characters and ended by a NUL.
  memset(value, 0x55, sizeof value);
  CHECK_EQ(SysGetProfileString("SETUP", "Long", "", value, 4, path), 3);
  CHECK_TEXT(value, "abc");
  CHECK_EQ(static_cast<unsigned char>(value[4]), 0x55);
}

void CheckMemory() {
  CheckNote("memory");
  const uint32_t size = 100000;
  unsigned char* zeroed = static_cast<unsigned char*>(SysAlloc(size, 1));
  CHECK(zeroed != 0);
  if (zeroed != 0) {
    int allZero = 1;
    for (uint32_t i = 0; i < size; ++i) allZero &= zeroed[i] == 0;
    CHECK(allZero);
    // A fixed block: its handle is its address, and it is big enough.
    CHECK(GlobalHandle(zeroed) == reinterpret_cast<HGLOBAL>(zeroed));
    CHECK(GlobalSize(reinterpret_cast<HGLOBAL>(zeroed)) >= size);
    memset(zeroed, 0xAA, size);
    SysFree(zeroed);
  }
  void* plain = SysAlloc(16, 0);
  CHECK(plain != 0);
  SysFree(plain);
  SysFree(0);
}

void CheckCom() {
  CheckNote("COM");
  SysInitializeCom();
  // COM is already initialised on this thread: a second call says so.
  HRESULT again = CoInitialize(0);
  CHECK_EQ(again, S_FALSE);
  CoUninitialize();
}
