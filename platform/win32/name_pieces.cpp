// The pieces of the names that the updater binds at run time, and their
// joining. Pieces are shared between names where they repeat ("File",
// "Resource", "32.dll"), which keeps the whole names out of the program's
// data.
#include "platform/win32/name_pieces.h"

NamePieces KernelLibraryName = {"ker", "nel", "32", ".dll", 0};
NamePieces ShellLibraryName = {"she", "ll", "32", ".dll", 0};
NamePieces AdvancedLibraryName = {"adv", "api", "32", ".dll", 0};

const char* JoinNamePieces(char* out, const char* const* pieces) {
  uint32_t length = 0;
  for (; *pieces != 0; ++pieces) {
    for (const char* piece = *pieces; *piece != 0; ++piece) {
      if (length + 1 >= NAME_PIECES_SIZE) {
        out[length] = 0;
        return out;
      }
      out[length++] = *piece;
    }
  }
  out[length] = 0;
  return out;
}
