// The program's entry point. The updater takes no arguments: the command
// line and the requested show state are ignored, and the start-up sequence
// gets the program's instance alone. Its result is the process exit status.
#include <windows.h>

#include "app/startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  return UpdaterMain(instance);
}
