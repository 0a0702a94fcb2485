// Windows start-up: the system family from GetVersionExA, the module handle, and the command line
// split by the system (the NT family) or by the launcher's own tokenizer (the 9x family).
#include "platform/win32.h"
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

#include <memory>

#include "core/startup.h"
#include "platform/registry.h"
#include "services/host.h"

namespace wiz {

namespace {

// Frees the array CommandLineToArgvW hands out.
struct ArgvFree {
    void operator()(LPWSTR* argv) const {
        if (!argv) return;
        HGLOBAL handle = GlobalHandle(argv);
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
};

}  // namespace

// The extended structure is asked for first; systems that do not know it accept the basic one.
bool detectWin9x() {
    OSVERSIONINFOEXA info = {};
    info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOEXA);
    static_assert(sizeof(OSVERSIONINFOEXA) == 156, "extended version structure size");
    static_assert(sizeof(OSVERSIONINFOA) == 148, "basic version structure size");
    BOOL ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    if (!ok) {
        info = OSVERSIONINFOEXA();
        info.dwOSVersionInfoSize = sizeof(OSVERSIONINFOA);
        ok = GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info));
    }
    return ok && info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS;
}

void* moduleHandle() { return GetModuleHandleA(nullptr); }

// The NT family splits the wide command line with the system's own rules; the 9x family has no
// wide command line, so the launcher's tokenizer splits the ANSI one.
bool buildArgumentList(int /*argc*/, char** /*argv*/, ArgumentList& args) {
    if (hostState().isWin9x) {
        const char* line = GetCommandLineA();
        tokenizeCommandLine(line ? line : "", args);
        return true;
    }
    int count = 0;
    std::unique_ptr<LPWSTR, ArgvFree> argv(CommandLineToArgvW(GetCommandLineW(), &count));
    if (!argv) return false;
    for (int i = 0; i < count; ++i) args.append(toAnsi(argv.get()[i]));
    return true;
}

}  // namespace wiz
