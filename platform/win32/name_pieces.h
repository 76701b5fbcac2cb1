// Names of system libraries and functions that the updater binds at run
// time. They are not kept whole in the program: each name is a list of short
// pieces that JoinNamePieces puts together when the name is needed.
#ifndef UPDATER_PLATFORM_WIN32_NAME_PIECES_H
#define UPDATER_PLATFORM_WIN32_NAME_PIECES_H

#include <stdint.h>

// Longest name the lists below can form, with its NUL.
#define NAME_PIECES_SIZE 64

// A name: a list of pieces ended by a null pointer.
typedef const char* const NamePieces[];

// Copies the pieces one after the other into `out` (NAME_PIECES_SIZE bytes)
// and ends the result with a NUL. A name that would not fit is cut; no bound
// name comes near the limit. Returns `out`.
const char* JoinNamePieces(char* out, const char* const* pieces);

extern NamePieces KernelLibraryName;
extern NamePieces ShellLibraryName;
extern NamePieces AdvancedLibraryName;

#endif
