// POSIX entry point: the arguments are argv, the system counts as the NT family, and there is
// no window system, so both host choices end in the console host.
#include <memory>

#include "core/arguments.h"
#include "core/host.h"
#include "core/messages.h"

int main(int argc, char** argv) {
    using namespace wiz;
    int exitCode = -1;
    // The argument list outlives the host, which keeps a pointer to it.
    ArgumentList args;
    std::unique_ptr<LauncherHost> host;
    try {
        isWin9x = false;

        startDebugLogFromEnvironment();

        moduleInstance = nullptr;

        for (int i = 0; i < argc; ++i) args.append(argv[i]);
        host.reset(wantsConsoleHost(args) ? createConsoleHost(args) : createWindowedHost(args));
        currentHost = host.get();
        if (currentHost->initialize(moduleInstance, 5)) exitCode = currentHost->run();
    } catch (...) {
        // Nothing that escapes the launch may end the process abnormally; the host is still
        // released below.
    }
    host.reset();
    currentHost = nullptr;
    return exitCode;
}
