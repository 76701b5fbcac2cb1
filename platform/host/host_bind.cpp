// The system function table of the simulated Windows. The table starts out
// filled, as a successful binding leaves it, so code under test may use it
// without binding first; BindSystemFunctions fills it again and misses the
// entries (or whole libraries) a test named with HostFailBinding.
#include <string.h>

#include <set>
#include <string>

#include "platform/host/host_control.h"
#include "platform/host/host_internal.h"

// Stand-ins for the three library handles.
static char kernelLibrary, shellLibrary, advancedLibrary;

static constexpr SystemFunctionTable kBoundTable = {
    &kernelLibrary,
    &shellLibrary,
    &advancedLibrary,
    HostEntryFileOpen,
    HostEntryFileRead,
    HostEntryFileWrite,
    HostEntryFileSizeQuery,
    HostEntryFileClose,
    HostEntryFileAttributesGet,
    HostEntryFileAttributesSet,
    HostEntryShellCopy,
    HostEntryKeyOpen,
    HostEntryKeyQueryValue,
    HostEntryKeyClose,
};

SystemFunctionTable SystemFunctions = kBoundTable;

static std::set<std::string> failing;

void HostResetBinding() {
  failing.clear();
  SystemFunctions = kBoundTable;
}

// Entry names as in the table; the libraries as "KernelLibrary",
// "ShellLibrary" and "AdvancedLibrary", whose loss takes their entries.
void HostFailBinding(const char* entryName) {
  if (entryName) failing.insert(entryName);
}

template <typename T>
static void Bind(T* slot, T value, const char* name, const char* library,
                 int* complete) {
  if (failing.count(name) || failing.count(library)) {
    *slot = 0;
    *complete = 0;
  } else {
    *slot = value;
  }
}

int BindSystemFunctions() {
  const SystemFunctionTable& all = kBoundTable;
  SystemFunctionTable& t = SystemFunctions;
  int complete = 1;
  const char* kernel = "KernelLibrary";
  const char* shell = "ShellLibrary";
  const char* advanced = "AdvancedLibrary";
  // Every library is loaded and every entry looked up, also after a miss.
  Bind(&t.KernelLibrary, all.KernelLibrary, kernel, kernel, &complete);
  Bind(&t.ShellLibrary, all.ShellLibrary, shell, shell, &complete);
  Bind(&t.AdvancedLibrary, all.AdvancedLibrary, advanced, advanced, &complete);
  Bind(&t.FileOpen, all.FileOpen, "FileOpen", kernel, &complete);
  Bind(&t.FileRead, all.FileRead, "FileRead", kernel, &complete);
  Bind(&t.FileWrite, all.FileWrite, "FileWrite", kernel, &complete);
  Bind(&t.FileSizeQuery, all.FileSizeQuery, "FileSizeQuery", kernel, &complete);
  Bind(&t.FileClose, all.FileClose, "FileClose", kernel, &complete);
  Bind(&t.FileAttributesGet, all.FileAttributesGet, "FileAttributesGet", kernel,
       &complete);
  Bind(&t.FileAttributesSet, all.FileAttributesSet, "FileAttributesSet", kernel,
       &complete);
  Bind(&t.ShellCopy, all.ShellCopy, "ShellCopy", shell, &complete);
  Bind(&t.KeyOpen, all.KeyOpen, "KeyOpen", advanced, &complete);
  Bind(&t.KeyQueryValue, all.KeyQueryValue, "KeyQueryValue", advanced,
       &complete);
  Bind(&t.KeyClose, all.KeyClose, "KeyClose", advanced, &complete);
  return complete;
}
