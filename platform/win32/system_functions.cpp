// The file, shell and registry functions that the updater binds at run time
// from the kernel, shell and advanced-services libraries. The raw pointers,
// with their real system types, stay in this file; the portable table gets
// thin wrappers that translate between the platform's types and the plain
// types of platform/platform.h.
#include <windows.h>
// The shell's declarations need those of windows.h before them.
#include <shellapi.h>
#include <string.h>

#include "platform/platform.h"
#include "platform/win32/name_pieces.h"

SystemFunctionTable SystemFunctions;

namespace {

typedef HANDLE(WINAPI* CreateFileProc)(LPCSTR, DWORD, DWORD,
                                       LPSECURITY_ATTRIBUTES, DWORD, DWORD,
                                       HANDLE);
typedef BOOL(WINAPI* ReadFileProc)(HANDLE, LPVOID, DWORD, LPDWORD,
                                   LPOVERLAPPED);
typedef BOOL(WINAPI* WriteFileProc)(HANDLE, LPCVOID, DWORD, LPDWORD,
                                    LPOVERLAPPED);
typedef DWORD(WINAPI* GetFileSizeProc)(HANDLE, LPDWORD);
typedef BOOL(WINAPI* CloseHandleProc)(HANDLE);
typedef DWORD(WINAPI* GetFileAttributesProc)(LPCSTR);
typedef BOOL(WINAPI* SetFileAttributesProc)(LPCSTR, DWORD);
typedef int(WINAPI* ShFileOperationProc)(LPSHFILEOPSTRUCTA);
typedef LONG(WINAPI* RegOpenKeyExProc)(HKEY, LPCSTR, DWORD, REGSAM, PHKEY);
typedef LONG(WINAPI* RegQueryValueExProc)(HKEY, LPCSTR, LPDWORD, LPDWORD,
                                          LPBYTE, LPDWORD);
typedef LONG(WINAPI* RegCloseKeyProc)(HKEY);

// The bound functions as the system declares them.
struct BoundFunctionTable {
  CreateFileProc CreateFileA;
  ReadFileProc ReadFile;
  WriteFileProc WriteFile;
  GetFileSizeProc GetFileSize;
  CloseHandleProc CloseHandle;
  GetFileAttributesProc GetFileAttributesA;
  SetFileAttributesProc SetFileAttributesA;
  ShFileOperationProc SHFileOperationA;
  RegOpenKeyExProc RegOpenKeyExA;
  RegQueryValueExProc RegQueryValueExA;
  RegCloseKeyProc RegCloseKey;
};

BoundFunctionTable Bound;

NamePieces CreateFileName = {"Create", "File", "A", 0};
NamePieces ReadFileName = {"Read", "File", 0};
NamePieces WriteFileName = {"Write", "File", 0};
NamePieces GetFileSizeName = {"Get", "File", "Size", 0};
NamePieces CloseHandleName = {"Close", "Handle", 0};
NamePieces GetFileAttributesName = {"Get", "File", "Attrib", "utes", "A", 0};
NamePieces SetFileAttributesName = {"Set", "File", "Attrib", "utes", "A", 0};
NamePieces ShFileOperationName = {"SH", "File", "Oper", "ation", "A", 0};
NamePieces RegOpenKeyExName = {"Reg", "Open", "Key", "Ex", "A", 0};
NamePieces RegQueryValueExName = {"Reg", "Query", "Value", "Ex", "A", 0};
NamePieces RegCloseKeyName = {"Reg", "Close", "Key", 0};

HMODULE LoadNamedLibrary(const char* const* pieces) {
  char name[NAME_PIECES_SIZE];
  return LoadLibraryA(JoinNamePieces(name, pieces));
}

// Looks the function up even when its library is missing (the lookup then
// fails), so that every lookup is made; clears *complete on a miss.
template <typename Function>
Function LookUp(HMODULE library, const char* const* pieces, int* complete) {
  char name[NAME_PIECES_SIZE];
  FARPROC found = GetProcAddress(library, JoinNamePieces(name, pieces));
  if (found == 0) *complete = 0;
  // The detour through the generic function type keeps the compiler from
  // warning about the cast between unrelated function types.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(found));
}

// The predefined registry roots are 32-bit values that the system widens
// with their sign on 64-bit builds; the portable value is not widened.
HKEY SystemKey(SysHandle key) {
  uintptr_t value = reinterpret_cast<uintptr_t>(key);
  if (value >= 0x80000000u && value <= 0x800000FFu) {
    return reinterpret_cast<HKEY>(static_cast<intptr_t>(
        static_cast<int32_t>(static_cast<uint32_t>(value))));
  }
  return static_cast<HKEY>(key);
}

SysHandle FileOpenEntry(const char* path, uint32_t access, uint32_t share,
                        uint32_t disposition, uint32_t attributes) {
  return Bound.CreateFileA(path, access, share, 0, disposition, attributes, 0);
}

int FileReadEntry(SysHandle file, void* buffer, uint32_t count,
                  uint32_t* done) {
  DWORD moved = 0;
  BOOL ok = Bound.ReadFile(file, buffer, count, &moved, 0);
  if (done != 0) *done = moved;
  return ok;
}

int FileWriteEntry(SysHandle file, const void* bytes, uint32_t count,
                   uint32_t* done) {
  DWORD moved = 0;
  BOOL ok = Bound.WriteFile(file, bytes, count, &moved, 0);
  if (done != 0) *done = moved;
  return ok;
}

uint32_t FileSizeQueryEntry(SysHandle file) {
  return Bound.GetFileSize(file, 0);
}

void FileCloseEntry(SysHandle file) { Bound.CloseHandle(file); }

uint32_t FileAttributesGetEntry(const char* path) {
  return Bound.GetFileAttributesA(path);
}

void FileAttributesSetEntry(const char* path, uint32_t attributes) {
  Bound.SetFileAttributesA(path, attributes);
}

// The system's own operation record, whose layout differs between builds
// (it is packed in the 32-bit headers), filled from the portable request.
int ShellCopyEntry(ShellCopyRequest* request) {
  SHFILEOPSTRUCTA operation;
  memset(&operation, 0, sizeof operation);
  operation.hwnd = static_cast<HWND>(request->Owner);
  operation.wFunc = request->Function;
  operation.pFrom = request->Source;
  operation.pTo = request->Destination;
  operation.fFlags = request->Flags;
  int result = Bound.SHFileOperationA(&operation);
  request->Aborted = operation.fAnyOperationsAborted;
  return result;
}

long KeyOpenEntry(SysHandle root, const char* path, uint32_t options,
                  uint32_t access, SysHandle* key) {
  HKEY opened = 0;
  LONG result =
      Bound.RegOpenKeyExA(SystemKey(root), path, options, access, &opened);
  *key = result == ERROR_SUCCESS ? static_cast<SysHandle>(opened) : 0;
  return result;
}

long KeyQueryValueEntry(SysHandle key, const char* name, void* buffer,
                        uint32_t* size) {
  DWORD length = *size;
  LONG result = Bound.RegQueryValueExA(SystemKey(key), name, 0, 0,
                                       static_cast<LPBYTE>(buffer), &length);
  *size = length;
  return result;
}

void KeyCloseEntry(SysHandle key) { Bound.RegCloseKey(SystemKey(key)); }

}  // namespace

