// The wizard layouts as the resource compiler stored them: the extended
// dialog templates 100 and 101, read field by field and compared with the
// layouts the wizard is drawn for.
#include <string.h>

#include "tests/win32/check.h"
#include "tests/win32/checks.h"

namespace {

const WORD ButtonClass = 0x0080;
const WORD EditClass = 0x0081;
const WORD StaticClass = 0x0082;

struct ExpectedControl {
  DWORD Id;
  WORD ClassAtom;
  const char16_t* Text;
  short X, Y, Width, Height;
  DWORD Style;
};

struct ExpectedLayout {
  int TemplateId;
  short Width, Height;
  const ExpectedControl* Controls;
  int ControlCount;
};

// The controls in their tab order.
const ExpectedControl Layout100[] = {
    {1, ButtonClass, u"次へ", 361, 72, 44, 14, 0x50010001},
    {2, ButtonClass, u"中止", 413, 72, 44, 14, 0x50010000},
    {4, ButtonClass, u"戻る", 317, 72, 44, 14, 0x50010000},
    {1001, StaticClass, u"Info", 16, 16, 431, 29, 0x50020000},
};

const ExpectedControl Layout101[] = {
    {1, ButtonClass, u"次へ", 358, 202, 44, 14, 0x50010001},
    {2, ButtonClass, u"中止", 411, 202, 44, 14, 0x50010000},
    {4, ButtonClass, u"戻る", 314, 202, 44, 14, 0x50010000},
    {1001, StaticClass, u"Info", 16, 9, 431, 65, 0x50020000},
    {1000, EditClass, u"", 6, 81, 451, 92, 0x50A00004},
    {1002, ButtonClass, u"同意する", 10, 177, 325, 10, 0x50000004},
    {1003, ButtonClass, u"同意しない", 10, 189, 325, 10, 0x50000004},
};

const ExpectedLayout Layouts[] = {
    {100, 464, 93, Layout100, 4},
    {101, 464, 222, Layout101, 7},
};

// A bounded reader over the template's bytes; a read past the end marks the
// reader failed and gives zeros.
struct TemplateReader {
  const unsigned char* Bytes;
  DWORD Size;
  DWORD At;
  int Failed;

