// Loading the system's DLLs from the system directory alone.
//
// For a DLL that is not one of its KnownDLLs, Windows looks in the program's own directory first.
// An installer usually runs from a download folder, where a file named like a system DLL would
// be loaded into the launcher before its first line runs. So the launcher imports only kernel32
// and msvcrt (which the C start-up code needs) the usual way; every other system DLL is
// delay-loaded (cmake/delay_imports.cmake), and the delay-load helper gets it from
// loadSystemLibrary.
#pragma once

namespace wiz {

// Limits where the process looks for DLLs to the system directory (SetDefaultDllDirectories with
// LOAD_LIBRARY_SEARCH_SYSTEM32), which also covers the DLLs that system DLLs load themselves.
// Systems before Windows 8 without the update that added the function keep their search order;
// there loadSystemLibrary falls back to full paths. The first thing the launcher does; nothing
// on POSIX.
void restrictLibrarySearch();

// Loads a system DLL given by its file name ("user32.dll") from the system directory and nowhere
// else: with LOAD_LIBRARY_SEARCH_SYSTEM32 where the system knows the flag (so that an activation
// context can still redirect it, as the manifest does for Common Controls 6), otherwise by
// loadSystemLibraryByPath. Null when it cannot be loaded from there, and always on POSIX.
void* loadSystemLibrary(const char* name);

// The fallback for systems without LOAD_LIBRARY_SEARCH_SYSTEM32: the DLL's full path in the
// system directory, loaded with LOAD_WITH_ALTERED_SEARCH_PATH so that the DLLs it imports are
// looked for in its own directory instead of the program's. Null on failure and on POSIX.
void* loadSystemLibraryByPath(const char* name);

}  // namespace wiz
