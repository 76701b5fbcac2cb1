// Scripting the simulated Windows of the native build. Tests set the scene
// (drives, registry, windows, answers to message boxes), run updater code
// against platform/platform.h, and read back what it did.
#ifndef UPDATER_PLATFORM_HOST_CONTROL_H
#define UPDATER_PLATFORM_HOST_CONTROL_H

#include <stddef.h>
#include <stdint.h>

#include "platform/platform.h"

// Forget every setting, recorded box, window, registry value, drive mapping
// and failure switch; the start state of every test.
void HostReset();

// ---- Files and drives -------------------------------------------------------
// Names below a drive are found without regard to ASCII letter case, as on
// Windows (an existing host spelling is used; new files take the spelling
// asked). Attribute bits other than the folder bit (0x10, from the host)
// are kept beside the host files, so the read-only attribute works as root:
// a read-only file cannot be opened for writing, deleted or replaced. Files
// without other bits report 0x80. Last-write and last-access times are the
// host file's own (100 ns precision on file systems with nanoseconds);
// reading through FileRead leaves the access time alone. The creation time
// is the one SysSetFileTime set, or the moment FileOpen created the file,
// otherwise the last-write time. Handles of this process share as
// CreateFileA says: a file open for reading without write sharing cannot be
// opened for writing, deleted or replaced.
// Map a drive letter ('C') to a host folder; "C:\a\b" then names
// hostFolder/a/b. Paths that do not start with a mapped drive letter and a
// colon cannot be opened (a path without a drive is refused, as on a system
// where that drive does not exist).
void HostMapDrive(char letter, const char* hostFolder);
// Translate a Windows path into a host path; 0 when it names no mapped drive.
int HostTranslatePath(const char* windowsPath, char* out, size_t size);
// Drive type reported by SysGetDriveType ("E:" → SYS_DRIVE_CDROM); unmapped
// and unset drives report 1 (no root), mapped ones 3 (fixed) by default.
void HostSetDriveType(char letter, uint32_t type);
// Free bytes reported for a drive; by default 1 TiB. HostFailFreeSpace makes
// the query fail for that drive.
void HostSetFreeSpace(char letter, uint64_t freeBytes);
void HostFailFreeSpace(char letter);
// Make opening this Windows path for writing fail, as for a file held open
// without sharing by another process (replacing it fails as well).
void HostLockFile(const char* windowsPath);
// Make the next write through FileWrite report success with `count` bytes
// less than asked (a full disk), or fail outright when count is 0xFFFFFFFF.
void HostShortenNextWrite(uint32_t count);
void HostSetTempPath(const char* windowsPath);  // "" = no temporary folder
void HostSetProgramFolder(const char* windowsPath);
// Handles of FileOpen not yet closed by FileClose.
int HostOpenFileCount();

// ---- Bindings, memory ------------------------------------------------------
// Make BindSystemFunctions miss one entry by its name ("FileOpen", ...).
void HostFailBinding(const char* entryName);
// Let SysAlloc fail for every request of at least `size` bytes (0 = never).
void HostFailAllocationsFrom(uint32_t size);
// Count of blocks currently allocated through SysAlloc and not freed.
int HostLiveAllocations();

// ---- Archive resource ------------------------------------------------------
// The bytes SysLoadArchiveImage returns (copied); none set = missing.
void HostSetArchiveImage(const uint8_t* bytes, uint32_t size);

// ---- Registry (HKEY_CURRENT_USER only) -------------------------------------
void HostRegistrySetString(const char* keyPath, const char* name,
                           const char* value);
void HostRegistrySetBytes(const char* keyPath, const char* name,
                          const void* bytes, uint32_t size);
void HostRegistrySetDword(const char* keyPath, const char* name,
                          uint32_t value);
// Keys of KeyOpen not yet closed by KeyClose.
int HostOpenKeyCount();

// ---- COM -------------------------------------------------------------------
int HostComInitializeCount();  // calls of SysInitializeCom

// ---- Message boxes -------------------------------------------------------
struct HostMessageBoxRecord {
  char Text[1024];
  char Caption[1024];
  SysWindow Owner;
  uint32_t Style;
  int Answer;
};
// Answers given to the next boxes, in order; when the queue is empty a box
// is answered with IDOK (OK boxes) or IDCANCEL (OK/Cancel boxes).
void HostQueueMessageBoxAnswer(int answer);
int HostMessageBoxCount();
const HostMessageBoxRecord* HostMessageBox(int index);
// Called whenever a box is shown, before it is answered (may be null).
// Tests use it to change the scene while a box is up (close the game).
void HostSetMessageBoxHook(void (*hook)(const HostMessageBoxRecord* box));

// ---- Windows ---------------------------------------------------------------
// Declare a top-level window for SysFindWindow (class may be
// SYS_DIALOG_CLASS). Returns its handle.
SysWindow HostDeclareWindow(const char* className, const char* title);
void HostRemoveWindow(SysWindow window);
int HostWindowShown(SysWindow window);       // SysShowWindow(SW_SHOW) seen
int HostWindowForeground(SysWindow window);  // SysSetForegroundWindow seen

// ---- The dialog ------------------------------------------------------------
// SysDialogBox creates a dialog of the template with its controls (ids 1, 2,
// 4, 1001, and for template 101 also 1000, 1002, 1003, all enabled and
// visible, texts as in the templates), sends WM_INITDIALOG, then calls the
// driver again and again until the dialog has ended; a driver that returns
// 0 closes the dialog as the close box would (a command with id 2).
typedef int (*HostDialogDriver)(SysWindow dialog, int step);
void HostSetDialogDriver(HostDialogDriver driver);
// Send a command as a click would: ignored (0) when the control is disabled
// or hidden; 1 when it was delivered.
int HostClick(SysWindow dialog, int id);
// Deliver a command whatever the control's state (keyboard handling).
void HostSendCommand(SysWindow dialog, int id);
// Ask the procedure for the cursor as the mouse moving over the dialog does;
// the cursor the dialog then shows.
SysCursor HostCursorOverDialog(SysWindow dialog);
SysCursor HostCurrentCursor();
const char* HostControlText(SysWindow dialog, int id);  // null: no control
int HostControlEnabled(SysWindow dialog, int id);
int HostControlVisible(SysWindow dialog, int id);
int HostControlChecked(SysWindow dialog, int id);
int HostControlFocused(SysWindow dialog, int id);
const char* HostDialogTitle(SysWindow dialog);
int HostDialogTemplate(SysWindow dialog);
int HostDialogEnded(SysWindow dialog);
// The dialog that SysDialogBox is running, null when none is.
SysWindow HostCurrentDialog();

// ---- Shell copy ------------------------------------------------------------
// The shell copy copies the file or folder (recursively) through the drive
// mapping and records each request; HostShellCopyResult forces the next
// result (e.g. 1026) or the aborted flag.
struct HostShellCopyRecord {
  char Source[520];
  char Destination[520];
  uint16_t Flags;
  SysWindow Owner;
};
void HostForceNextShellCopy(int result, int aborted);
int HostShellCopyCount();
const HostShellCopyRecord* HostShellCopy(int index);

#endif
