// A scripted child for the runner's capture loop (launch/capture_loop.h), shared by the unit
// tests and the fuzz target: two pipes of a chosen size, a child that writes, closes its ends,
// starts a descendant and ends as its script says, and that descendant, which keeps the pipes
// it inherited open, silently or writing on every step. Time passes in steps: each call of the
// loop lets the script go on for a number of steps that the script chooses, and a wait lets it
// go on for one step per millisecond, ending early when the child ends (as every system's wait
// does) and, if the script says so, when a pipe has something to read (as a POSIX wait does).
//
// runScripted() runs the loop and checks what must hold whatever the timing: nothing is lost,
// doubled or reordered; all that the child itself wrote is captured; after the child's end the
// loop reads no more than the pipes held then and never waits; it waits for the end without
// reading only when no pipe is left open; a read never has to wait; one progress step per read
// with data and per end of a stream. The first fault it sees is returned as a text.
#pragma once

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <string>
#include <vector>

#include "../support/null_host.h"
#include "launch/capture_loop.h"
#include "services/host.h"

namespace wiztest {

// A host that only counts progress steps; installed as the current host while it lives.
class CountingHost : public NullHost {
public:
    CountingHost() : saved_(wiz::hostState().host), savedSilent_(wiz::hostState().silent) {
        wiz::hostState().host = this;
        wiz::hostState().silent = false;
    }
    ~CountingHost() override {
        wiz::hostState().host = saved_;
        wiz::hostState().silent = savedSilent_;
    }
    CountingHost(const CountingHost&) = delete;
    CountingHost& operator=(const CountingHost&) = delete;
    void stepProgress(int delta) override { steps += delta; }

    int steps = 0;

private:
    wiz::LauncherHost* saved_;
    bool savedSilent_;
};

struct ChildScript {
    enum class Op { Write, Close, StartDescendant, Pause };
    struct Action {
        Op op;
        wiz::ChildStream stream = wiz::ChildStream::Output;
        size_t count = 0;  // Write: bytes; Pause: steps
    };

    std::vector<Action> actions;  // one a step (a write that does not fit takes more); then the end
    int exitCode = 0;
    size_t pipeSize = 4096;
    size_t descendantBytesPerStep = 0;  // 0: the descendant holds the pipes and writes nothing
    bool waitEndsWithOutput = false;
    std::vector<unsigned> stepsPerCall = {0};  // used in turn, one a call of the loop
    long callLimit = 200000;  // more calls of the loop than this: it does not return
};

class ScriptedChild : public wiz::RunningChild {
public:
    explicit ScriptedChild(ChildScript script) : script_(std::move(script)) {
        if (script_.stepsPerCall.empty()) script_.stepsPerCall.push_back(0);
    }

    bool hasEnded(int& exitCode) override {
        call();
        if (!ended_) return false;
        endSeen_ = true;
        exitCode = script_.exitCode;
        return true;
    }

    int waitForEnd() override {
        call();
        if (!pipes_[0].readerEnded || !pipes_[1].readerEnded) {
            fail("waits for the end while a pipe is open");
        }
        for (int i = 0; i < 100000 && !ended_; ++i) step();
        if (!ended_) fail("waits for a child that cannot end");
        endSeen_ = true;
        return script_.exitCode;
    }

    void waitForActivity(unsigned milliseconds) override {
        call();
        waits.push_back(milliseconds);
        if (endSeen_) fail("waits after the child's end was seen");
        for (unsigned i = 0;
             i < milliseconds && !ended_ && !(script_.waitEndsWithOutput && ready()); ++i) {
            step();
        }
    }

    // The scripted runs have no time limit: the loop never ends the child itself.
    void endAll() override { fail("ends the child"); }

    wiz::PipeState peek(wiz::ChildStream stream) override {
        call();
        Pipe& p = pipes_[index(stream)];
        if (endSeen_ && !p.lookedAfterEnd) {
            p.lookedAfterEnd = true;
            p.sizeAtEnd = p.all.size();
        }
        wiz::PipeState state;
        state.available = p.all.size() - p.read;
        state.ended = state.available == 0 && p.writers == 0;
        if (state.ended) p.readerEnded = true;
        return state;
    }

    size_t read(wiz::ChildStream stream, char* buffer, size_t capacity) override {
        call();
        Pipe& p = pipes_[index(stream)];
        const size_t available = p.all.size() - p.read;
        if (capacity == 0 || capacity > wiz::OutputCapture::kChunkSize) fail("reads an odd size");
        if (available == 0) fail("reads a pipe that holds nothing: the read would wait");
        const size_t n = std::min(capacity, available);
        p.all.copy(buffer, n, p.read);
        p.read += n;
        if (n > 0) ++readsWithData;
        return n;
    }

