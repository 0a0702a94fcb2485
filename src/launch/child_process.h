// The child-process runner: every program the launcher starts (the wizard's Java command, the
// verification runs, a JVM installer, an embedded launcher) runs through runCommand.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // Not owned, may be null: increased by the bytes of each stream that the capture did not
    // keep (see OutputCapture).
    uint64_t* stdoutLeftOut = nullptr;
    uint64_t* stderrLeftOut = nullptr;
    // Captured runs only. The child and everything it starts are kept together (POSIX: a process
    // group of its own; Windows: a job that kills what is left when it closes), and whatever
    // of it is still running when the child has ended is ended too.
    bool contain = false;
    // Contained runs only: seconds the child may run (0: no limit); a child still running then
    // is ended with everything it started and the run fails with ProcessTimeoutException.
    unsigned timeLimitSeconds = 0;
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
//
// A buffer holds a bounded part of the stream, however much the child writes: the start of it
// (standard output: the verification's answer comes first) or its end (standard error: the
// last words of a failing wizard, which the exit message shows). The bytes not kept are counted.
class OutputCapture {
public:
    // Bytes asked for per read.
    static constexpr size_t kChunkSize = 4096;
    // What the runner keeps of a child's standard output (from its start) and of its standard
    // error (its end, from the start of a line where one begins in it; while the child runs the
    // buffer may hold up to twice as much).
    static constexpr size_t kKeptOutputBytes = 1024 * 1024;
    static constexpr size_t kKeptErrorBytes = 64 * 1024;

    enum class Keep { Start, End };

    explicit OutputCapture(LString* buffer, Keep keep = Keep::Start,
                           size_t limit = static_cast<size_t>(-1), uint64_t* leftOut = nullptr)
        : buffer_(buffer), keep_(keep), limit_(limit), leftOut_(leftOut) {}
    void received(const char* data, size_t count);
    void ended();
    bool isEnded() const { return ended_; }
    // After the run: an end kept of the stream is cut to the limit.
    void finish();

private:
    void trimFront();
    void leave(uint64_t count) {
        if (leftOut_) *leftOut_ += count;
    }

    LString* buffer_;
    Keep keep_;
    size_t limit_;
    uint64_t* leftOut_;
    bool ended_ = false;
};

}  // namespace wiz