int BindSystemFunctions() {
  HMODULE kernel = LoadNamedLibrary(KernelLibraryName);
  HMODULE shell = LoadNamedLibrary(ShellLibraryName);
  HMODULE advanced = LoadNamedLibrary(AdvancedLibraryName);
  int complete = kernel != 0 && shell != 0 && advanced != 0;

  Bound.CreateFileA = LookUp<CreateFileProc>(kernel, CreateFileName, &complete);
  Bound.ReadFile = LookUp<ReadFileProc>(kernel, ReadFileName, &complete);
  Bound.WriteFile = LookUp<WriteFileProc>(kernel, WriteFileName, &complete);
  Bound.GetFileSize =
      LookUp<GetFileSizeProc>(kernel, GetFileSizeName, &complete);
  Bound.CloseHandle =
      LookUp<CloseHandleProc>(kernel, CloseHandleName, &complete);
  Bound.GetFileAttributesA =
      LookUp<GetFileAttributesProc>(kernel, GetFileAttributesName, &complete);
  Bound.SetFileAttributesA =
      LookUp<SetFileAttributesProc>(kernel, SetFileAttributesName, &complete);
  Bound.SHFileOperationA =
      LookUp<ShFileOperationProc>(shell, ShFileOperationName, &complete);
  Bound.RegOpenKeyExA =
      LookUp<RegOpenKeyExProc>(advanced, RegOpenKeyExName, &complete);
  Bound.RegQueryValueExA =
      LookUp<RegQueryValueExProc>(advanced, RegQueryValueExName, &complete);
  Bound.RegCloseKey =
      LookUp<RegCloseKeyProc>(advanced, RegCloseKeyName, &complete);

  SystemFunctionTable& table = SystemFunctions;
  table.KernelLibrary = kernel;
  table.ShellLibrary = shell;
  table.AdvancedLibrary = advanced;
  // An entry is set only when its function was found, so that a partial
  // table holds null entries rather than wrappers over missing functions.
  table.FileOpen = Bound.CreateFileA ? FileOpenEntry : 0;
  table.FileRead = Bound.ReadFile ? FileReadEntry : 0;
  table.FileWrite = Bound.WriteFile ? FileWriteEntry : 0;
  table.FileSizeQuery = Bound.GetFileSize ? FileSizeQueryEntry : 0;
  table.FileClose = Bound.CloseHandle ? FileCloseEntry : 0;
  table.FileAttributesGet =
      Bound.GetFileAttributesA ? FileAttributesGetEntry : 0;
  table.FileAttributesSet =
      Bound.SetFileAttributesA ? FileAttributesSetEntry : 0;
  table.ShellCopy = Bound.SHFileOperationA ? ShellCopyEntry : 0;
  table.KeyOpen = Bound.RegOpenKeyExA ? KeyOpenEntry : 0;
  table.KeyQueryValue = Bound.RegQueryValueExA ? KeyQueryValueEntry : 0;
  table.KeyClose = Bound.RegCloseKey ? KeyCloseEntry : 0;
  return complete;
}
