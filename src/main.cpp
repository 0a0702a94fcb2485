// The launcher's entry point: decides the system family, opens the debug log, splits the command
// line, chooses the console or the windowed host and lets it run the whole launch. The host's
// result is the exit code; -1 when no host could start.
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>

#include "core/arguments.h"
#include "core/run_ending.h"
#include "core/startup.h"
#include "platform/system_library.h"
#include "services/host.h"
#include "services/log.h"
#include "ui/console_host.h"
#include "ui/windowed_host.h"

int main(int argc, char** argv) {
    using namespace wiz;
    // Before anything can load a DLL: no DLL may come from the launcher's own directory.
    restrictLibrarySearch();
    int exitCode = -1;
    // The argument list outlives the host, which keeps a pointer to it.
    ArgumentList args;
    std::unique_ptr<LauncherHost> host;
    HostState& state = hostState();
    try {
        state.isWin9x = detectWin9x();
        startDebugLogFromEnvironment();
        state.moduleInstance = moduleHandle();
        if (buildArgumentList(argc, argv, args)) {
            const bool console = wantsConsoleHost(args);
            // From here on a signal or console event ends the run in order: its children end
            // and its temporary files go.
            RunEndingWatch endingWatch(!console);
            host.reset(console ? createConsoleHost(args) : createWindowedHost(args));
            state.host = host.get();
            // The show command of a normally started program (SW_SHOW).
            bool ready = host->initialize(state.moduleInstance, 5);
            if (!ready && !console) {
                // No window here (no display, no desktop): the run goes on as on a console, with
                // the console host's exit code.
                writeLogOnceOpen("The progress window cannot be shown (" +
                                     host->initializeFailure() +
                                     "); the launcher reports on the console instead.",
                                 kLogWarning);
                state.host = nullptr;
                host.reset(createConsoleHost(args));
                state.host = host.get();
                ready = host->initialize(state.moduleInstance, 5);
            }
            if (ready) exitCode = host->run();
            runFinished();
        }
    } catch (const std::bad_alloc&) {
        // Before the launch (the argument list, the host) or after it (its exit message).
        reportOutOfMemory();
    } catch (...) {
        // Nothing that escapes the launch may end the process abnormally; the host is still
        // released below.
    }
    state.host = nullptr;
    host.reset();
    return exitCode;
}

// std::terminate's default handler in the GNU C++ library prints the uncaught exception's type
// by name, which brings the library's whole symbol demangler into the executable (about a tenth
// of the Windows launcher). Every exception of the launcher is caught above, so this is reached
// only through a library fault; a short message and the abort are enough.
namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::fputs("wizlaunch: internal error (terminate)\n", stderr);
    std::abort();
}
}  // namespace __gnu_cxx
