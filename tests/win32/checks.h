// The groups of checks of the Windows layer, run by win32_checks.
#ifndef UPDATER_TESTS_WIN32_CHECKS_H
#define UPDATER_TESTS_WIN32_CHECKS_H

#include <windows.h>

// A scratch folder of the run (ends with a backslash), made by main.
extern char ScratchFolder[MAX_PATH];
// `out` = ScratchFolder + name.
void ScratchPath(char* out, const char* name);
// Writes `size` bytes to a new file; 1 on success.
int WriteTestFile(const char* path, const void* bytes, DWORD size);
// Reads up to `size` bytes of a file; the count read, or -1.
int ReadTestFile(const char* path, void* bytes, DWORD size);

void CheckBindings();
void CheckFileEntries();
void CheckRegistryEntries();
void CheckShellCopy();
void CheckText();
void CheckFormatting();
void CheckProfile();
void CheckMemory();
void CheckFileSystem();
void CheckCom();
void CheckArchiveResource(const char* expectedFile);
// The archive resource of `program` (loaded as data) against a file; an
// empty file stands for "no archive".
void CheckArchiveOf(HMODULE program, const char* expectedFile);
// The manifest and the version record of the program at `path`, loaded as
// `program`.
void CheckProgramResources(HMODULE program, const char* path);
// The wizard layouts as stored in `module` (raw template bytes).
void CheckDialogTemplates(HMODULE module);
// The wizard layouts as the dialog manager creates them, and the window
// functions of the layer on them.
void CheckDialogsAtRunTime();
void CheckMessageBox();

#endif
