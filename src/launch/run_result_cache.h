// The results of runs kept for running the same again: a verification of one java with one
// command is not started twice in a launcher run, however many descriptors or searches ask for
// it.
#pragma once

#include <cstdint>
#include <vector>

#include "base/lstring.h"

namespace wiz {

class RunResultCache {
public:
    // What a run left: its exit code and output (with the bytes the capture left out), the
    // progress steps it made, or the failure to start it, or its end at the time limit.
    struct Result {
        int exitCode = 0;
        LString stdoutText;
        LString stderrText;
        uint64_t stdoutLeftOut = 0;
        uint64_t stderrLeftOut = 0;
        int progressSteps = 0;
        bool startFailed = false;
        bool timedOut = false;
        // The message of the failure to start, or of the time limit.
        LString startFailure;
    };

    // The key of a run: everything that decides what it does. The exact command line, the
    // working directory, each variable the launch set (name and value, in order) and how often
    // the launcher has left a variable of its own changed before (a launch that does so changes
    // what every later child inherits).
    static LString keyOf(const LString& commandLine, const LString& workingDirectory,
                         const LString& variables, uint32_t environmentChanges);

    // The result kept for the key, or null.
    const Result* find(const LString& key) const;
    void keep(const LString& key, const Result& result);

private:
    struct Entry {
        LString key;
        Result result;
    };
    // A launcher run verifies a few dozen homes at most.
    std::vector<Entry> entries_;
};

}  // namespace wiz
