// The child-process runner, driven with the test child (wizchild) on every system.
#include "launch/child_process.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "base/exceptions.h"
#include "cases/proc_child.h"
#include "platform/environment.h"
#include "platform/system_error.h"
#include "services/messages.h"
#include "support/temp_dir.h"
#include "unit/child_process_support.h"

namespace {

using wiz::LString;
using wiztest::childCommand;
using wiztest::Options;

struct Captured {
    int code = -1;
    std::string out, err;
};

Captured capture(const std::string& args, const std::string& directory = "") {
    LString out, err;
    Captured r;
    r.code =
        wiz::runCommand(LString(childCommand(args)), Options().capture(&out, &err).in(directory));
    r.out = out.str();
    r.err = err.str();
    return r;
}

// runCommand, with the message of a failure to run the command in the test's report.
int exitCodeOf(const LString& command, const wiz::RunOptions& options) {
    try {
        return wiz::runCommand(command, options);
    } catch (const wiz::LauncherException& e) {
        ADD_FAILURE() << "runCommand failed: " << e.message().str();
        return -1;
    }
}

TEST(ChildProcess, ReturnsTheExitCodeInEveryWaitingMode) {
    wiztest::CountingHost host;
    for (int code : {0, 3, 200}) {
        const LString command(childCommand("exit " + std::to_string(code)));
        SCOPED_TRACE(code);
        LString out, err;
        EXPECT_EQ(exitCodeOf(command, Options().capture(&out, &err)), code);
        // Capture waits whatever the wait flag says.
        EXPECT_EQ(exitCodeOf(command, Options().capture(&out, &err).noWait()), code);
        EXPECT_EQ(exitCodeOf(command, Options()), code);
        EXPECT_EQ(exitCodeOf(command, Options().onConsole()), code);
        EXPECT_EQ(out.str() + err.str(), "");
    }
}

TEST(ChildProcess, CapturesLargeOutputOfBothStreamsCompletelyAndInOrder) {
    wiztest::CountingHost host;
    Captured r = capture("write 70000 5000 4");
    EXPECT_EQ(r.code, 4);
    EXPECT_EQ(r.out, wiztest::childPattern('o', 70000));
    EXPECT_EQ(r.err, wiztest::childPattern('e', 5000));
    // One step per read, and no read is longer than 4096 bytes.
    EXPECT_GE(host.steps, 18 + 2);
}

TEST(ChildProcess, KeepsTheStartOfTheOutputAndTheEndOfTheErrorOutput) {
    // However much a child writes, the launcher holds a bounded part of it: the start of the
    // output and the end of the error output, and counts the rest.
    wiztest::CountingHost host;
    const size_t outKept = wiz::OutputCapture::kKeptOutputBytes;
    const size_t errKept = wiz::OutputCapture::kKeptErrorBytes;
    const size_t outBytes = 3 * outKept + 5, errBytes = 5 * errKept + 3;
    LString out, err;
    uint64_t outLeft = 0, errLeft = 0;
    EXPECT_EQ(wiz::runCommand(LString(childCommand("write " + std::to_string(outBytes) + " " +
                                                   std::to_string(errBytes) + " 6")),
                              Options().capture(&out, &err).leftOut(&outLeft, &errLeft)),
              6);
    EXPECT_EQ(out.str(), wiztest::childPattern('o', outBytes).substr(0, outKept));
    EXPECT_EQ(outLeft, outBytes - outKept);
    EXPECT_LE(err.length(), errKept);
    EXPECT_EQ(err.str(), wiztest::childPattern('e', errBytes).substr(errLeft));
    EXPECT_EQ(errLeft + err.length(), errBytes);
}

TEST(OutputCapture, TheEndKeptBeginsWithAWholeLineWhereOneBeginsInIt) {
    wiztest::CountingHost host;
    const struct {
        std::string written;
        std::string kept;
    } cases[] = {
        {"first line\nsecond\nlast\n", "last\n"},   // cut inside "second": from "last"
        {"first line\nsecond\n", "second\n"},       // cut right after a line break
        {"one line without breaks", "out breaks"},  // no line begins in the part kept
        {"short\n", "short\n"},
    };
    for (const auto& c : cases) {
        LString buffer;
        uint64_t left = 0;
        wiz::OutputCapture capture(&buffer, wiz::OutputCapture::Keep::End, 10, &left);
        for (char ch : c.written) capture.received(&ch, 1);
        capture.finish();
        EXPECT_EQ(buffer.str(), c.kept) << c.written;
        EXPECT_EQ(left + buffer.length(), c.written.size());
    }
}

TEST(ChildProcess, AppendsToTheBuffersAndKeepsZeroBytes) {
    wiztest::CountingHost host;
    LString out("before:"), err("kept");
    EXPECT_EQ(wiz::runCommand(LString(childCommand("nul")), Options().capture(&out, &err)), 0);
    EXPECT_EQ(out.str(), std::string("before:a\0b", 10));
    EXPECT_EQ(err.str(), "kept");
}

TEST(ChildProcess, CaptureWithoutBuffersDrainsThePipes) {
    // A child writing far more than a pipe holds must not block when nobody keeps its output.
    wiztest::CountingHost host;
    EXPECT_EQ(wiz::runCommand(LString(childCommand("write 200000 200000 7")), Options().capture()),
              7);
}

TEST(ChildProcess, PassesArgumentsUnchanged) {
    wiztest::CountingHost host;
    const struct {
        std::string args, printed;
    } cases[] = {
        {"plain", "<plain>"},
        {"\"two words\" \"\"  x", "<two words><><x>"},
        {"back\\slash quo\\\"te \"tail\\\\\"", "<back\\slash><quo\"te><tail\\>"},
        {"a\"b c\"d", "<ab cd>"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(capture("args " + c.args).out, c.printed) << c.args;
    }
}

TEST(ChildProcess, RunsInTheWorkingDirectory) {
    wiztest::CountingHost host;
    wiztest::TempDir dir;
    Captured r = capture("cwd", dir.path().string());
    ASSERT_EQ(r.code, 0);
    EXPECT_TRUE(std::filesystem::equivalent(r.out, dir.path())) << r.out;
    // An empty directory means the launcher's own.
    r = capture("cwd");
    EXPECT_TRUE(std::filesystem::equivalent(r.out, std::filesystem::current_path())) << r.out;
}

TEST(ChildProcess, InheritsTheEnvironment) {
    wiztest::CountingHost host;
    wiz::setEnvironmentText("WIZTEST_CHILD_VALUE", "some value 42");
    EXPECT_EQ(capture("env WIZTEST_CHILD_VALUE").out, "some value 42");
    wiz::setEnvironmentText("WIZTEST_CHILD_VALUE", "");
}

TEST(ChildProcess, NoWaitReturnsZeroWhileTheChildRuns) {
    // The child finishes only after the test answers it, so a runner that waited for it would
    // get its timeout exit code 1 instead of 0.
    wiztest::TempDir dir;
    const std::string go = dir.file("go"), done = dir.file("done");
    const std::string args = "handshake \"" + go + "\" \"" + done + "\"";
    EXPECT_EQ(wiz::runCommand(LString(childCommand(args)), Options().noWait()), 0);
    std::ofstream(go) << "go";
    bool answered = false;
    for (int i = 0; i < 3000 && !answered; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
        // The text appears when the child closes the file, its last act.
        answered = wiztest::TempDir::read(done) == "done";
    }
    EXPECT_TRUE(answered);
}

TEST(ChildProcess, ReturnsWhenTheChildEndsWhileADescendantHoldsItsOutput) {
    // The child prints "spawned", starts a process that shares its output pipes, waits until it
    // runs and ends. That process stops only once the test creates GO, after the run: "late"
    // prints "late" then, and "spew" writes without pause until then, its first chunk before the
    // child ends. A runner that waited for the end of the pipes would capture "late", or, after
    // a minute of output, spew's "gave up".
    const struct {
        const char* descendant;
        bool writesBeforeTheEnd;
    } cases[] = {{"late", false}, {"spew", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.descendant);
        wiztest::CountingHost host;
        wiztest::TempDir dir;
        const std::string go = dir.file("go");
        LString out, err;
        const int code = wiz::runCommand(
            LString(childCommand(std::string("spawn ") + c.descendant + " \"" + go + "\"")),
            Options().capture(&out, &err));
        dir.write("go", "go");
        EXPECT_EQ(code, 0);
        const std::string text = out.str();
        EXPECT_EQ(text.substr(0, 7), "spawned");
        EXPECT_EQ(text.size() > 7, c.writesBeforeTheEnd) << text.size();
        EXPECT_EQ(text.find_first_not_of('s', 7), std::string::npos) << text.substr(0, 200);
    }
}

// Whether `path` appears within `seconds`.
bool appears(const std::string& path, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        if (std::filesystem::exists(path)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

TEST(ChildProcess, AContainedRunEndsWhatTheChildLeftRunning) {
    // The child starts a process that waits for GO and then creates GO.late. Uncontained it
    // outlives the run; contained (as verification runs are) it is ended with the child.
    for (bool contained : {false, true}) {
        SCOPED_TRACE(contained);
        wiztest::CountingHost host;
        wiztest::TempDir dir;
        const std::string go = dir.file("go");
        Options options = Options().capture();
        if (contained) options.contained();
        EXPECT_EQ(wiz::runCommand(LString(childCommand("spawn late \"" + go + "\"")), options), 0);
        dir.write("go", "go");
        EXPECT_EQ(appears(go + ".late", contained ? 1 : 10), !contained);
    }
}

TEST(ChildProcess, AContainedRunPastItsTimeLimitIsEndedAndFails) {
    // The child waits for GO, which comes only after the run: with a limit of 1 s the run is
    // ended then, and the child never creates DONE.
    wiztest::CountingHost host;
    wiztest::TempDir dir;
    const std::string go = dir.file("go"), done = dir.file("done");
    LString out, err;
    try {
        wiz::runCommand(LString(childCommand("handshake \"" + go + "\" \"" + done + "\"")),
                        Options().capture(&out, &err).contained(1));
        ADD_FAILURE() << "no failure";
    } catch (const wiz::ProcessTimeoutException& e) {
        EXPECT_EQ(e.message().str(), "it did not end within 1 seconds");
    }
    dir.write("go", "go");
    EXPECT_FALSE(appears(done, 1));
}

TEST(ChildProcess, MissingProgramFailsWithTheSystemText) {
    wiztest::CountingHost host;
    wiztest::TempDir dir;
    const LString command(std::string("\"") + dir.file("no-such-program") + "\" x");
    // File not found: code 2 on both systems.
    for (const Options& run : {Options(), Options().capture()}) {
        EXPECT_EQ(wiztest::runFailure(command.str(), run),
                  "CreateProcess failed  ==>  " + wiz::systemErrorText(2).str());
    }
}

}  // namespace
