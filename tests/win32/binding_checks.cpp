// The run-time bound functions: the binding itself and every entry of the
// table, called the way the updater calls them.
#include <string.h>

#include "platform/platform.h"
#include "tests/win32/check.h"
#include "tests/win32/checks.h"

void CheckBindings() {
  CheckNote("bindings");
  CHECK_EQ(BindSystemFunctions(), 1);
  const SystemFunctionTable& table = SystemFunctions;
  CHECK(table.KernelLibrary == GetModuleHandleA("kernel32.dll"));
  CHECK(table.ShellLibrary == GetModuleHandleA("shell32.dll"));
  CHECK(table.AdvancedLibrary == GetModuleHandleA("advapi32.dll"));
  CHECK(table.FileOpen != 0);
  CHECK(table.FileRead != 0);
  CHECK(table.FileWrite != 0);
  CHECK(table.FileSizeQuery != 0);
  CHECK(table.FileClose != 0);
  CHECK(table.FileAttributesGet != 0);
  CHECK(table.FileAttributesSet != 0);
  CHECK(table.ShellCopy != 0);
  CHECK(table.KeyOpen != 0);
  CHECK(table.KeyQueryValue != 0);
  CHECK(table.KeyClose != 0);
  // Binding again gives the same, complete table.
  CHECK_EQ(BindSystemFunctions(), 1);
  CHECK(SystemFunctions.FileOpen == table.FileOpen);
}

