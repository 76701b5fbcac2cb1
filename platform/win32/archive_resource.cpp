// The archive the program carries: its resource of type "UPDATE" with the
// id 102. The four resource functions are bound by name from the kernel
// library when the archive is looked for; one that cannot be found counts
// as a missing resource.
#include <windows.h>

#include "platform/platform.h"
#include "platform/win32/name_pieces.h"

namespace {

typedef HRSRC(WINAPI* FindResourceProc)(HMODULE, LPCSTR, LPCSTR);
typedef DWORD(WINAPI* SizeofResourceProc)(HMODULE, HRSRC);
typedef HGLOBAL(WINAPI* LoadResourceProc)(HMODULE, HRSRC);
typedef LPVOID(WINAPI* LockResourceProc)(HGLOBAL);

NamePieces FindResourceName = {"Find", "Resource", "A", 0};
NamePieces SizeofResourceName = {"Sizeof", "Resource", 0};
NamePieces LoadResourceName = {"Load", "Resource", 0};
NamePieces LockResourceName = {"Lock", "Resource", 0};

const WORD ArchiveResourceId = 102;
const char ArchiveResourceType[] = "UPDATE";

template <typename Function>
Function LookUp(HMODULE library, const char* const* pieces) {
  char name[NAME_PIECES_SIZE];
  FARPROC found = GetProcAddress(library, JoinNamePieces(name, pieces));
  return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(found));
}

}  // namespace

int SysLoadArchiveImage(SysModule instance, const uint8_t** start,
                        uint32_t* size) {
  char name[NAME_PIECES_SIZE];
  HMODULE kernel = LoadLibraryA(JoinNamePieces(name, KernelLibraryName));
  if (kernel == 0) return 0;
  FindResourceProc findResource =
      LookUp<FindResourceProc>(kernel, FindResourceName);
  SizeofResourceProc sizeofResource =
      LookUp<SizeofResourceProc>(kernel, SizeofResourceName);
  LoadResourceProc loadResource =
      LookUp<LoadResourceProc>(kernel, LoadResourceName);
  LockResourceProc lockResource =
      LookUp<LockResourceProc>(kernel, LockResourceName);
  if (findResource == 0 || sizeofResource == 0 || loadResource == 0 ||
      lockResource == 0) {
    return 0;
  }

  HMODULE module = static_cast<HMODULE>(instance);
  HRSRC found = findResource(module, MAKEINTRESOURCEA(ArchiveResourceId),
                             ArchiveResourceType);
  if (found == 0) return 0;
  DWORD length = sizeofResource(module, found);
  if (length == 0) return 0;
  HGLOBAL loaded = loadResource(module, found);
  if (loaded == 0) return 0;
  const void* bytes = lockResource(loaded);
  if (bytes == 0) return 0;
  *start = static_cast<const uint8_t*>(bytes);
  *size = length;
  return 1;
}
