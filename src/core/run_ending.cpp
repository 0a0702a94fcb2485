#include "core/run_ending.h"

#include <chrono>
#include <cstdlib>
#include <mutex>
#include <new>
#include <thread>

#include "services/host.h"
#include "services/log.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

enum class RunState { Running, Ending, Finished };

struct EndingState {
    std::mutex lock;
    RunState state = RunState::Running;
};

EndingState& endingState() {
    static EndingState state;
    return state;
}

[[noreturn]] void waitForever() {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace

void endRun(const RunEnding& ending) {
    {
        EndingState& s = endingState();
        std::lock_guard<std::mutex> guard(s.lock);
        if (s.state != RunState::Running) return;
        s.state = RunState::Ending;
    }
    // Long operations of the launching thread (extraction, drive walks) stop early.
    hostState().cancelRequested = true;
    int exitCode = ending.exitCode;
    // Each step is taken whatever happened in the one before: a lack of memory for a log line
    // must not leave the children running or the files behind. Nothing may keep the process from
    // ending.
    bool outOfMemory = false;
    const auto step = [&outOfMemory](auto action) {
        try {
            action();
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        } catch (...) {
        }
    };
    step([&] { writeLog(LString("The run was ended by ") + ending.event + ".", kLogWarning); });
    bool hadChild = false, endedInTime = false;
    int childCode = 0;
    step([&] {
        const ChildEndingResult children = endRunningChildren(ending.children);
        hadChild = children.hadChild;
        endedInTime = children.endedInTime;
        childCode = children.exitCode;
    });
    if (hadChild) {
        step([&] {
            writeLog(endedInTime ? LString("The running program has ended.")
                                 : LString("The running program did not end in time and was "
                                           "ended."));
        });
    }
    if (ending.childCodeWins && hadChild && endedInTime) exitCode = childCode;
    step([] { closeTemporaryFiles(); });
    if (outOfMemory) reportOutOfMemory();
    step([&] { writeLog(LString("Exit code ") + numberToString(exitCode) + "."); });
    std::_Exit(exitCode);
}

void runFinished() {
    EndingState& s = endingState();
    std::unique_lock<std::mutex> guard(s.lock);
    if (s.state == RunState::Ending) {
        guard.unlock();
        waitForever();
    }
    s.state = RunState::Finished;
}

}  // namespace wiz
