// Windows entry point: decides the system family, opens the debug log, splits the command line,
// chooses the console or the windowed host and lets it run the whole launch.
#include "platform/win32/win32.h"
// shellapi.h needs the declarations of windows.h first.
#include <shellapi.h>

#include <memory>
#include <vector>

#include "core/arguments.h"
#include "core/host.h"
#include "core/messages.h"

using namespace wiz;

namespace {

// True for the Windows 9x family (platform id 1). The extended structure is asked for first;
// systems that do not know it accept the basic one.
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

// Frees the array CommandLineToArgvW hands out.
struct ArgvFree {
    void operator()(LPWSTR* argv) const {
        if (!argv) return;
        HGLOBAL handle = GlobalHandle(argv);
        GlobalUnlock(handle);
        GlobalFree(handle);
    }
};

LString toAnsi(const wchar_t* wide) {
    int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) return LString();
    std::vector<char> buffer(static_cast<size_t>(size));
    WideCharToMultiByte(CP_ACP, 0, wide, -1, buffer.data(), size, nullptr, nullptr);
    return LString(buffer.data(), static_cast<LString::size_type>(size - 1));
}

// The NT family splits the wide command line with the system's own rules; the 9x family has no
// wide command line, so the launcher's tokenizer splits the ANSI one.
bool buildArguments(ArgumentList& args) {
    if (isWin9x) {
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

}  // namespace

int main() {
    int exitCode = -1;
    // The argument list outlives the host, which keeps a pointer to it.
    ArgumentList args;
    std::unique_ptr<LauncherHost> host;
    try {
        isWin9x = detectWin9x();

        startDebugLogFromEnvironment();

        moduleInstance = GetModuleHandleA(nullptr);

        if (buildArguments(args)) {
            host.reset(wantsConsoleHost(args) ? createConsoleHost(args) : createWindowedHost(args));
            currentHost = host.get();
            if (currentHost->initialize(moduleInstance, SW_SHOW)) exitCode = currentHost->run();
        }
    } catch (...) {
        // Nothing that escapes the launch may end the process abnormally; the host is still
        // released below.
    }
    host.reset();
    currentHost = nullptr;
    return exitCode;
}
