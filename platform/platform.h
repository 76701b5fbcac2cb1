// The platform layer: every operation the updater needs from the operating
// system, as plain functions over plain types. Only the files under platform/
// include the system's headers; app/, archive/ and settings/ see this file
// alone, so they build for Windows and natively alike.
//
// Two implementations exist: platform/win32/ calls the real Windows API (ANSI
// functions), platform/host/ is a small simulated Windows that native tests
// script through platform/host/host_control.h.
#ifndef UPDATER_PLATFORM_PLATFORM_H
#define UPDATER_PLATFORM_PLATFORM_H

#include <stdarg.h>
#include <stdint.h>

typedef void* SysHandle;  // an open file or registry key
typedef void* SysWindow;  // a window (dialog, control, message box owner)
typedef void* SysModule;  // a loaded module, the program instance

// A Windows FILETIME: 100-nanosecond intervals since 1 January 1601, UTC.
struct FileTime {
  uint32_t Low;
  uint32_t High;
};

// Values with the meaning and number they have on Windows.
#define SYS_INVALID_HANDLE ((SysHandle)(intptr_t)-1)
#define SYS_INVALID_ATTRIBUTES 0xFFFFFFFFu
#define SYS_GENERIC_READ 0x80000000u
#define SYS_GENERIC_WRITE 0x40000000u
#define SYS_FILE_SHARE_READ 1u
#define SYS_CREATE_ALWAYS 2u
#define SYS_OPEN_EXISTING 3u
#define SYS_FILE_ATTRIBUTE_READONLY 0x01u
#define SYS_FILE_ATTRIBUTE_DIRECTORY 0x10u
#define SYS_FILE_ATTRIBUTE_NORMAL 0x80u
#define SYS_DRIVE_CDROM 5u
#define SYS_HKEY_CURRENT_USER ((SysHandle)(uintptr_t)0x80000001u)
#define SYS_KEY_READ 0x20019u

#define SYS_MB_OK 0x0u
#define SYS_MB_OKCANCEL 0x1u
#define SYS_MB_ICONERROR 0x10u
#define SYS_IDOK 1
#define SYS_IDCANCEL 2

#define SYS_SW_HIDE 0
#define SYS_SW_SHOW 5

#define SYS_WM_SETCURSOR 0x0020u
#define SYS_WM_INITDIALOG 0x0110u
#define SYS_WM_COMMAND 0x0111u

#define SYS_FO_COPY 2u
#define SYS_FOF_NOCONFIRMATION 0x0010u
#define SYS_FOF_NOCONFIRMMKDIR 0x0200u
#define SYS_FOF_NOERRORUI 0x0400u

// The class of system dialog boxes, given to SysFindWindow as an atom.
#define SYS_DIALOG_CLASS ((const char*)(uintptr_t)0x8002)

enum SysCursor { SysCursorArrow = 0, SysCursorWait = 1 };

// ---------------------------------------------------------------------------
// The run-time bound system functions. BindSystemFunctions fills the table
// once at start-up; 1 only when every library and every entry was found, a
// partial table is never used. The entries take what the updater passes and
// give what it relies on (see each comment); none shows a message.

// The shell's copy operation: one request, cleared before use. Source and
// Destination each are one path followed by two NULs. Aborted is set by the
// shell when the user stopped the operation.
struct ShellCopyRequest {
  SysWindow Owner;
  uint32_t Function;  // SYS_FO_COPY
  const char* Source;
  const char* Destination;
  uint16_t Flags;
  int32_t Aborted;
};

struct SystemFunctionTable {
  void* KernelLibrary;
  void* ShellLibrary;
  void* AdvancedLibrary;
  // Open or create a file; SYS_INVALID_HANDLE on failure.
  SysHandle (*FileOpen)(const char* path, uint32_t access, uint32_t share,
                        uint32_t disposition, uint32_t attributes);
  // Non-zero on success; *done receives the count moved.
  int (*FileRead)(SysHandle file, void* buffer, uint32_t count, uint32_t* done);
  int (*FileWrite)(SysHandle file, const void* bytes, uint32_t count,
                   uint32_t* done);
  // The lower 32 bits of the size; 0xFFFFFFFF on failure.
  uint32_t (*FileSizeQuery)(SysHandle file);
  void (*FileClose)(SysHandle file);
  // Attribute bits, or SYS_INVALID_ATTRIBUTES when nothing exists there.
  uint32_t (*FileAttributesGet)(const char* path);
  void (*FileAttributesSet)(const char* path, uint32_t attributes);
  // 0 on success.
  int (*ShellCopy)(ShellCopyRequest* request);
  // 0 on success.
  long (*KeyOpen)(SysHandle root, const char* path, uint32_t options,
                  uint32_t access, SysHandle* key);
  // 0 on success; *size is the buffer's size in and the value's size out.
  long (*KeyQueryValue)(SysHandle key, const char* name, void* buffer,
                        uint32_t* size);
  void (*KeyClose)(SysHandle key);
};

