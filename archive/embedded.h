// The archive the updater carries in its own resources.
#ifndef UPDATER_ARCHIVE_EMBEDDED_H
#define UPDATER_ARCHIVE_EMBEDDED_H

#include <stdint.h>

#include "archive/container.h"
#include "platform/platform.h"

// Locates the resource "UPDATE"/102 of the program and opens it.
ArchiveOpenResult OpenEmbeddedArchive(SysModule instance);
// A member's bytes in memory (descrambled and decompressed as its entry
// says), or null after a message box. *size receives UnpackedSize on success
// when size is not null. The bytes live until the process ends.
const uint8_t* FindMember(const char* name, uint32_t* size);

// Gives back every block FindMember has handed out. Only for starting the
// updater anew within one process (the native tests); a run never calls it.
void ReleaseFoundMembers();

#endif
