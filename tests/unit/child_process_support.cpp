#include "unit/child_process_support.h"

#include "platform/path.h"

namespace wiztest {

std::string childCommand(const std::string& args) {
    return "\"" + testExecutableDirectory() + wiz::kPathSeparator + "wizchild\" " + args;
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