extern SystemFunctionTable SystemFunctions;
int BindSystemFunctions();

// ---------------------------------------------------------------------------
// The program's own archive resource (type "UPDATE", id 102). 1 and the
// byte range when the resource exists, is not empty and can be loaded and
// locked; 0 otherwise (the archive is then missing). The bytes stay valid
// and unchanged until the process ends.
int SysLoadArchiveImage(SysModule instance, const uint8_t** start,
                        uint32_t* size);

// ---------------------------------------------------------------------------
// Memory from the system's global allocator: fixed blocks, zero-filled when
// asked. Null on failure.
void* SysAlloc(uint32_t size, int zeroFill);
void SysFree(void* block);

// ---------------------------------------------------------------------------
// Text in the system code page.
const char* SysCharNext(const char* text);          // CharNextA
int SysIsLeadByte(unsigned char byte);               // IsDBCSLeadByte
int SysCompareNoCase(const char* a, const char* b);  // lstrcmpiA: 0 if equal
// printf-style formatting as wsprintfA/wvsprintfA do it: %s %i %u %d %c %x
// and %%; the output holds at most 1023 characters and a NUL, so `out` must
// have room for 1024 bytes. Returns the count of characters written.
int SysFormat(char* out, const char* format, ...);
int SysFormatV(char* out, const char* format, va_list args);

// ---------------------------------------------------------------------------
// Profile files: GetPrivateProfileStringA. The count of characters copied,
// 0 for a missing key or an empty value; the value is cut to size - 1
// characters and always ended by a NUL.
uint32_t SysGetProfileString(const char* section, const char* key,
                             const char* fallback, char* buffer, uint32_t size,
                             const char* file);

// ---------------------------------------------------------------------------
// File system.
uint32_t SysGetTempPath(char* buffer, uint32_t size);  // 0 when there is none
// The folder that holds the running program, without a final backslash.
uint32_t SysGetProgramFolder(char* buffer, uint32_t size);
uint32_t SysGetProcessId();
// Free bytes available to the caller on the drive named by root ("C:").
int SysGetDiskFreeSpace(const char* root, uint64_t* freeBytes);
uint32_t SysGetDriveType(const char* root);
int SysCreateDirectory(const char* path);
int SysDeleteFile(const char* path);
int SysGetFileTime(SysHandle file, FileTime* creation, FileTime* access,
                   FileTime* write);
int SysSetFileTime(SysHandle file, const FileTime* creation,
                   const FileTime* access, const FileTime* write);
// Replace `to` by `from` (MoveFileExA, replace existing, write through).
int SysMoveFileReplace(const char* from, const char* to);

// ---------------------------------------------------------------------------
// COM for the shell's copy (CoInitialize); result ignored by the caller.
void SysInitializeCom();

// ---------------------------------------------------------------------------
// User interface.
int SysMessageBox(SysWindow owner, const char* text, const char* caption,
                  uint32_t style);

// The dialog procedure as the updater writes it; the platform layer wraps it
// in whatever the system's dialog manager calls.
typedef intptr_t (*SysDialogProc)(SysWindow dialog, uint32_t message,
                                  uintptr_t wordParam, intptr_t longParam);
// Runs a modal dialog from the template with the id; its EndDialog result,
// or -1 when the dialog could not be created.
intptr_t SysDialogBox(SysModule instance, int templateId, SysWindow owner,
                      SysDialogProc proc, intptr_t param);
void SysEndDialog(SysWindow dialog, intptr_t result);
SysWindow SysGetDlgItem(SysWindow dialog, int id);
void SysEnableWindow(SysWindow window, int enable);
void SysShowWindow(SysWindow window, int command);
void SysSetWindowText(SysWindow window, const char* text);
void SysSetDlgItemText(SysWindow dialog, int id, const char* text);
void SysCheckRadioButton(SysWindow dialog, int first, int last, int check);
void SysSetFocus(SysWindow window);
void SysSetCursor(SysCursor cursor);  // LoadCursorA of the system cursor
// FindWindowA; className may be SYS_DIALOG_CLASS.
SysWindow SysFindWindow(const char* className, const char* title);
void SysSetForegroundWindow(SysWindow window);

#endif
