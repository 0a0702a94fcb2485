// Windows backend of the system-library loader, and the delay-load hook that sends every
// delay-loaded DLL of the launcher through it.
#include <string>

#include "platform/system_library.h"
#include "platform/win32.h"
// delayimp.h needs the declarations of windows.h first.
#include <delayimp.h>

namespace wiz {

namespace {

using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// A kernel32 function that older systems may lack; null there. kernel32 is loaded in every
// process, so nothing is searched for.
template <typename Function>
Function kernelFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    // Through a function type without parameters, which any function pointer may be cast to.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// SetDefaultDllDirectories and the LOAD_LIBRARY_SEARCH_* flags of LoadLibraryEx came together
// (Windows 8, and an update for Vista and 7): where the function is, the flags are known.
bool systemKnowsSearchFlags() {
    static const bool known =
        kernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories") != nullptr;
    return known;
}

// The system directory with a trailing separator; empty when the system does not say.
std::string systemDirectory() {
    const UINT size = GetSystemDirectoryA(nullptr, 0);
    if (size == 0) return std::string();
    std::string directory(size, '\0');
    const UINT length = GetSystemDirectoryA(&directory[0], size);
    if (length == 0 || length >= size) return std::string();
    directory.resize(length);
    if (directory.back() != '\\') directory += '\\';
    return directory;
}

// The delay-load helper asks before it loads a DLL (dliNotePreLoadLibrary); the module returned
// here is the one it uses. Every other notification is left to the helper.
FARPROC WINAPI loadDelayedLibrary(unsigned notification, PDelayLoadInfo info) {
    if (notification != dliNotePreLoadLibrary || !info || !info->szDll) return nullptr;
    return reinterpret_cast<FARPROC>(loadSystemLibrary(info->szDll));
}

}  // namespace

void restrictLibrarySearch() {
    auto setDefaultDllDirectories =
        kernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
    if (setDefaultDllDirectories) setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void* loadSystemLibrary(const char* name) {
    if (!systemKnowsSearchFlags()) return loadSystemLibraryByPath(name);
    return LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
}

void* loadSystemLibraryByPath(const char* name) {
    const std::string directory = systemDirectory();
    if (directory.empty()) return nullptr;
    return LoadLibraryExA((directory + name).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace wiz

// The hook of MinGW's delay-load helper (its own definition, a null pointer, is not linked when
// this one is).
PfnDliHook __pfnDliNotifyHook2 = wiz::loadDelayedLibrary;