  void Need(DWORD count) {
    if (Failed || count > Size || At > Size - count) Failed = 1;
  }
  WORD Word() {
    Need(2);
    if (Failed) return 0;
    WORD value = static_cast<WORD>(Bytes[At] | (Bytes[At + 1] << 8));
    At += 2;
    return value;
  }
  DWORD Dword() {
    WORD low = Word();
    WORD high = Word();
    return low | (static_cast<DWORD>(high) << 16);
  }
  unsigned char Byte() {
    Need(1);
    if (Failed) return 0;
    return Bytes[At++];
  }
  void AlignToDword() {
    DWORD aligned = (At + 3) & ~3u;
    if (aligned > Size) Failed = 1;
    At = aligned;
  }
  // A text of UTF-16 units ended by a zero unit; at most `room` - 1 units
  // are kept.
  void Text(char16_t* out, int room) {
    int length = 0;
    for (;;) {
      WORD unit = Word();
      if (Failed || unit == 0) break;
      if (length < room - 1) out[length++] = static_cast<char16_t>(unit);
    }
    out[length] = 0;
  }
  // A class or menu field: an ordinal (0xFFFF, then the number), or a text.
  // Returns the ordinal, 0 for no field, 0xFFFFFFFF for a text.
  DWORD OrdinalOrText(char16_t* text, int room) {
    WORD first = Word();
    text[0] = 0;
    if (first == 0xFFFF) return Word();
    if (first == 0) return 0;
    At -= 2;
    Text(text, room);
    return 0xFFFFFFFFu;
  }
};

int SameText(const char16_t* a, const char16_t* b) {
  while (*a != 0 && *a == *b) {
    ++a;
    ++b;
  }
  return *a == *b;
}

// Only the language the layouts are written in.
BOOL CALLBACK CountLanguage(HMODULE, LPCSTR, LPCSTR, WORD language,
                            LONG_PTR count) {
  int* counter = reinterpret_cast<int*>(count);
  counter[0] += 1;
  counter[1] = language;
  return TRUE;
}

void CheckLayout(HMODULE module, const ExpectedLayout& layout) {
  CheckNote("  template %d", layout.TemplateId);
  LPCSTR name = MAKEINTRESOURCEA(layout.TemplateId);
  int languages[2] = {0, 0};
  EnumResourceLanguagesA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), name,
                         CountLanguage, reinterpret_cast<LONG_PTR>(languages));
  CHECK_EQ(languages[0], 1);
  CHECK_EQ(languages[1], MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  CHECK_EQ(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), 1041);
  HRSRC found =
      FindResourceExA(module, reinterpret_cast<LPCSTR>(RT_DIALOG), name,
                      MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
  CHECK(found != 0);
  if (found == 0) return;
  TemplateReader reader = {static_cast<const unsigned char*>(
                               LockResource(LoadResource(module, found))),
                           SizeofResource(module, found), 0, 0};
  CHECK(reader.Bytes != 0);
  if (reader.Bytes == 0) return;

  // The extended header.
  CHECK_EQ(reader.Word(), 1);       // version
  CHECK_EQ(reader.Word(), 0xFFFF);  // signature of the extended form
  CHECK_EQ(reader.Dword(), 0);      // help id
  CHECK_EQ(reader.Dword(), 0);      // extended style
  CHECK_EQ(reader.Dword(), 0x90C808C0u);
  WORD count = reader.Word();
  CHECK_EQ(count, layout.ControlCount);
  CHECK_EQ(static_cast<short>(reader.Word()), 0);  // x
  CHECK_EQ(static_cast<short>(reader.Word()), 0);  // y
  CHECK_EQ(static_cast<short>(reader.Word()), layout.Width);
  CHECK_EQ(static_cast<short>(reader.Word()), layout.Height);
  char16_t text[64];
  CHECK_EQ(reader.OrdinalOrText(text, 64), 0);  // no menu
  CHECK_EQ(reader.OrdinalOrText(text, 64), 0);  // the standard dialog class
  reader.Text(text, 64);
  CHECK(SameText(text, u"UPDATE"));
  // The font, present because of DS_SETFONT.
  CHECK_EQ(reader.Word(), 10);   // points
  CHECK_EQ(reader.Word(), 400);  // FW_NORMAL
  CHECK_EQ(reader.Byte(), 0);    // not italic
  CHECK_EQ(reader.Byte(), SHIFTJIS_CHARSET);
  reader.Text(text, 64);
  CHECK(SameText(text, u"ＭＳ Ｐゴシック"));

  for (int i = 0; i < count && i < layout.ControlCount; ++i) {
    const ExpectedControl& expected = layout.Controls[i];
    int failuresBefore = CheckFailures();
    reader.AlignToDword();
    CHECK_EQ(reader.Dword(), 0);  // help id
    CHECK_EQ(reader.Dword(), 0);  // extended style
    DWORD style = reader.Dword();
    CHECK_EQ(style, expected.Style);
    CHECK_EQ(static_cast<short>(reader.Word()), expected.X);
    CHECK_EQ(static_cast<short>(reader.Word()), expected.Y);
    CHECK_EQ(static_cast<short>(reader.Word()), expected.Width);
    CHECK_EQ(static_cast<short>(reader.Word()), expected.Height);
    DWORD id = reader.Dword();
    CHECK_EQ(id, expected.Id);
    CHECK_EQ(reader.OrdinalOrText(text, 64), expected.ClassAtom);
    DWORD title = reader.OrdinalOrText(text, 64);
    CHECK(title == 0xFFFFFFFFu || (title == 0 && expected.Text[0] == 0));
    CHECK(SameText(text, expected.Text));
    WORD extra = reader.Word();
    CHECK_EQ(extra, 0);
    reader.At += extra;
    if (CheckFailures() != failuresBefore) {
      CheckNote("    control %d: id %lu style 0x%08lX", i,
                static_cast<unsigned long>(id),
                static_cast<unsigned long>(style));
    }
  }
  CHECK(!reader.Failed);
  // Nothing follows the last control but padding.
  CHECK(reader.At <= reader.Size && reader.Size - reader.At < 4);
}

}  // namespace

void CheckDialogTemplates(HMODULE module) {
  CheckNote("dialog templates");
  for (const ExpectedLayout& layout : Layouts) CheckLayout(module, layout);
}
