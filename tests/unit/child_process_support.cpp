#include "unit/child_process_support.h"

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "platform/path.h"

namespace wiztest {

std::string childCommand(const std::string& args) {
    return "\"" + testExecutableDirectory() + wiz::kPathSeparator + "wizchild\" " + args;
}

std::string runFailure(const std::string& command, const wiz::RunOptions& options) {
    try {
        wiz::runCommand(wiz::LString(command), options);
    } catch (const wiz::LauncherException& e) {
        return e.message().str();
    }
    return "(no exception)";
}

}  // namespace wiztest
