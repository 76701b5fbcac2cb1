// The manifest and the version record of an updater program.
#include <string.h>

#include "tests/win32/check.h"
#include "tests/win32/checks.h"

namespace {

// Whether `text` occurs in the `size` bytes at `bytes`.
int Contains(const char* bytes, DWORD size, const char* text) {
  DWORD length = static_cast<DWORD>(strlen(text));
  for (DWORD at = 0; length <= size && at <= size - length; ++at) {
    if (memcmp(bytes + at, text, length) == 0) return 1;
  }
  return 0;
}

BOOL CALLBACK CountName(HMODULE, LPCSTR, LPSTR name, LONG_PTR parameter) {
  int* found = reinterpret_cast<int*>(parameter);
  found[0] += 1;
  found[1] = IS_INTRESOURCE(name)
                 ? static_cast<int>(reinterpret_cast<uintptr_t>(name))
                 : -1;
  return TRUE;
}

void CheckManifest(HMODULE program) {
  // One manifest, the one the loader reads for a program (id 1).
  int found[2] = {0, 0};
  EnumResourceNamesA(program, reinterpret_cast<LPCSTR>(RT_MANIFEST), CountName,
                     reinterpret_cast<LONG_PTR>(found));
  CHECK_EQ(found[0], 1);
  CHECK_EQ(found[1], 1);
  HRSRC manifest = FindResourceA(program, MAKEINTRESOURCEA(1),
                                 reinterpret_cast<LPCSTR>(RT_MANIFEST));
  CHECK(manifest != 0);
  if (manifest == 0) return;
  const char* text =
      static_cast<const char*>(LockResource(LoadResource(program, manifest)));
  DWORD size = SizeofResource(program, manifest);
  CHECK(Contains(text, size,
                 "<requestedExecutionLevel level=\"requireAdministrator\" "
                 "uiAccess=\"false\"/>"));
  // Windows Vista, 7, 8, 8.1 and 10.
  const char* systems[] = {
      "{e2011457-1546-43c5-a5fe-008deee3d3f0}",
      "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",
      "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
      "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",
      "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",
  };
  for (const char* system : systems) {
    char element[80] = "<supportedOS Id=\"";
    lstrcatA(element, system);
    lstrcatA(element, "\"/>");
    CHECK(Contains(text, size, element));
  }
}

void CheckVersion(const char* path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(path, &ignored);
  CHECK(size > 0);
  static char record[8192];
  if (size == 0 || size > sizeof record) return;
  CHECK(GetFileVersionInfoA(path, 0, size, record));
  WORD* translation = 0;
  UINT length = 0;
  CHECK(VerQueryValueA(record, "\\VarFileInfo\\Translation",
                       reinterpret_cast<void**>(&translation), &length));
  CHECK_EQ(length, 4);
  if (translation != 0 && length >= 4) {
    CHECK_EQ(translation[0], 0x0411);  // Japanese
    CHECK_EQ(translation[1], 932);     // Shift-JIS
  }
  char* description = 0;
  CHECK(VerQueryValueA(record, "\\StringFileInfo\\041103A4\\FileDescription",
                       reinterpret_cast<void**>(&description), &length));
  CHECK_TEXT(description, "Game patch program");
  char* product = 0;
  CHECK(VerQueryValueA(record, "\\StringFileInfo\\041103A4\\ProductName",
                       reinterpret_cast<void**>(&product), &length));
  CHECK(product != 0 && product[0] != 0);
  VS_FIXEDFILEINFO* fixed = 0;
  CHECK(
      VerQueryValueA(record, "\\", reinterpret_cast<void**>(&fixed), &length));
  if (fixed != 0) {
    CHECK_EQ(fixed->dwSignature, 0xFEEF04BDu);
    CHECK_EQ(fixed->dwFileType, VFT_APP);
  }
}

}  // namespace

void CheckProgramResources(HMODULE program, const char* path) {
  CheckNote("manifest and version record");
  CheckManifest(program);
  CheckVersion(path);
}
