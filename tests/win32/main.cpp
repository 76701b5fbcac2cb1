// win32_checks: the checks of the Windows platform layer, run under Wine.
//
//   win32_checks layer SCRATCH ARCHIVE
//       every check of the layer; SCRATCH is an empty folder for the files
//       the checks make, ARCHIVE the file this program carries as its
//       archive resource.
//   win32_checks resources PROGRAM [ARCHIVE]
//       the wizard layouts, the manifest and the version record stored in
//       another program (an updater) and, with
//       ARCHIVE, its archive resource against that file (an empty file: the
//       program has none).
#include <stdio.h>
#include <string.h>

#include "tests/win32/check.h"
#include "tests/win32/checks.h"

char ScratchFolder[MAX_PATH];

void ScratchPath(char* out, const char* name) {
  lstrcpynA(out, ScratchFolder, MAX_PATH);
  int length = lstrlenA(out);
  lstrcpynA(out + length, name, MAX_PATH - length);
}

int WriteTestFile(const char* path, const void* bytes, DWORD size) {
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, 0, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes, size, &written, 0);
  CloseHandle(file);
  return ok && written == size;
}

int ReadTestFile(const char* path, void* bytes, DWORD size) {
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, 0,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, 0);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD read = 0;
  BOOL ok = ReadFile(file, bytes, size, &read, 0);
  CloseHandle(file);
  return ok ? static_cast<int>(read) : -1;
}

namespace {

int Finish() {
  printf("%d checks, %d failed\n", CheckCount(), CheckFailures());
  return CheckFailures() == 0 ? 0 : 1;
}

int Usage() {
  printf(
      "usage: win32_checks layer SCRATCH ARCHIVE\n"
      "       win32_checks resources PROGRAM [ARCHIVE]\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && strcmp(argv[1], "layer") == 0) {
    lstrcpynA(ScratchFolder, argv[2], MAX_PATH - 2);
    int length = lstrlenA(ScratchFolder);
    if (length == 0 || ScratchFolder[length - 1] != '\\') {
      lstrcatA(ScratchFolder, "\\");
    }
    if (!(GetFileAttributesA(ScratchFolder) & FILE_ATTRIBUTE_DIRECTORY) ||
        GetFileAttributesA(ScratchFolder) == INVALID_FILE_ATTRIBUTES) {
      printf("no scratch folder %s\n", ScratchFolder);
      return 2;
    }
    // COM first: nothing else may have initialised it on this thread.
    CheckCom();
    CheckBindings();
    CheckFileEntries();
    CheckRegistryEntries();
    CheckShellCopy();
    CheckText();
    CheckFormatting();
    CheckProfile();
    CheckMemory();
    CheckFileSystem();
    CheckArchiveResource(argv[3]);
    CheckDialogTemplates(GetModuleHandleA(0));
    CheckDialogsAtRunTime();
    CheckMessageBox();
    return Finish();
  }
  if ((argc == 3 || argc == 4) && strcmp(argv[1], "resources") == 0) {
    HMODULE program = LoadLibraryExA(argv[2], 0, LOAD_LIBRARY_AS_DATAFILE);
    if (program == 0) {
      printf("cannot load %s\n", argv[2]);
      return 2;
    }
    CheckDialogTemplates(program);
    CheckProgramResources(program, argv[2]);
    if (argc == 4) CheckArchiveOf(program, argv[3]);
    return Finish();
  }
  return Usage();
}
