// The archive resource: found in a program that carries one, with exactly
// the bytes of the embedded file; missing in a module without one.
#include "platform/platform.h"
#include "tests/win32/check.h"
#include "tests/win32/checks.h"

void CheckArchiveResource(const char* expectedFile) {
  CheckNote("archive resource");
  static unsigned char expected[1 << 16];
  int expectedSize = ReadTestFile(expectedFile, expected, sizeof expected);
  CHECK(expectedSize > 0);

  const uint8_t* start = 0;
  uint32_t size = 0;
  CHECK_EQ(SysLoadArchiveImage(GetModuleHandleA(0), &start, &size), 1);
  CHECK_BYTES(start, size, expected, expectedSize > 0 ? expectedSize : 0);
  // The bytes stay where they are: a second look gives the same range.
  const uint8_t* again = 0;
  uint32_t againSize = 0;
  CHECK_EQ(SysLoadArchiveImage(GetModuleHandleA(0), &again, &againSize), 1);
  CHECK(again == start);
  CHECK_EQ(againSize, size);

  // A module without the resource: nothing, and the outputs untouched.
  const uint8_t* none = reinterpret_cast<const uint8_t*>(1);
  uint32_t noneSize = 77;
  CHECK_EQ(
      SysLoadArchiveImage(GetModuleHandleA("kernel32.dll"), &none, &noneSize),
      0);
  CHECK(none == reinterpret_cast<const uint8_t*>(1));
  CHECK_EQ(noneSize, 77);
}

void CheckArchiveOf(HMODULE program, const char* expectedFile) {
  CheckNote("archive resource of another program");
  static unsigned char expected[1 << 20];
  int expectedSize = ReadTestFile(expectedFile, expected, sizeof expected);
  CHECK(expectedSize >= 0);
  const uint8_t* start = 0;
  uint32_t size = 0;
  int found = SysLoadArchiveImage(program, &start, &size);
  if (expectedSize == 0) {
    // An empty resource counts as none.
    CHECK_EQ(found, 0);
    return;
  }
  CHECK_EQ(found, 1);
  CHECK_BYTES(start, size, expected, expectedSize > 0 ? expectedSize : 0);
}
