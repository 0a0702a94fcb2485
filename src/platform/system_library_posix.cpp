// POSIX: the dynamic linker takes shared libraries from the system's own directories, never from
// the program's; there are no Windows DLLs to load.
#include "platform/system_library.h"

namespace wiz {

void restrictLibrarySearch() {}

void* loadSystemLibrary(const char* /*name*/) { return nullptr; }

void* loadSystemLibraryByPath(const char* /*name*/) { return nullptr; }

}  // namespace wiz
