// The test child's background start on POSIX: posix_spawn, which hands the new process the test
// child's descriptors as they are.
#include <spawn.h>

#include <string>
#include <vector>

#include "cases/proc_child.h"
#include "launch/command_line_split.h"

extern char** environ;

namespace wiztest {

bool startInBackground(const std::string& commandLine) {
    wiz::StringList args = wiz::splitCommandLine(wiz::LString(commandLine));
    std::vector<char*> argv;
    for (int i = 0; i < args.count(); ++i) argv.push_back(const_cast<char*>(args.at(i).c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    return argv.size() > 1 &&
           ::posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) == 0;
}

}  // namespace wiztest
