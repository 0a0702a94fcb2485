// The children the launcher is waiting for, as seen by the code that ends a run from outside
// (a signal, a console event): it passes the event on to them, gives them a bounded time to end,
// and ends what is left. The runner registers each child it waits for while it runs.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace wiz {

// One started child that another thread may watch and end while the runner waits for it. Each
// system's runner makes one for the child it started (running_children_posix.cpp,
// running_children_win32.cpp); it stays usable after the runner has collected the child.
class ChildWatch {
public:
    virtual ~ChildWatch() = default;
    // Whether the child shares the launcher's terminal process group (POSIX) or console
    // (Windows), so that an event sent to the whole group or console reached it already.
    virtual bool sharesEvents() const = 0;
    // Passes `signal` on to the child; false when the system has no way to (Windows: a child
    // without the launcher's console gets no console event).
    virtual bool passOn(int signal) = 0;
    // Waits until the child has ended or `milliseconds` have passed; true when it has ended.
    virtual bool waitForEnd(unsigned milliseconds) = 0;
    // Ends the child at once, together with the process group it leads (POSIX).
    virtual void endNow() = 0;
    // The child's exit code once it has ended; false while it runs.
    virtual bool exitCode(int& code) = 0;
    // The runner has collected the child: from now on nothing is sent to its process id, which
    // the system may give to another process.
    virtual void collected() = 0;
};

// The process-wide registry (tests start from a fresh value: runningChildren() =
// RunningChildren(), with no child registered).
struct RunningChildren {
    std::vector<std::shared_ptr<ChildWatch>> children;
    bool ending = false;
};
RunningChildren& runningChildren();

// A watch over the child `process` (POSIX: its process id; Windows: its process handle, which
// the watch duplicates). `sharesConsole`: the child runs on the launcher's console.
std::unique_ptr<ChildWatch> watchChild(intptr_t process, bool sharesConsole);

// Keeps a child in the registry while the runner waits for it. A child registered after the run
// began to end is ended at once.
class ChildRegistration {
public:
    ChildRegistration() = default;
    explicit ChildRegistration(std::unique_ptr<ChildWatch> watch);
    ~ChildRegistration();
    ChildRegistration(const ChildRegistration&) = delete;
    ChildRegistration& operator=(const ChildRegistration&) = delete;

private:
    std::shared_ptr<ChildWatch> watch_;
};

// How a run ends when asked from outside.
struct ChildEnding {
    int signal = 0;            // what the children are sent (POSIX); 0 sends nothing
    bool sentToGroup = false;  // the event went to the whole group: children sharing it got it
    unsigned graceMs = 10000;  // how long the children may take to end by themselves
};

// What became of the registered children.
struct ChildEndingResult {
    bool hadChild = false;     // a child was running when the ending began
    bool endedInTime = false;  // every child ended within the grace time
    int exitCode = 0;          // the exit code of the (last) child that ended in time
};

// Marks the run as ending (no child may run from now on), passes the event on to every
// registered child, waits for them up to the grace time and ends those still running.
ChildEndingResult endRunningChildren(const ChildEnding& ending);
// Whether endRunningChildren has begun.
bool childrenEnding();

}  // namespace wiz
