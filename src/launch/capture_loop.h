// The runner's one capture-and-wait loop, over the few primitives that each system's backend
// provides for a started child (RunningChild). The loop itself knows no system: the same code
// reads the Java command's output on Windows and on POSIX, and the tests drive it with a
// scripted child as well as with real processes.
#pragma once

#include <algorithm>
#include <cstddef>

#include "launch/child_process.h"

namespace wiz {

enum class ChildStream { Output, Error };

// What one of the child's pipes holds at the moment it is asked.
struct PipeState {
    size_t available = 0;  // bytes that a read gets at once, without waiting
    bool ended = false;    // no writer is left and nothing is left to read
};

// A started child process, as the runner drives it: what each system has to offer, and nothing
// more. One implementation per system (child_process_win32.cpp, child_process_posix.cpp). The
// failures of the system calls are thrown as LauncherException with the call's prefix.
class RunningChild {
public:
    virtual ~RunningChild() = default;

    // Whether the child has ended, without waiting; if so, `exitCode` is its exit code.
    virtual bool hasEnded(int& exitCode) = 0;
    // Waits for the child's end, however long it takes; returns its exit code.
    virtual int waitForEnd() = 0;
    // Waits until the child ends or `milliseconds` pass. A system that can also wake when a pipe
    // has something to read (or ends) does so. May return early for any reason; the caller
    // looks again at everything.
    virtual void waitForActivity(unsigned milliseconds) = 0;

    // Runs started with pipes only. What the pipe of `stream` holds now; never waits. Once a
    // pipe is reported ended it stays so.
    virtual PipeState peek(ChildStream stream) = 0;
    // Reads at most `capacity` (1 or more) bytes from a pipe that peek has just found holding
    // some, so it never waits. Returns the number read; 0 when the pipe turned out to be ended.
    virtual size_t read(ChildStream stream, char* buffer, size_t capacity) = 0;

    // Runs started contained (RunOptions::contain): ends the child, if it still runs, and
    // everything it started (its process group, its job), without waiting. Nothing otherwise.
    virtual void endAll() = 0;
};

// How long the capture loop waits while the child's pipes are quiet: one policy for every system.
// The first wait lasts about as long as a child takes to start, before which it cannot have
// written anything; shorter ones only wake the runner for nothing (under Wine each wake-up costs
// a few server calls, about 5% of a short child's run). After output the waits start again at
// 1 ms, so that a child that keeps writing is read promptly where a wait does not end with the
// output (Windows cannot wait on an anonymous pipe); then they double up to kLongestMs. A wait
// always ends when the child does, so the policy never makes a run longer.
class QuietWait {
public:
    static constexpr unsigned kFirstMs = 10;
    static constexpr unsigned kAfterOutputMs = 1;
    static constexpr unsigned kLongestMs = 100;

    // The length of the next wait; each one doubles the next.
    unsigned next() {
        const unsigned ms = ms_;
        ms_ = std::min(ms_ * 2, kLongestMs);
        return ms;
    }
    void outputArrived() { ms_ = kAfterOutputMs; }

private:
    unsigned ms_ = kFirstMs;
};

// Reads the child's standard output and error into their captures until the child ends, and
// returns its exit code. Each pass waits (QuietWait) unless the one before read something, then
// looks whether the child has ended and reads one chunk of each pipe that holds some; the first
// pass begins with a wait, as nothing can have come yet. Once the child has ended,
// what the pipes hold at that moment is the rest of its output (a write that has returned is in
// the pipe): the loop reads that much and returns, without ever waiting for a descendant that
// inherited a pipe and may keep writing.
//
// With a time limit (milliseconds, 0: none) a child that has not ended when it passes is ended
// with everything it started (endAll), collected, and ProcessTimeoutException is thrown.
int captureUntilEnd(RunningChild& child, OutputCapture& out, OutputCapture& err,
                    unsigned timeLimitMs = 0);

}  // namespace wiz
