#include "launch/capture_loop.h"

#include <chrono>
#include <cstdint>
#include <string>

#include "base/exceptions.h"

namespace wiz {

namespace {

constexpr size_t kUnlimited = SIZE_MAX;

// Reads one chunk of at most `limit` bytes if the pipe holds some, and notes the end of the
// stream when it finds it (limit 0 only looks for the end). Returns the number of bytes read.
size_t readChunk(RunningChild& child, ChildStream stream, OutputCapture& capture, size_t limit) {
    if (capture.isEnded()) return 0;
    const PipeState state = child.peek(stream);
    if (state.ended) {
        capture.ended();
        return 0;
    }
    if (state.available == 0 || limit == 0) return 0;
    char chunk[OutputCapture::kChunkSize];
    const size_t got = child.read(stream, chunk, std::min(sizeof chunk, limit));
    if (got == 0) {
        capture.ended();
    } else {
        capture.received(chunk, got);
    }
    return got;
}

// What a pipe holds now; its end is noted when it has one.
size_t pending(RunningChild& child, ChildStream stream, OutputCapture& capture) {
    if (capture.isEnded()) return 0;
    const PipeState state = child.peek(stream);
    if (state.ended) capture.ended();
    return state.available;
}

// Reads `left` bytes (or fewer, should the pipe hold fewer), then notes the end of the stream if
// nothing follows them.
void drain(RunningChild& child, ChildStream stream, OutputCapture& capture, size_t left) {
    while (left > 0) {
        const size_t got = readChunk(child, stream, capture, left);
        if (got == 0) break;
        left -= got;
    }
    readChunk(child, stream, capture, 0);
}

}  // namespace

int captureUntilEnd(RunningChild& child, OutputCapture& out, OutputCapture& err,
                    unsigned timeLimitMs) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeLimitMs);
    QuietWait quiet;
    // A child cannot have written anything before it has started: the loop begins with a wait.
    bool wait = true;
    for (;;) {
        if (timeLimitMs != 0 && Clock::now() >= deadline) {
            child.endAll();
            child.waitForEnd();
            throw ProcessTimeoutException(
                LString(("it did not end within " + std::to_string(timeLimitMs / 1000) + " seconds")
                            .c_str()));
        }
        if (wait) child.waitForActivity(quiet.next());
        int exitCode = 0;
        if (child.hasEnded(exitCode)) {
            // The rest of the child's output is what both pipes hold now; anything later comes
            // from a descendant.
            const size_t leftOut = pending(child, ChildStream::Output, out);
            const size_t leftErr = pending(child, ChildStream::Error, err);
            drain(child, ChildStream::Output, out, leftOut);
            drain(child, ChildStream::Error, err, leftErr);
            return exitCode;
        }
        size_t got = readChunk(child, ChildStream::Output, out, kUnlimited);
        got += readChunk(child, ChildStream::Error, err, kUnlimited);
        // With both pipes ended the child can write nothing more: only its end is left to see
        // (within the time limit, when there is one).
        if (out.isEnded() && err.isEnded() && timeLimitMs == 0) return child.waitForEnd();
        wait = got == 0;
        if (got != 0) quiet.outputArrived();
    }
}

}  // namespace wiz
