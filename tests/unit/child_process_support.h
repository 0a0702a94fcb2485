// Helpers of the child-process tests: where the test child is, the runner's options by name, and
// (child_process_script.h) a host that counts progress.
#pragma once

#include <string>

#include "launch/child_process.h"
#include "unit/child_process_script.h"

namespace wiztest {

// The directory of the running test executable (with no trailing separator).
std::string testExecutableDirectory();

// The command line that runs the test child with `args`.
std::string childCommand(const std::string& args);

// The runner's options by name, starting from a detached run that waits:
//   runCommand(line, Options().capture(&out, &err).in(directory))
class Options {
public:
    // Standard output and error into the buffers (either may be null: read and dropped).
    Options& capture(wiz::LString* out = nullptr, wiz::LString* err = nullptr) {
        options_.capture = true;
        options_.stdoutBuffer = out;
        options_.stderrBuffer = err;
        return *this;
    }
    // Counts of the bytes the capture left out of each stream.
    Options& leftOut(uint64_t* out, uint64_t* err) {
        options_.stdoutLeftOut = out;
        options_.stderrLeftOut = err;
        return *this;
    }
    // The child and all it starts kept together, with a time limit (0: none).
    Options& contained(unsigned timeLimitSeconds = 0) {
        options_.contain = true;
        options_.timeLimitSeconds = timeLimitSeconds;
        return *this;
    }
    Options& onConsole() {
        options_.showConsole = true;
        return *this;
    }
    Options& noWait() {
        options_.wait = false;
        return *this;
    }
    Options& in(const std::string& directory) {
        options_.workingDirectory = wiz::LString(directory);
        return *this;
    }
    const wiz::RunOptions& options() const { return options_; }
    operator const wiz::RunOptions&() const { return options_; }

private:
    wiz::RunOptions options_;
};

// Runs `command` and returns the message of the LauncherException it raises, or
// "(no exception)".
std::string runFailure(const std::string& command, const wiz::RunOptions& options);

}  // namespace wiztest
