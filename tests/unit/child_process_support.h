// Helpers of the child-process tests: where the test child is, and a host that counts progress.
#pragma once

#include <string>

#include "launch/child_process.h"
#include "services/host.h"
#include "support/null_host.h"

namespace wiztest {

// The directory of the running test executable (with no trailing separator).
std::string testExecutableDirectory();

// The command line that runs the test child with `args`.
std::string childCommand(const std::string& args);

// The runner's options, in the order the tests spell them.
wiz::RunOptions runOptions(const wiz::LString& directory, bool showConsole, bool capture, bool wait,
                           wiz::LString* out, wiz::LString* err, bool newConsole);

// Runs `command` (captured or not, waiting) and returns the message of the LauncherException it
// raises, or "(no exception)".
std::string runFailure(const std::string& command, bool captured,
                       const std::string& directory = "");

// A host that only counts progress steps; installed as the current host while it lives.
class CountingHost : public NullHost {
public:
    CountingHost();
    ~CountingHost() override;
    void stepProgress(int delta) override { steps += delta; }

    int steps = 0;

private:
    wiz::LauncherHost* saved_;
    bool savedSilent_;
};

}  // namespace wiztest
