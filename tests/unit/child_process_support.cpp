#include "unit/child_process_support.h"

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "platform/path.h"

namespace wiztest {

std::string childCommand(const std::string& args) {
    return "\"" + testExecutableDirectory() + wiz::kPathSeparator + "wizchild\" " + args;
}

std::string runFailure(const std::string& command, bool captured, const std::string& directory) {
    wiz::LString out, err;
    try {
        wiz::runCommand(wiz::LString(command), wiz::LString(directory), false, captured, true, &out,
                        &err, false);
    } catch (const wiz::LauncherException& e) {
        return e.message().str();
    }
    return "(no exception)";
}

CountingHost::CountingHost() : saved_(wiz::currentHost), savedSilent_(wiz::silentMode) {
    wiz::currentHost = this;
    wiz::silentMode = false;
}

CountingHost::~CountingHost() {
    wiz::currentHost = saved_;
    wiz::silentMode = savedSilent_;
}

}  // namespace wiztest
