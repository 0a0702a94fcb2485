// Ending a run from outside: POSIX signals (SIGINT, SIGTERM, SIGHUP, SIGQUIT) and Windows
// console events (Ctrl+C, Ctrl+Break, the console closed, logoff, shutdown). Whatever way a run
// ends, the children it waits for end too and its temporary files go.
//
// The system's handler does no work itself: on POSIX it only writes the signal into a pipe that
// a watching thread reads; Windows calls its console handler on a thread of its own. That thread
// then runs endRun, while the launching thread may still be at work: endRun passes the event on
// to the running children, waits for them a bounded time, ends what is left, removes the
// temporary files and ends the process with the exit code of the ending.
#pragma once

#include <memory>

#include "launch/running_children.h"

namespace wiz {

// One ending, as the system's backend describes it.
struct RunEnding {
    const char* event = "";      // for the log: "SIGTERM", "Ctrl+C", ...
    ChildEnding children;        // what the running children get and how long they may take
    int exitCode = 0;            // the process's exit code
    bool childCodeWins = false;  // a child that ended in time gives its own exit code instead
};

// Runs the ending and ends the process. Does nothing when the run has finished already (the
// process is about to exit by itself) or another ending is under way.
void endRun(const RunEnding& ending);

// The entry point says the run is over before it returns: an ending that has begun is left to
// end the process, so this call then never returns.
void runFinished();

// Watches for the events of this system while it lives (run_ending_posix.cpp,
// run_ending_win32.cpp). `windowed`: the windowed host runs, which handles the end of the logon
// itself.
class RunEndingWatch {
public:
    explicit RunEndingWatch(bool windowed);
    ~RunEndingWatch();
    RunEndingWatch(const RunEndingWatch&) = delete;
    RunEndingWatch& operator=(const RunEndingWatch&) = delete;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace wiz
