// Shared state between the files of the simulated Windows.
#ifndef UPDATER_PLATFORM_HOST_INTERNAL_H
#define UPDATER_PLATFORM_HOST_INTERNAL_H

#include <stdint.h>

#include <string>

#include "platform/platform.h"

// Each part of the host layer forgets its settings; HostReset calls them all.
void HostResetMemory();
void HostResetPaths();
void HostResetFiles();     // open handles, locks, short writes
void HostResetFileMeta();  // attributes and creation times
void HostResetVolumes();   // drive types, free space, folders, image, COM
void HostResetRegistry();
void HostResetMessageBoxes();
void HostResetWindows();  // declared windows, dialogs, controls, cursor
void HostResetDialogs();  // the dialog driver
void HostResetShell();
void HostResetBinding();

// 1 when a host folder is mapped to the drive letter.
int HostDriveMapped(char letter);

// ---- Paths -----------------------------------------------------------------
// The host path a Windows path names, 0 when it names no mapped drive. Like
// the Windows file system, names are found without regard to ASCII letter
// case: each part of the path that exists on the host under another case is
// replaced by the host's spelling, so one file has one host path.
int HostResolvePath(const char* windowsPath, std::string* hostPath);
// folder/name, with the spelling under which name exists in the folder.
std::string HostJoinExisting(const std::string& folder,
                             const std::string& name);
// ASCII case-insensitive equality of two host paths.
int HostSamePath(const std::string& a, const std::string& b);

// ---- File metadata kept beside the host files -------------------------------
// Attribute bits other than the folder bit live in a table keyed by the
// resolved host path (root may write to any file, so the host's permission
// bits cannot stand for the read-only attribute).
uint32_t HostStoredAttributes(const std::string& hostPath);  // 0 if none
void HostStoreAttributes(const std::string& hostPath, uint32_t attributes);
// A creation time set by SysSetFileTime or by creating the file through
// FileOpen; 0 when none is kept (the last-write time stands in).
int HostStoredCreationTime(const std::string& hostPath, FileTime* time);
void HostStoreCreationTime(const std::string& hostPath, const FileTime& time);
void HostForgetFileMeta(const std::string& hostPath);
void HostMoveFileMeta(const std::string& from, const std::string& to);

// ---- Open files
// -------------------------------------------------------------- 1 when the
// test locked the path (held open by another process).
int HostPathLocked(const std::string& hostPath);
// 1 when a handle of this process holds the path open in a way that keeps
// it from being replaced or deleted.
int HostPathOpen(const std::string& hostPath);

// ---- Time ----------------------------------------------------------------
// Host time (seconds, nanoseconds since 1970) to and from FILETIME values.
FileTime HostFileTimeFromUnix(int64_t seconds, int64_t nanoseconds);
void HostUnixFromFileTime(const FileTime& time, int64_t* seconds,
                          int64_t* nanoseconds);

// ---- Entries of the system function table ---------------------------------
SysHandle HostEntryFileOpen(const char* path, uint32_t access, uint32_t share,
                            uint32_t disposition, uint32_t attributes);
int HostEntryFileRead(SysHandle file, void* buffer, uint32_t count,
                      uint32_t* done);
int HostEntryFileWrite(SysHandle file, const void* bytes, uint32_t count,
                       uint32_t* done);
uint32_t HostEntryFileSizeQuery(SysHandle file);
void HostEntryFileClose(SysHandle file);
uint32_t HostEntryFileAttributesGet(const char* path);
void HostEntryFileAttributesSet(const char* path, uint32_t attributes);
int HostEntryShellCopy(ShellCopyRequest* request);
long HostEntryKeyOpen(SysHandle root, const char* path, uint32_t options,
                      uint32_t access, SysHandle* key);
long HostEntryKeyQueryValue(SysHandle key, const char* name, void* buffer,
                            uint32_t* size);
void HostEntryKeyClose(SysHandle key);

#endif
