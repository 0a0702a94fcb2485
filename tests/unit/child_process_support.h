// Helpers of the child-process tests: where the test child is, and a host that counts progress.
#pragma once

#include <string>

#include "launch/child_process.h"
#include "runtime/host.h"

namespace wiztest {

// The directory of the running test executable (with no trailing separator).
std::string testExecutableDirectory();

// The command line that runs the test child with `args`.
std::string childCommand(const std::string& args);

// The runner's options, in the order the tests spell them.
wiz::RunOptions runOptions(const wiz::LString& directory, bool showConsole, bool capture,
                           bool wait, wiz::LString* out, wiz::LString* err, bool newConsole);

// Runs `command` (captured or not, waiting) and returns the message of the LauncherException it
// raises, or "(no exception)".
std::string runFailure(const std::string& command, bool captured,
                       const std::string& directory = "");

// A host that only counts progress steps; installed as the current host while it lives.
class CountingHost : public wiz::LauncherHost {
public:
    CountingHost();
    ~CountingHost() override;
    bool initialize(void*, int) override { return true; }
    int run() override { return 0; }
    void setStatus(const wiz::LString&) override {}
    void setStatus2(const wiz::LString&, const wiz::LString&) override {}
    void stepProgress(int delta) override { steps += delta; }
    void setProgress(int) override {}
    void show() override {}
    void hide(int) override {}
    bool isVisible() override { return false; }
    void showMessage(const wiz::LString&) override {}
    wiz::LString getTitle() override { return wiz::LString(); }
    void setTitle(const wiz::LString&) override {}
    wiz::LString chooseDirectory() override { return wiz::LString(); }

    int steps = 0;

private:
    wiz::LauncherHost* saved_;
    bool savedSilent_;
};

}  // namespace wiztest
