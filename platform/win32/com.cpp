// COM on the updater's one thread, for the shell's copy operation.
#include <objbase.h>

#include "platform/platform.h"

void SysInitializeCom() { CoInitialize(0); }
