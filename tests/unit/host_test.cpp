#include "services/host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "core/arguments.h"
#include "platform/environment.h"
#include "platform/process_info.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"
#include "ui/run.h"

using namespace wiz;
using wiztest::RecordingHost;
using Calls = std::vector<std::string>;

namespace {

// Each test starts with a fresh status state, silent mode off and a recording host installed.
class Facade : public ::testing::Test {
protected:
    void SetUp() override {
        hostState().statusLines = HostState::StatusLines();
        setSilent(false);
        host.title = "Wiz";
    }
    void TearDown() override {
        setSilent(false);
        hostState().statusLines = HostState::StatusLines();
    }

    RecordingHost host;
    wiztest::ScopedHost scoped{host};
};

}  // namespace

TEST_F(Facade, StatusComposition) {
    uiSetStatusType(0);
    uiSetStatusLine2(3, "C:\\jre");
    uiSetStatusType(1);
    // Type 1 with an empty text clears the second line without redrawing ...
    uiSetStatusLine2(1, "");
    // ... until the next first line, which is then shown alone.
    uiSetStatusType(4);
    uiSetStatusLine2(2, "ignored");
    uiSetStatusLine2(1, "x.jar");
    // A type outside 0..4 shows an empty line and keeps the second-line state.
    uiSetStatusType(7);
    uiSetStatusType(3);
    uiSetStatusLine2(9, "t");
    uiSetStatusType(2);
    EXPECT_EQ(host.calls,
              (Calls{"status:Initializing Wiz...", "status2:Initializing Wiz...|Verifying C:\\jre",
                     "status2:Searching for Java(tm) Virtual Machine...|Verifying C:\\jre",
                     "status:Preparing Java(tm) Virtual Machine...",
                     "status2:Preparing Java(tm) Virtual Machine...|Scanning disk(s) for a "
                     "Java(tm) Virtual Machine...",
                     "status2:Preparing Java(tm) Virtual Machine...|Searching for x.jar",
                     "status:", "status2:Running Wiz...|Searching for x.jar",
                     "status:Java(tm) Virtual Machine was not found. Wiz could not be launched."}));
}

TEST_F(Facade, StatusLine2SaverRestoresTheSecondLine) {
    uiSetStatusType(1);
    uiSetStatusLine2(3, "home");
    StatusLine2Saver saved;
    uiSetStatusLine2(2, "");
    host.calls.clear();
    saved.restore();
    EXPECT_EQ(host.calls,
              (Calls{"status2:Searching for Java(tm) Virtual Machine...|Verifying home"}));
}

TEST_F(Facade, ForwardsWhenNotSilent) {
    host.directoryAnswer = "D:\\dest";
    uiStepProgress(3);
    uiSetProgress(40);
    uiShow();
    uiHide(2);
    uiShowMessage("hello");
    EXPECT_EQ(uiChooseDirectory(), "D:\\dest");
    uiApplyTitle("Document title");
    EXPECT_EQ(host.calls, (Calls{"step:3", "progress:40", "show", "hide:2", "message:hello",
                                 "choose", "title:Corvane Wizard"}));
}

TEST_F(Facade, SilentModeSuppressesAllButHideAndTitle) {
    host.directoryAnswer = "D:\\dest";
    setSilent(true);
    uiSetStatusType(0);
    uiSetStatusLine2(2, "");
    uiStepProgress(3);
    uiSetProgress(40);
    uiShow();  // hides instead
    uiShowMessage("hello");
    EXPECT_EQ(uiChooseDirectory(), "");
    uiHide(4);
    uiApplyTitle("x");
    EXPECT_EQ(host.calls, (Calls{"hide:0", "hide:4", "title:Corvane Wizard"}));
}

TEST(FacadeWithoutHost, EveryCallIsANoOp) {
    ASSERT_EQ(wiz::hostState().host, nullptr);
    hostState().statusLines = HostState::StatusLines();
    uiSetStatusType(0);
    uiSetStatusLine2(3, "x");
    uiStepProgress(1);
    uiSetProgress(10);
    uiShow();
    uiHide(0);
    uiShowMessage("nobody listens");
    EXPECT_EQ(uiChooseDirectory(), "");
    uiApplyTitle("t");
    StatusLine2Saver().restore();
    hostState().statusLines = HostState::StatusLines();
}

TEST(ExitMessageRule, Table) {
    const LString saved = wiz::hostState().exitMessage;
    struct Case {
        int result;
        int style;
        const char* message;
        bool shown;
    } cases[] = {
        {0, 1, "err", false},   {1000, 0, "err", false}, {1000, 2, "err", false},
        {1000, 1, "err", true}, {1000, -1, "err", true}, {1000, 1, "", false},
        {-1, 0, "err", true},   {1, 2, "err", true},     {999, 0, "err", true},
    };
    for (const Case& c : cases) {
        wiz::hostState().exitMessage = c.message;
        EXPECT_EQ(showsExitMessage(c.result, c.style), c.shown)
            << c.result << " style " << c.style << " [" << c.message << "]";
    }
    wiz::hostState().exitMessage = saved;
}

