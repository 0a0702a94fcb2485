/* A DLL that only reports being loaded: on attaching to a process it creates an empty file named
 * after itself with ".loaded" appended (comctl32.dll.loaded). The DLL search tests copy it under
 * the names of system DLLs beside the launcher; the launcher must never load one of them. It
 * exports nothing, so a process that does load it in place of a real system DLL may fail later:
 * the file is written first thing, and only kernel32 is used for it. */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID reserved) {
    (void)reserved;
    if (reason == DLL_PROCESS_ATTACH) {
        char path[MAX_PATH + 8];
        const DWORD length = GetModuleFileNameA(self, path, MAX_PATH);
        if (length > 0 && length < MAX_PATH) {
            lstrcpyA(path + length, ".loaded");
            HANDLE marker = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                                        FILE_ATTRIBUTE_NORMAL, NULL);
            if (marker != INVALID_HANDLE_VALUE) CloseHandle(marker);
        }
    }
    return TRUE;
}
