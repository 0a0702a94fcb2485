// Fuzz target: the runner's capture loop (captureUntilEnd) over a scripted child
// (tests/unit/child_process_script.h) instead of a process, so that any timing of a child, its
// pipes and a descendant that inherited them can be tried in memory.
//
// Input: a pipe size, flags (whether a wait ends with output, buffers or none, how much a
// descendant writes on each step), an exit code, the steps that pass at each call of the loop,
// then the child's actions, two bytes each. Checks: the invariants of runScripted (nothing lost,
// doubled or reordered; all of the child's own output read and no more than the pipes held at
// its end; no wait after the end; a read never waits; one progress step per read and per end;
// the loop returns).
#include <cstdint>
#include <string>

#include "../unit/child_process_script.h"
#include "fuzz_support.h"

namespace {

using wiz::ChildStream;
using wiztest::ChildScript;

// The bytes of the input, read in turn; 0 once they are used up.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    unsigned next() { return at_ < size_ ? data_[at_++] : 0; }
    bool done() const { return at_ >= size_; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// Bounds on the work of one input: bytes the child writes, steps it pauses.
constexpr size_t kMaxBytes = 256 * 1024;
constexpr size_t kMaxPause = 20000;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Reader in(data, size);
    ChildScript script;
    const size_t pipeSizes[] = {1, 7, 64, 512, 4096, 65536};
    script.pipeSize = pipeSizes[in.next() % 6];
    const unsigned flags = in.next();
    script.waitEndsWithOutput = (flags & 1) != 0;
    const bool buffers = (flags & 2) == 0;
    const size_t descendantWrites[] = {0, 1, 3, 17, 100, 700, 4096, 5000};
    script.descendantBytesPerStep = descendantWrites[(flags >> 2) & 7];
    script.exitCode = static_cast<int>(in.next());
    script.stepsPerCall.clear();
    for (unsigned n = in.next() % 8 + 1; n > 0; --n) script.stepsPerCall.push_back(in.next() % 4);

    size_t bytes = 0, pauses = 0;
    while (!in.done()) {
        const unsigned op = in.next();
        const size_t count = static_cast<size_t>(in.next()) << ((op >> 3) & 7);
        const ChildStream stream = (op & 4) != 0 ? ChildStream::Error : ChildStream::Output;
        switch (op & 3) {
            case 0:
                if (bytes + count > kMaxBytes) continue;
                bytes += count;
                script.actions.push_back({ChildScript::Op::Write, stream, count});
                break;
            case 1:
                script.actions.push_back({ChildScript::Op::Close, stream, 0});
                break;
            case 2:
                script.actions.push_back({ChildScript::Op::StartDescendant, stream, 0});
                break;
            default:
                if (pauses + count > kMaxPause) continue;
                pauses += count;
                script.actions.push_back({ChildScript::Op::Pause, stream, count});
                break;
        }
    }
    // Every byte and every step of the child costs the loop a few calls at most.
    script.callLimit = 100000 + 64 * static_cast<long>(bytes + pauses + script.actions.size());

    const wiztest::ScriptedRun run = wiztest::runScripted(script, buffers);
    if (!run.fault.empty()) wizfuzz::finding("capture loop: " + run.fault);
    return 0;
}