TEST(HostChoice, ConsoleOnlyForExactOptionAfterProgramPath) {
    struct Case {
        std::vector<const char*> args;
        bool console;
    } cases[] = {
        {{"prog", "-console"}, true},
        {{"prog", "a", "b", "-console"}, true},
        {{"prog", "-cv:log", "-console"}, true},
        {{"-console"}, false},
        {{"-console", "x"}, false},
        {{"prog", "-Console"}, false},
        {{"prog", "-console "}, false},
        {{"prog"}, false},
        {{}, false},
    };
    for (const Case& c : cases) {
        ArgumentList args;
        for (const char* a : c.args) args.append(a);
        EXPECT_EQ(wantsConsoleHost(args), c.console) << c.args.size() << " arguments";
    }
}

TEST(DebugLog, StartLineWhenTheVariableNamesAFile) {
    wiztest::TempDir dir;
    const LString savedPath = wiz::logState().debugPath;
    const bool savedEnabled = wiz::logState().debugEnabled;
    const std::string path = dir.file("debug.log");
    setEnvironmentText("DBGWIN32PPK", path.c_str());
    startDebugLogFromEnvironment();
    EXPECT_TRUE(wiz::logState().debugEnabled);
    EXPECT_EQ(wiz::logState().debugPath, path.c_str());
    std::string written = wiztest::TempDir::read(path);
    written.erase(std::remove(written.begin(), written.end(), '\r'), written.end());
    EXPECT_EQ(written, "Console Launcher Started\n");

    wiz::logState().debugPath = LString();
    wiz::logState().debugEnabled = false;
    setEnvironmentText("DBGWIN32PPK", "");
    startDebugLogFromEnvironment();
    EXPECT_FALSE(wiz::logState().debugEnabled);
    EXPECT_EQ(wiz::logState().debugPath, "");

    wiz::logState().debugPath = savedPath;
    wiz::logState().debugEnabled = savedEnabled;
}

namespace {

bool exitHookCalled = false;
void exitHook() { exitHookCalled = true; }

// runLaunch over the recording host: arguments as typed after a program path.
class RunSequence : public Facade {
protected:
    void SetUp() override {
        Facade::SetUp();
        wiz::runSettings().savedArguments.clear();
        wiz::runSettings().passThroughArgs.clear();
        exitHookCalled = false;
        savedExitMessage = wiz::hostState().exitMessage;
    }
    void TearDown() override {
        wiz::hostState().exitMessage = savedExitMessage;
        Facade::TearDown();
    }
    int run(std::vector<const char*> typed, ExitMessageRoute route) {
        ArgumentList args;
        args.append("prog");
        for (const char* a : typed) args.append(a);
        return runLaunch(host, args, route, exitHook);
    }

    LString savedExitMessage;
};

}  // namespace

TEST_F(RunSequence, EmptyArgumentListDoesNothing) {
    ArgumentList none;
    EXPECT_EQ(runLaunch(host, none, ExitMessageRoute::HostShowMessage, exitHook), -1);
    EXPECT_TRUE(host.calls.empty());
    EXPECT_FALSE(exitHookCalled);
}

TEST_F(RunSequence, RunsTheOptionsOfTheRunningFileThenRemovesTemporaryFiles) {
    wiztest::TempDir dir;
    const std::string temp = dir.write("left-over.tmp", "x");
    registerTempFile(temp.c_str());
    EXPECT_EQ(run({"-cv:version"}, ExitMessageRoute::HostShowMessage), 0);
    EXPECT_EQ(host.calls, (Calls{"progress:0", "message:2.52"}));
    EXPECT_TRUE(exitHookCalled);
    EXPECT_FALSE(std::ifstream(temp).good());
    EXPECT_EQ(wiz::runSettings().launcherPath, modulePath());
    EXPECT_FALSE(wiz::runSettings().launcherPath.empty());
    ASSERT_EQ(wiz::runSettings().savedArguments.count(), 1);
    EXPECT_EQ(wiz::runSettings().savedArguments.at(0), "-cv:version");
}

TEST_F(RunSequence, ExitMessageAfterAFailedLaunch) {
    wiz::hostState().exitMessage = "wizard error output";
    // Shown by the host itself, even in silent mode ...
    EXPECT_EQ(run({"-cv:silent", "-cv:in"}, ExitMessageRoute::HostShowMessage), -1);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"wizard error output"}));

    // ... while through the facade silent mode suppresses it.
    host.messages.clear();
    EXPECT_EQ(run({"-cv:silent", "-cv:in"}, ExitMessageRoute::Facade), -1);
    EXPECT_TRUE(host.messages.empty());

    setSilent(false);
    EXPECT_EQ(run({"-cv:in"}, ExitMessageRoute::Facade), -1);
    EXPECT_EQ(host.messages, (std::vector<std::string>{loadString(StringId::InputNameMissing).str(),
                                                       "wizard error output"}));

    // A successful launch never shows it.
    host.messages.clear();
    EXPECT_EQ(run({"-cv:version"}, ExitMessageRoute::HostShowMessage), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"2.52"}));
}