void CheckFileEntries() {
  CheckNote("file entries");
  const SystemFunctionTable& table = SystemFunctions;
  if (table.FileOpen == 0) return;
  char path[MAX_PATH];
  ScratchPath(path, "entries.bin");
  const char content[] = "bytes\0with a zero";
  const uint32_t length = sizeof content;

  SysHandle file = table.FileOpen(path, SYS_GENERIC_WRITE, 0, SYS_CREATE_ALWAYS,
                                  SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK(file != SYS_INVALID_HANDLE);
  uint32_t done = 0;
  CHECK(table.FileWrite(file, content, length, &done) != 0);
  CHECK_EQ(done, length);
  table.FileClose(file);

  // CREATE_ALWAYS cuts an existing file to nothing before writing.
  file = table.FileOpen(path, SYS_GENERIC_WRITE, 0, SYS_CREATE_ALWAYS,
                        SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK(table.FileWrite(file, content, 5, &done) != 0);
  CHECK_EQ(done, 5);
  table.FileClose(file);

  file = table.FileOpen(path, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                        SYS_OPEN_EXISTING, SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK(file != SYS_INVALID_HANDLE);
  CHECK_EQ(table.FileSizeQuery(file), 5);
  // Read sharing lets a second reader in.
  SysHandle second =
      table.FileOpen(path, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                     SYS_OPEN_EXISTING, SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK(second != SYS_INVALID_HANDLE);
  if (second != SYS_INVALID_HANDLE) table.FileClose(second);
  // A writer is kept out while the file is open for reading only.
  SysHandle writer = table.FileOpen(
      path, SYS_GENERIC_WRITE, 0, SYS_CREATE_ALWAYS, SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK(writer == SYS_INVALID_HANDLE);
  if (writer != SYS_INVALID_HANDLE) table.FileClose(writer);
  char buffer[32];
  memset(buffer, 0x55, sizeof buffer);
  done = 99;
  CHECK(table.FileRead(file, buffer, sizeof buffer, &done) != 0);
  CHECK_BYTES(buffer, done, content, 5);
  // At the end of the file a read succeeds with nothing read.
  CHECK(table.FileRead(file, buffer, sizeof buffer, &done) != 0);
  CHECK_EQ(done, 0);
  table.FileClose(file);
  CHECK_EQ(table.FileSizeQuery(SYS_INVALID_HANDLE), 0xFFFFFFFFu);

  char missing[MAX_PATH];
  ScratchPath(missing, "no such file.bin");
  CHECK(table.FileOpen(missing, SYS_GENERIC_READ, SYS_FILE_SHARE_READ,
                       SYS_OPEN_EXISTING,
                       SYS_FILE_ATTRIBUTE_NORMAL) == SYS_INVALID_HANDLE);

  // Attributes: a file, a folder, nothing, and the read-only bit set and
  // cleared again.
  uint32_t attributes = table.FileAttributesGet(path);
  CHECK(attributes != SYS_INVALID_ATTRIBUTES);
  CHECK((attributes & SYS_FILE_ATTRIBUTE_DIRECTORY) == 0);
  CHECK((table.FileAttributesGet(ScratchFolder) &
         SYS_FILE_ATTRIBUTE_DIRECTORY) != 0);
  CHECK_EQ(table.FileAttributesGet(missing), SYS_INVALID_ATTRIBUTES);
  table.FileAttributesSet(path, SYS_FILE_ATTRIBUTE_READONLY);
  CHECK((table.FileAttributesGet(path) & SYS_FILE_ATTRIBUTE_READONLY) != 0);
  table.FileAttributesSet(path, SYS_FILE_ATTRIBUTE_NORMAL);
  CHECK((table.FileAttributesGet(path) & SYS_FILE_ATTRIBUTE_READONLY) == 0);
  DeleteFileA(path);
}

void CheckRegistryEntries() {
  CheckNote("registry entries");
  const SystemFunctionTable& table = SystemFunctions;
  if (table.KeyOpen == 0) return;
  // A key of the checks' own under HKEY_CURRENT_USER, made with the system's
  // functions and read back through the table.
  const char keyPath[] = "Software\\UpdaterLayerChecks\\Game";
  HKEY made = 0;
  CHECK_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, 0, 0, KEY_ALL_ACCESS,
                           0, &made, 0),
           ERROR_SUCCESS);
  // A folder whose name ends in a character with the second byte 0x5C.
  const char folder[] = "C:\\Games\\\x95\x5C";
  RegSetValueExA(made, "InstPath", 0, REG_SZ,
                 reinterpret_cast<const BYTE*>(folder), sizeof folder);
  DWORD mode = 2;
  RegSetValueExA(made, "InstMode", 0, REG_DWORD,
                 reinterpret_cast<const BYTE*>(&mode), sizeof mode);
  RegCloseKey(made);

  SysHandle key = 0;
  CHECK_EQ(table.KeyOpen(SYS_HKEY_CURRENT_USER, keyPath, 0, SYS_KEY_READ, &key),
           0);
  CHECK(key != 0);
  char value[260];
  uint32_t size = sizeof value;
  CHECK_EQ(table.KeyQueryValue(key, "InstPath", value, &size), 0);
  CHECK_EQ(size, sizeof folder);
  CHECK_TEXT(value, "C:\\Games\\\x95\x5C");
  uint32_t number = 0;
  size = sizeof number;
  CHECK_EQ(table.KeyQueryValue(key, "InstMode", &number, &size), 0);
  CHECK_EQ(size, 4);
  CHECK_EQ(number, 2);
  // A buffer too small: ERROR_MORE_DATA and the size the value needs.
  char small[4];
  size = sizeof small;
  CHECK_EQ(table.KeyQueryValue(key, "InstPath", small, &size), ERROR_MORE_DATA);
  CHECK_EQ(size, sizeof folder);
  size = sizeof value;
  CHECK_EQ(table.KeyQueryValue(key, "DataPath", value, &size),
           ERROR_FILE_NOT_FOUND);
  table.KeyClose(key);

  SysHandle missing = 0;
  CHECK(table.KeyOpen(SYS_HKEY_CURRENT_USER,
                      "Software\\UpdaterLayerChecks\\Missing", 0, SYS_KEY_READ,
                      &missing) != 0);
  RegDeleteKeyA(HKEY_CURRENT_USER, keyPath);
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\UpdaterLayerChecks");
}

namespace {

// `out` = the folder path followed by two NULs, as the shell wants it.
void ShellPath(char* out, const char* name) {
  ScratchPath(out, name);
  out[strlen(out) + 1] = 0;
}

}  // namespace

void CheckShellCopy() {
  CheckNote("shell copy");
  const SystemFunctionTable& table = SystemFunctions;
  if (table.ShellCopy == 0) return;
  char sourceFolder[MAX_PATH];
  ScratchPath(sourceFolder, "disc");
  CreateDirectoryA(sourceFolder, 0);
  char sourceFile[MAX_PATH];
  ScratchPath(sourceFile, "disc\\movie.dat");
  const char content[] = "movie data";
  CHECK(WriteTestFile(sourceFile, content, sizeof content));

  // A file, as the update run copies one: to its full destination path, in
  // a folder that the shell makes.
  char from[MAX_PATH + 1];
  char to[MAX_PATH + 1];
  ShellPath(from, "disc\\movie.dat");
  ShellPath(to, "game\\movie\\movie.dat");
  ShellCopyRequest request;
  memset(&request, 0, sizeof request);
  request.Owner = 0;
  request.Function = SYS_FO_COPY;
  request.Source = from;
  request.Destination = to;
  request.Flags = SYS_FOF_NOCONFIRMATION | SYS_FOF_NOCONFIRMMKDIR;
  request.Aborted = 12345;  // the copy writes it back
  CHECK_EQ(table.ShellCopy(&request), 0);
  CHECK_EQ(request.Aborted, 0);
  char copied[MAX_PATH];
  char bytes[64];
  ScratchPath(copied, "game\\movie\\movie.dat");
  CHECK_BYTES(bytes, ReadTestFile(copied, bytes, sizeof bytes), content,
              sizeof content);

  // A folder, as the update run copies one: into an existing folder, where
  // it keeps its own name; with the flag that keeps the shell from asking.
  ShellPath(from, "disc");
  ShellPath(to, "game");
  request.Source = from;
  request.Destination = to;
  request.Flags =
      SYS_FOF_NOCONFIRMATION | SYS_FOF_NOCONFIRMMKDIR | SYS_FOF_NOERRORUI;
  request.Aborted = 777;
  CHECK_EQ(table.ShellCopy(&request), 0);
  CHECK_EQ(request.Aborted, 0);
  ScratchPath(copied, "game\\disc\\movie.dat");
  CHECK_BYTES(bytes, ReadTestFile(copied, bytes, sizeof bytes), content,
              sizeof content);

  // A source that does not exist fails.
  ShellPath(from, "disc\\missing.dat");
  request.Source = from;
  CHECK(table.ShellCopy(&request) != 0);
}
