// Memory blocks from the system's global allocator: fixed (not movable)
// blocks, so that the handle is the address.
#include <windows.h>

#include "platform/platform.h"

void* SysAlloc(uint32_t size, int zeroFill) {
  UINT flags = zeroFill ? (GMEM_FIXED | GMEM_ZEROINIT) : GMEM_FIXED;
  return reinterpret_cast<void*>(GlobalAlloc(flags, size));
}

void SysFree(void* block) {
  if (block != 0) GlobalFree(reinterpret_cast<HGLOBAL>(block));
}