    // The invariants of a finished run (see the top of this file); empty when all hold. The
    // captured texts are null for a run without buffers.
    std::string check(int code, const std::string* out, const std::string* err, int steps) const {
        if (!fault_.empty()) return fault_;
        if (code != script_.exitCode) return "wrong exit code " + std::to_string(code);
        const std::string* captured[2] = {out, err};
        int ends = 0;
        for (int i = 0; i < 2; ++i) {
            const Pipe& p = pipes_[i];
            const std::string name = i == 0 ? "stdout" : "stderr";
            if (captured[i] && *captured[i] != p.all.substr(0, p.read)) {
                return name + ": the capture differs from what was read";
            }
            if (p.read < p.ownEnd) return name + ": the child's own output is not all read";
            if (p.lookedAfterEnd && p.read > p.sizeAtEnd) {
                return name + ": read more than the pipe held at the child's end";
            }
            if (p.readerEnded) ++ends;
        }
        if (steps != readsWithData + ends) {
            return "progress steps " + std::to_string(steps) + ", expected " +
                   std::to_string(readsWithData + ends);
        }
        return std::string();
    }

    std::vector<unsigned> waits;  // each wait's length, in order
    int readsWithData = 0;

private:
    struct Pipe {
        std::string all;  // everything written, in order
        size_t read = 0;  // how much of it the runner has read
        int writers = 1;  // the child's end, and the descendant's once it has one
        bool childHolds = true;
        bool descendantHolds = false;
        size_t ownEnd = 0;  // where the child's own output ends in `all`
        bool lookedAfterEnd = false;
        size_t sizeAtEnd = 0;      // the size of `all` at the first look after the end was seen
        bool readerEnded = false;  // the runner has been told of the end
    };

    static int index(wiz::ChildStream stream) { return stream == wiz::ChildStream::Output ? 0 : 1; }

    void fail(const std::string& what) {
        if (fault_.empty()) fault_ = what;
    }

    void call() {
        if (++calls_ > script_.callLimit) {
            fail("does not return");
            throw std::runtime_error("the capture loop does not return");
        }
        const unsigned steps = script_.stepsPerCall[calls_ % script_.stepsPerCall.size()];
        for (unsigned i = 0; i < steps; ++i) step();
    }

    bool ready() const {
        for (const Pipe& p : pipes_) {
            if (!p.readerEnded && (p.all.size() > p.read || p.writers == 0)) return true;
        }
        return false;
    }

    // Writes what fits of `bytes`; returns how many did. Each byte is made from its position,
    // without a short period, so that a lost, doubled or moved chunk shows.
    size_t write(Pipe& p, size_t bytes) {
        const size_t n = std::min(bytes, script_.pipeSize - (p.all.size() - p.read));
        for (size_t i = 0; i < n; ++i) {
            p.all += static_cast<char>((p.all.size() * 2654435761u) >> 13);
        }
        return n;
    }

    // The child acts first, so that a descendant cannot keep it from writing for ever.
    void step() {
        childStep();
        if (descendant_ && script_.descendantBytesPerStep > 0) {
            for (Pipe& p : pipes_) {
                if (p.descendantHolds) write(p, script_.descendantBytesPerStep);
            }
        }
    }

    void childStep() {
        if (ended_) return;
        if (next_ == script_.actions.size()) {
            for (Pipe& p : pipes_) close(p);
            ended_ = true;
            return;
        }
        const ChildScript::Action& action = script_.actions[next_];
        Pipe& p = pipes_[index(action.stream)];
        switch (action.op) {
            case ChildScript::Op::Write:
                if (!p.childHolds) break;  // a write to a closed end fails; the child goes on
                written_ += write(p, action.count - written_);
                p.ownEnd = p.all.size();
                if (written_ < action.count) return;  // blocked on a full pipe
                break;
            case ChildScript::Op::Pause:
                if (++written_ < action.count) return;
                break;
            case ChildScript::Op::Close:
                close(p);
                break;
            case ChildScript::Op::StartDescendant:
                if (descendant_) break;
                descendant_ = true;
                for (Pipe& q : pipes_) {
                    if (q.childHolds) {
                        q.descendantHolds = true;
                        ++q.writers;
                    }
                }
                break;
        }
        written_ = 0;
        ++next_;
    }

    static void close(Pipe& p) {
        if (!p.childHolds) return;
        p.childHolds = false;
        --p.writers;
    }

    ChildScript script_;
    Pipe pipes_[2];
    size_t next_ = 0;
    size_t written_ = 0;  // of the current action: bytes written, or steps paused
    bool ended_ = false;
    bool endSeen_ = false;
    bool descendant_ = false;
    long calls_ = 0;
    std::string fault_;
};

struct ScriptedRun {
    int code = -1;
    std::string out, err;
    std::vector<unsigned> waits;
    std::string fault;  // empty when every invariant held
};

// Runs the capture loop over the script (each stream with a buffer or, when `buffers` is false,
// without) and checks the run.
inline ScriptedRun runScripted(const ChildScript& script, bool buffers = true) {
    CountingHost host;
    ScriptedChild child(script);
    wiz::LString out, err;
    wiz::OutputCapture outCapture(buffers ? &out : nullptr), errCapture(buffers ? &err : nullptr);
    ScriptedRun run;
    try {
        run.code = wiz::captureUntilEnd(child, outCapture, errCapture);
    } catch (const std::runtime_error&) {
    }
    run.out = out.str();
    run.err = err.str();
    run.waits = child.waits;
    run.fault = child.check(run.code, buffers ? &run.out : nullptr, buffers ? &run.err : nullptr,
                            host.steps);
    return run;
}

}  // namespace wiztest
