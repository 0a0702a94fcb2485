// What only the Windows runner has to show: exit code 259 (STILL_ACTIVE) ends a captured run like
// any other, and the system texts of its failures.
#include <gtest/gtest.h>

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "platform/handle_win32.h"
#include "platform/system_error.h"
#include "platform/win32.h"
#include "services/messages.h"
#include "support/temp_dir.h"
#include "unit/child_process_support.h"

namespace {

using wiz::LString;
using wiztest::childCommand;
using wiztest::Options;
using wiztest::runFailure;

std::string createFailed(DWORD code) {
    return "CreateProcess failed  ==>  " + wiz::systemErrorText(code).str();
}

TEST(ChildProcessWin32, ExitCode259IsAnEndLikeAnyOther) {
    wiztest::CountingHost host;
    const LString command(childCommand("exit 259"));
    LString out, err;
    EXPECT_EQ(wiz::runCommand(command, Options().capture(&out, &err)), 259);
    EXPECT_EQ(wiz::runCommand(command, Options()), 259);
}

TEST(ChildProcessWin32, FailuresCarryTheSystemText) {
    wiztest::CountingHost host;
    wiztest::TempDir dir;
    for (const Options& run : {Options(), Options().capture()}) {
        SCOPED_TRACE(run.options().capture ? "captured" : "not captured");
        EXPECT_EQ(runFailure("", run), createFailed(ERROR_INVALID_PARAMETER));
        EXPECT_EQ(runFailure("   ", run), createFailed(ERROR_FILE_NOT_FOUND));
        EXPECT_EQ(
            runFailure(childCommand("exit 0"), Options(run).in(dir.file("no-such-directory"))),
            createFailed(ERROR_DIRECTORY));
    }
}

bool isOpen(HANDLE h) {
    DWORD flags = 0;
    return GetHandleInformation(h, &flags) != 0;
}

TEST(HandleHolder, ClosesExactlyTheHandlesItOwns) {
    HANDLE first = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE second = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_TRUE(first && second);
    {
        wiz::HandleHolder holder(first);
        wiz::HandleHolder moved(std::move(holder));
        EXPECT_FALSE(holder.valid());
        moved.reset(second);  // closes the first
        EXPECT_FALSE(isOpen(first));
        EXPECT_TRUE(isOpen(second));
        EXPECT_EQ(moved.release(), second);
    }
    EXPECT_TRUE(isOpen(second));  // released, so not closed
    { wiz::HandleHolder owner(second); }
    EXPECT_FALSE(isOpen(second));
    // The file trait's invalid value is never closed.
    wiz::FileHandle none;
    EXPECT_EQ(none.get(), INVALID_HANDLE_VALUE);
    EXPECT_FALSE(none.valid());
}

}  // namespace
