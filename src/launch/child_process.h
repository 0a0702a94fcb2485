// The child-process runner: every program the launcher starts (the wizard's Java command, the
// verification runs, a JVM installer, an embedded launcher) runs through runCommand.
#pragma once

#include <cstddef>
#include <memory>

#include "base/lstring.h"

namespace wiz {

struct RunOptions {
    LString workingDirectory;  // empty: the launcher's own current directory
    bool showConsole = false;  // false: detached, without a console window
    bool newConsole = false;   // with showConsole: a console of its own
    bool capture = false;      // read standard output and error into the buffers; always waits
    bool wait = true;          // uncaptured runs only: wait for the exit code (else 0 at once)
    LString* stdoutBuffer = nullptr;  // not owned; captured text is appended, never cleared
    LString* stderrBuffer = nullptr;
};

// Runs `commandLine` and returns the child's exit code (0 for an uncaptured run that does not
// wait). Failures of the system calls are thrown as LauncherException with the call's prefix and
// the system's text.
int runCommand(const LString& commandLine, const RunOptions& options);

// One run of one command line; runCommand makes one on the stack.
class ChildProcess {
public:
    ChildProcess(const LString& commandLine, const RunOptions& options)
        : commandLine_(commandLine), options_(options) {}
    int runProcess();

private:
    LString commandLine_;
    RunOptions options_;
};

class RunningChild;

// Starts `commandLine` as the options say: with a pipe for each of its standard output and
// error when capturing (the launcher keeps only their read ends), else detached or on the
// launcher's console. Implemented once per system (child_process_win32.cpp,
// child_process_posix.cpp); capture_loop.h has what the started child offers. A child that is
// not waited for keeps running when the object goes.
std::unique_ptr<RunningChild> startChild(const LString& commandLine, const RunOptions& options);

// The capture of one output stream: each chunk read is appended to the caller's buffer (or
// dropped when there is none, so a child that writes a lot never blocks on a full pipe) and
// moves the progress indicator one step; so does the read that finds the end of the stream.
class OutputCapture {
public:
    // Bytes asked for per read.
    static constexpr size_t kChunkSize = 4096;

    explicit OutputCapture(LString* buffer) : buffer_(buffer) {}
    void received(const char* data, size_t count);
    void ended();
    bool isEnded() const { return ended_; }

private:
    LString* buffer_;
    bool ended_ = false;
};

}  // namespace wiz
