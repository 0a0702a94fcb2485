// The runner's capture loop driven by a scripted child (child_process_script.h): the timing cases
// that real processes show only by chance, on every system the same way.
#include <gtest/gtest.h>

#include <vector>

#include "launch/capture_loop.h"
#include "unit/child_process_script.h"

namespace {

using wiz::ChildStream;
using wiztest::ChildScript;
using Op = ChildScript::Op;

ChildScript::Action write(ChildStream stream, size_t bytes) { return {Op::Write, stream, bytes}; }
ChildScript::Action pause(size_t steps) { return {Op::Pause, ChildStream::Output, steps}; }
ChildScript::Action closeEnd(ChildStream stream) { return {Op::Close, stream, 0}; }
const ChildScript::Action kStartDescendant = {Op::StartDescendant, ChildStream::Output, 0};

TEST(CaptureLoop, WaitsAlikeWhetherOrNotAWaitEndsWithOutput) {
    // Quiet: 10 ms, doubling up to 100. After output: again from 1 ms.
    const struct {
        const char* name;
        std::vector<ChildScript::Action> actions;
        std::vector<unsigned> waits;
    } cases[] = {
        {"quiet child", {pause(300)}, {10, 20, 40, 80, 100, 100}},
        {"output after 25 ms",
         {pause(25), write(ChildStream::Error, 1), pause(400)},
         {10, 20, 1, 2, 4, 8, 16, 32, 64, 100, 100, 100}},
    };
    for (const auto& c : cases) {
        for (bool wakesOnOutput : {false, true}) {
            SCOPED_TRACE(std::string(c.name) + (wakesOnOutput ? ", wakes on output" : ""));
            ChildScript script;
            script.actions = c.actions;
            script.exitCode = 3;
            script.waitEndsWithOutput = wakesOnOutput;
            const wiztest::ScriptedRun run = wiztest::runScripted(script);
            EXPECT_EQ(run.fault, "");
            EXPECT_EQ(run.waits, c.waits);
        }
    }
}

TEST(CaptureLoop, ReturnsAtTheChildsEndWithAllItsOutputWhateverADescendantDoes) {
    // The child fills its pipes several times over, starts a descendant that inherits them and
    // ends; the descendant stays silent, or writes on every step, for ever. runScripted checks
    // that all of the child's output is read, no more than the pipes held at its end, in order.
    for (size_t descendantWrites : {0, 1, 700}) {
        for (size_t pipeSize : {1, 512, 65536}) {
            for (unsigned stepsPerCall : {0, 1, 3}) {
                SCOPED_TRACE(testing::Message() << descendantWrites << " bytes a step, pipe "
                                                << pipeSize << ", steps a call " << stepsPerCall);
                ChildScript script;
                script.actions = {write(ChildStream::Output, 9000), write(ChildStream::Error, 300),
                                  kStartDescendant, write(ChildStream::Output, 20),
                                  write(ChildStream::Error, 5)};
                script.exitCode = 9;
                script.pipeSize = pipeSize;
                script.descendantBytesPerStep = descendantWrites;
                script.stepsPerCall = {stepsPerCall};
                for (bool buffers : {true, false}) {
                    const wiztest::ScriptedRun run = wiztest::runScripted(script, buffers);
                    EXPECT_EQ(run.fault, "") << (buffers ? "with buffers" : "without buffers");
                }
            }
        }
    }
}

TEST(CaptureLoop, AChildThatClosesItsOutputIsWaitedForWithoutPolling) {
    ChildScript script;
    script.actions = {write(ChildStream::Output, 5), closeEnd(ChildStream::Output),
                      closeEnd(ChildStream::Error), pause(5000)};
    script.exitCode = 4;
    const wiztest::ScriptedRun run = wiztest::runScripted(script);
    EXPECT_EQ(run.fault, "");
    EXPECT_EQ(run.code, 4);
    EXPECT_EQ(run.out.size(), 5u);
    EXPECT_EQ(run.waits, std::vector<unsigned>{10});
}

}  // namespace
