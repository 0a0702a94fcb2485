#include "unit/child_process_support.h"

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "platform/path.h"
#include "services/host.h"

namespace wiztest {

std::string childCommand(const std::string& args) {
    return "\"" + testExecutableDirectory() + wiz::kPathSeparator + "wizchild\" " + args;
}

wiz::RunOptions runOptions(const wiz::LString& directory, bool showConsole, bool capture, bool wait,
                           wiz::LString* out, wiz::LString* err, bool newConsole) {
    wiz::RunOptions options;
    options.workingDirectory = directory;
    options.showConsole = showConsole;
    options.capture = capture;
    options.wait = wait;
    options.stdoutBuffer = out;
    options.stderrBuffer = err;
    options.newConsole = newConsole;
    return options;
}

std::string runFailure(const std::string& command, bool captured, const std::string& directory) {
    wiz::LString out, err;
    try {
        wiz::runCommand(wiz::LString(command), runOptions(wiz::LString(directory), false, captured,
                                                          true, &out, &err, false));
    } catch (const wiz::LauncherException& e) {
        return e.message().str();
    }
    return "(no exception)";
}

CountingHost::CountingHost()
    : saved_(wiz::hostState().host), savedSilent_(wiz::hostState().silent) {
    wiz::hostState().host = this;
    wiz::hostState().silent = false;
}

CountingHost::~CountingHost() {
    wiz::hostState().host = saved_;
    wiz::hostState().silent = savedSilent_;
}

}  // namespace wiztest
