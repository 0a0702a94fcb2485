// What only the POSIX runner has to show: signals, the PATH lookup and the reasons of its
// failures.
#include <errno.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include "base/exceptions.h"
#include "jvm/platform_hint.h"
#include "launch/child_process.h"
#include "platform/environment.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "services/log.h"
#include "services/messages.h"
#include "support/temp_dir.h"
#include "unit/child_process_support.h"

namespace {

using wiz::LString;
using wiztest::childCommand;
using wiztest::Options;
using wiztest::runFailure;

std::string createFailed(int code) {
    return "CreateProcess failed  ==>  " + wiz::systemErrorText(code).str();
}

TEST(ChildProcessPosix, SignalledChildEndsWith128PlusSignal) {
    wiztest::CountingHost host;
    const LString command(childCommand("signal " + std::to_string(SIGTERM)));
    EXPECT_EQ(wiz::runCommand(command, Options()), 128 + SIGTERM);
    LString out, err;
    EXPECT_EQ(wiz::runCommand(command, Options().capture(&out, &err)), 128 + SIGTERM);
}

TEST(ChildProcessPosix, FindsABareProgramNameInPath) {
    wiztest::CountingHost host;
    const LString saved = wiz::getEnvironmentText("PATH");
    wiz::setEnvironmentText("PATH", LString(wiztest::testExecutableDirectory()) + ":" + saved);
    wiztest::TempDir dir;
    LString out, err;
    // Found before the child changes its directory.
    int code =
        wiz::runCommand("wizchild exit 5", Options().capture(&out, &err).in(dir.path().string()));
    wiz::setEnvironmentText("PATH", saved);
    EXPECT_EQ(code, 5);
}

TEST(ChildProcessPosix, FailuresNameTheReason) {
    wiztest::CountingHost host;
    wiztest::TempDir dir;
    const std::string plain = dir.write("not-a-program", "text");
    ::chmod(plain.c_str(), 0644);
    for (const Options& run : {Options(), Options().capture()}) {
        SCOPED_TRACE(run.options().capture ? "captured" : "not captured");
        EXPECT_EQ(runFailure("", run), createFailed(EINVAL));
        EXPECT_EQ(runFailure("   ", run), createFailed(EINVAL));
        EXPECT_EQ(runFailure("no-such-program-anywhere x", run), createFailed(ENOENT));
        EXPECT_EQ(runFailure("\"" + plain + "\"", run), createFailed(EACCES));
        EXPECT_EQ(
            runFailure(childCommand("exit 0"), Options(run).in(dir.file("no-such-directory"))),
            createFailed(ENOENT));
    }
}

TEST(RegistryPosix, HintsFindNothingAndSaySo) {
    wiztest::TempDir dir;
    const LString savedPath = wiz::logState().filePath;
    const bool savedSeparator = wiz::logState().separatorWritten;
    wiz::logState().filePath = LString(dir.file("log"));
    wiz::logState().separatorWritten = true;
    wiz::StringList result;
    wiz::resolvePlatformHint(result, "\\HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Home");
    wiz::logState().filePath = savedPath;
    wiz::logState().separatorWritten = savedSeparator;
    EXPECT_EQ(result.count(), 0);
    EXPECT_EQ(wiztest::TempDir::read(dir.file("log")),
              "WARNING: Invalid platform hint: There is no registry on this system.\n");
}

}  // namespace
