// Runs whose results are kept (the verification runs): the same command line, working directory
// and variables start nothing the second time, yet log, report progress and answer as the first
// run did; anything that could change what the program does starts it again.
#include "launch/run_result_cache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>

#include "base/exceptions.h"
#include "launch/launch_script.h"
#include "platform/environment.h"
#include "services/log.h"
#include "services/settings.h"
#include "support/temp_dir.h"
#include "tagdoc/tag_document.h"
#include "unit/child_process_support.h"

namespace {

using wiz::LString;

class RunResultCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = std::move(wiz::runSettings());
        savedLog_ = wiz::logState();
        wiz::runSettings() = wiz::RunSettings();
        setLauncherFolder("a");
        wiz::logState() = wiz::LogState();
        wiz::logState().filePath = LString(dir.file("run.log"));
        wiz::logState().separatorWritten = true;
        jvmDoc.setValue("JVM_HOME", "/jdk-1");
        wiz::setEnvironmentText("WIZTEST_MARK", "first");
    }
    void TearDown() override {
        wiz::unsetEnvironmentText("WIZTEST_MARK");
        wiz::unsetEnvironmentText("WIZTEST_LEFT");
        wiz::runSettings() = std::move(savedSettings_);
        wiz::logState() = savedLog_;
    }

    // The launcher sits in the folder `name` of the test directory: the runs' working directory.
    void setLauncherFolder(const std::string& name) {
        std::filesystem::create_directories(dir.path() / name);
        // With the system's separators: the working directory is the launcher path's folder.
        wiz::runSettings().launcherPath = LString((dir.path() / name / "setup").string());
        wiz::runSettings().origLauncherPath = wiz::runSettings().launcherPath;
    }

    // One verification-like launch of the test child printing WIZTEST_MARK (`extra` appended to
    // its command), with its output captured and its result kept in `cache`; what it printed.
    std::string launch(const std::string& extra = "") {
        wiz::LaunchScript script(
            wiz::ExpansionText(LString(wiztest::childCommand("env WIZTEST_MARK" + extra))), true,
            false);
        script.restoreEnvironment = true;
        script.resultCache = &cache;
        wiz::JvmTags jvm(jvmDoc);
        wiztest::CountingHost host;
        const int code = script.launch(jvm, nullptr, false);
        EXPECT_EQ(code, 0);
        steps.push_back(host.steps);
        std::string out = script.stdoutText.str();
        out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());
        return out;
    }
    size_t reuses() const {
        const std::string text = wiztest::TempDir::read(dir.file("run.log"));
        size_t count = 0;
        for (size_t at = text.find(kReused); at != std::string::npos;
             at = text.find(kReused, at + 1)) {
            ++count;
        }
        return count;
    }

    static constexpr const char* kReused =
        "The same command ran before in the same folder with the same variables: its result is "
        "used again, nothing is started.";
    wiztest::TempDir dir;
    wiz::TagDocument jvmDoc;
    wiz::RunResultCache cache;
    std::vector<int> steps;

private:
    wiz::RunSettings savedSettings_;
    wiz::LogState savedLog_;
};

TEST_F(RunResultCacheTest, TheSameRunIsNotStartedAgainButAnswersAndStepsAlike) {
    EXPECT_EQ(launch(), "first");
    // The child would print the new value if it ran: it does not.
    wiz::setEnvironmentText("WIZTEST_MARK", "second");
    EXPECT_EQ(launch(), "first");
    EXPECT_EQ(reuses(), 1u);
    // The same log lines, plus the one that says so.
    std::string text = wiztest::TempDir::read(dir.file("run.log"));
    const size_t at = text.find(kReused);
    ASSERT_NE(at, std::string::npos);
    text.erase(at, text.find('\n', at) + 1 - at);
    EXPECT_EQ(text.substr(0, text.size() / 2), text.substr(text.size() / 2)) << text;
    ASSERT_EQ(steps.size(), 2u);
    EXPECT_GT(steps[0], 0);
    EXPECT_EQ(steps[1], steps[0]) << "the same progress steps";
}

TEST_F(RunResultCacheTest, AnythingThatDecidesWhatTheRunDoesStartsItAgain) {
    EXPECT_EQ(launch(), "first");
    // Each change below starts the child, which then prints the value set before.
    const struct {
        const char* what;
        std::function<void()> change;
        std::string extra;
    } cases[] = {
        {"another JAVA_HOME", [&] { jvmDoc.setValue("JVM_HOME", "/jdk-2"); }, ""},
        {"another command line", [] {}, " more"},
        {"another working directory", [&] { setLauncherFolder("b"); }, " more"},
        // A variable the launcher set and left set reaches every later child.
        {"a variable left set by the launcher",
         [&] {
             wiz::TagDocument doc;
             doc.setValue("USE_CP_ENV_VAR", "1");
             doc.setValue("CP_ENV_VAR", "WIZTEST_LEFT");
             wiz::TagDocument scriptDoc;
             scriptDoc.setValue("COMMAND", "java %CP%(\"x.jar\")");
             wiz::LaunchScript outside(scriptDoc, false);
             outside.embeddedEntries = false;
             wiz::JvmTags tags(doc);
             outside.expand(tags);
         },
         " more"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string mark = "mark-" + std::to_string(++n);
        wiz::setEnvironmentText("WIZTEST_MARK", LString(mark));
        c.change();
        EXPECT_EQ(launch(c.extra), mark) << c.what;
    }
    EXPECT_EQ(reuses(), 0u);
}

TEST_F(RunResultCacheTest, AProgramThatCannotStartIsTriedOnce) {
    wiz::LaunchScript script(wiz::ExpansionText(LString("\"" + dir.file("missing") + "\"")), true,
                             false);
    script.resultCache = &cache;
    wiz::JvmTags jvm(jvmDoc);
    std::string first, second;
    try {
        script.launch(jvm, nullptr, false);
    } catch (const wiz::ProcessStartException& e) {
        first = e.message().str();
    }
    try {
        script.launch(jvm, nullptr, false);
    } catch (const wiz::ProcessStartException& e) {
        second = e.message().str();
    }
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(second, first);
    EXPECT_EQ(reuses(), 1u);
}

}  // namespace
