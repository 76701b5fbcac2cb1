// Memory of the simulated Windows: GlobalAlloc-style fixed blocks, with a
// switch that makes large requests fail and a count of live blocks so tests
// can see that every temporary block was released.
#include <stdlib.h>
#include <string.h>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

static uint32_t failFrom = 0;
static int liveBlocks = 0;

void HostResetMemory() {
  failFrom = 0;
  liveBlocks = 0;
}

void HostFailAllocationsFrom(uint32_t size) { failFrom = size; }
int HostLiveAllocations() { return liveBlocks; }

void* SysAlloc(uint32_t size, int zeroFill) {
  if (failFrom != 0 && size >= failFrom) return 0;
  // A block of 0 bytes is still a distinct block, as with GlobalAlloc.
  void* block = malloc(size ? size : 1);
  if (block == 0) return 0;
  if (zeroFill) memset(block, 0, size ? size : 1);
  liveBlocks++;
  return block;
}

void SysFree(void* block) {
  if (block == 0) return;
  liveBlocks--;
  free(block);
}
