#include "core/launch_flow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <new>
#include <sstream>
#include <string>
#include <vector>

#include "core/file_index.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "support/process_state.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"

using namespace wiz;
using Calls = std::vector<std::string>;

namespace {

std::string text(StringId id) { return loadString(id).str(); }

// Each test starts from a fresh process-wide state: a new file index, default settings, no log,
// and a recording host; the launcher file is a small file without an index.
class OptionWalk : public ::testing::Test {
protected:
    void SetUp() override {
        wiztest::resetFileIndex();
        setSilent(false);
        wiz::logState().filePath = LString();
        wiz::runSettings().savedArguments.clear();
        wiz::runSettings().passThroughArgs.clear();
        wiz::runSettings().displayConsole = false;
        wiz::runSettings().javaHomeOverride = LString();
        wiz::runSettings().classpathPrepend = LString();
        wiz::runSettings().classpathAppend = LString();
        wiz::runSettings().origGiven = false;
        savedTempDirectory = wiz::tempFiles().directory;
        launcher = dir.write("launcher.exe", "MZ not a launcher with an index");
    }
    void TearDown() override {
        wiztest::resetFileIndex();
        setSilent(false);
        wiz::logState().filePath = LString();
        wiz::tempFiles().directory = savedTempDirectory;
    }

    int run(const std::vector<std::string>& args) {
        StringList list;
        for (const std::string& a : args) list.append(a.c_str());
        return launchFlow(list, launcher.c_str());
    }

    // The lines of a log file, without the once-per-process separator and carriage returns.
    std::vector<std::string> logLines(const std::string& path) {
        std::vector<std::string> lines;
        std::string all = wiztest::TempDir::read(path), line;
        for (char c : all) {
            if (c == '\r') continue;
            if (c != '\n') {
                line += c;
                continue;
            }
            if (line != "------------------") lines.push_back(line);
            line.clear();
        }
        return lines;
    }

    // An instruction script and an input document that runs it.
    std::string scriptDocument(const std::string& lines) {
        return dir.write("script.tag", "INSTRUCTIONS:\n" + lines + "/:\n");
    }
    std::string inputDocument(const std::string& name, const std::string& body) {
        return dir.write(name, body);
    }
    std::string runDocument(const std::string& scriptLines) {
        return inputDocument("run.tag", "ACTION: RUN_INSTRUCTIONS\nINSTRUCTIONS: \"" +
                                            scriptDocument(scriptLines) + "\"\n");
    }

    wiztest::TempDir dir;
    std::string launcher;
    LString savedTempDirectory;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scoped{host};
};

}  // namespace

TEST_F(OptionWalk, VersionShowsOnlyTheVersion) {
    EXPECT_EQ(run({"-cv:version"}), 0);
    EXPECT_EQ(host.calls, (Calls{"progress:0", "message:2.52"}));
}

TEST_F(OptionWalk, DefaultRunWithoutScriptFails) {
    EXPECT_EQ(run({}), -1);
    EXPECT_EQ(host.calls, (Calls{"progress:0", "progress:100"}));
    EXPECT_EQ(wiz::runSettings().launcherPath, launcher.c_str());
    EXPECT_EQ(wiz::runSettings().origLauncherPath, launcher.c_str());
    EXPECT_FALSE(wiz::runSettings().origGiven);
}

TEST_F(OptionWalk, SettingsAndPassThroughArguments) {
    const std::vector<std::string> args = {"--wizard-option",
                                           "-cv:javahome",
                                           "-cv:in",
                                           "-cp:p",
                                           "pre.jar",
                                           "-cp:a",
                                           "post.jar",
                                           "x y",
                                           "-accessibility",
                                           "-console",
                                           "-cv:javaconsole",
                                           "-cv:orig",
                                           "C:\\orig\\setup.exe",
                                           "-cv:version",
                                           "-cv:tempdir"};
    EXPECT_EQ(run(args), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"2.52"}));
    ASSERT_EQ(wiz::runSettings().passThroughArgs.count(), 4);
    EXPECT_EQ(wiz::runSettings().passThroughArgs.at(0), "--wizard-option");
    EXPECT_EQ(wiz::runSettings().passThroughArgs.at(1), "x y");
    EXPECT_EQ(wiz::runSettings().passThroughArgs.at(2), "-console");  // added by -accessibility
    EXPECT_EQ(wiz::runSettings().passThroughArgs.at(3), "-console");
    // A value-taking option consumes the next argument even when it looks like an option.
    EXPECT_EQ(wiz::runSettings().javaHomeOverride, "-cv:in");
    EXPECT_EQ(wiz::runSettings().classpathPrepend, "pre.jar");
    EXPECT_EQ(wiz::runSettings().classpathAppend, "post.jar");
    EXPECT_TRUE(wiz::runSettings().displayConsole);
    EXPECT_TRUE(wiz::runSettings().origGiven);
    EXPECT_EQ(wiz::runSettings().origLauncherPath, "C:\\orig\\setup.exe");
    EXPECT_EQ(origLauncherDirectory(), "C:\\orig");
    EXPECT_EQ(wiz::runSettings().launcherPath, launcher.c_str());
    EXPECT_EQ(wiz::tempFiles().directory, savedTempDirectory);  // a trailing -cv:tempdir is ignored
    ASSERT_EQ(wiz::runSettings().savedArguments.count(), static_cast<int32_t>(args.size()));
    for (size_t i = 0; i < args.size(); ++i) {
        EXPECT_EQ(wiz::runSettings().savedArguments.at(static_cast<int32_t>(i)), args[i].c_str());
    }
}

TEST_F(OptionWalk, PathOptionsAreHandedOnAbsolute) {
    // EXECUTE_LAUNCHER hands these arguments to a launcher that runs in another folder.
    runDocument("SET S1 = x\n");
    const std::filesystem::path started = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    const std::filesystem::path here = std::filesystem::current_path();
    const int result = run(
        {"-cv:log", "run.log", "-cv:tempdir", "tmp", "-cv:in", "\"run.tag\"", "-cp:a", "lib.jar"});
    std::filesystem::current_path(started);
    EXPECT_EQ(result, 0);
    const auto saved = [](int32_t i) { return wiz::runSettings().savedArguments.at(i).str(); };
    EXPECT_EQ(std::filesystem::path(saved(1)), here / "run.log");
    EXPECT_EQ(std::filesystem::path(saved(3)), here / "tmp");
    EXPECT_EQ(std::filesystem::path(saved(5)), here / "run.tag");
    EXPECT_EQ(saved(7), "lib.jar") << "other values stay as they were given";
}

TEST_F(OptionWalk, ConsumedOptionDoesNotAct) {
    EXPECT_EQ(run({"-cp:a", "-cv:version"}), -1);  // the default run found no script
    EXPECT_EQ(wiz::runSettings().classpathAppend, "-cv:version");
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(OptionWalk, TempDirectoryOption) {
    const std::string temp = dir.file("tmp");
    EXPECT_EQ(run({"-cv:tempdir", temp, "-cv:version"}), 0);
    EXPECT_EQ(wiz::tempFiles().directory, temp.c_str());
}

TEST_F(OptionWalk, SilentOptions) {
    EXPECT_EQ(run({"-cv:silent", "-cv:version", "-cv:orig"}), -1);
    EXPECT_TRUE(wiz::hostState().silent);
    EXPECT_EQ(wiz::runSettings().passThroughArgs.count(), 0);
    EXPECT_EQ(host.calls, (Calls{"progress:0"}));  // the walk starts before the option

    setSilent(false);
    EXPECT_EQ(run({"-cv:version", "-silent", "-cv:version"}), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"2.52"}));
    ASSERT_EQ(wiz::runSettings().passThroughArgs.count(), 1);
    EXPECT_EQ(wiz::runSettings().passThroughArgs.at(0), "-silent");
}

TEST_F(OptionWalk, MissingValues) {
    EXPECT_EQ(run({"-cv:version", "-cv:orig"}), -1);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{"2.52", "Missing original launcher file name."}));
    EXPECT_FALSE(wiz::runSettings().origGiven);

    host.messages.clear();
    host.calls.clear();
    EXPECT_EQ(run({"-cv:in"}), -1);
    EXPECT_EQ(host.calls, (Calls{"progress:0", "message:" + text(StringId::InputNameMissing)}));
}

TEST_F(OptionWalk, MissingLogNameStillRunsTheScript) {
    EXPECT_EQ(run({"-cv:in", runDocument("// nothing to do\n"), "-cv:log"}), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{text(StringId::LogNameMissing)}));
}

TEST_F(OptionWalk, UnreadableInputDocument) {
    const std::string log = dir.file("run.log");
    for (const std::string& value : {std::string(), dir.file("missing.tag")}) {
        host.messages.clear();
        EXPECT_EQ(run({"-cv:log", log, "-cv:in", value}), -1) << value;
        EXPECT_EQ(host.messages, (std::vector<std::string>{text(StringId::CouldNotLoadInput) +
                                                               text(StringId::CannotOpenInput),
                                                           text(StringId::CannotOpenInput)}))
            << value;
    }
    EXPECT_EQ(logLines(log),
              (std::vector<std::string>{"ERROR: " + text(StringId::CannotOpenInput),
                                        "ERROR: " + text(StringId::CannotOpenInput)}));
}

TEST_F(OptionWalk, InputDocumentPathMayBeQuoted) {
    const std::string log = dir.file("run.log");
    const std::string quoted = "\"" + runDocument("// quiet\n") + "\"";
    EXPECT_EQ(run({"-cv:log", log, "-cv:in", quoted}), 0);
    EXPECT_TRUE(host.messages.empty());
    // The line goes to the log in force before the document; the document has no LOGFILE.
    EXPECT_EQ(logLines(log), (std::vector<std::string>{"Loading input file " + quoted}));
    EXPECT_EQ(wiz::logState().filePath, "");
}

TEST_F(OptionWalk, InvalidActions) {
    struct Case {
        std::string body;
        std::string expected;
    } cases[] = {
        {"SHOW_PROGRESS: 0\n", text(StringId::InvalidAction)},
        {"ACTION: run_instructions\n", text(StringId::InvalidAction) + "run_instructions"},
        {"ACTION: FOO\n", text(StringId::InvalidAction) + "FOO"},
    };
    for (const Case& c : cases) {
        wiztest::resetFileIndex();
        wiz::logState().filePath = LString();
        host.messages.clear();
        const std::string log = dir.file("action.log");
        const std::string doc = inputDocument("doc.tag", c.body + "LOGFILE: " + log + "\n");
        EXPECT_EQ(run({"-cv:in", doc}), -1) << c.body;
        EXPECT_EQ(host.messages, (std::vector<std::string>{c.expected, c.expected})) << c.body;
        EXPECT_EQ(logLines(log), (std::vector<std::string>{"ERROR: " + c.expected})) << c.body;
        std::remove(log.c_str());
    }
}

TEST_F(OptionWalk, DocumentWithoutLogFileTurnsTheLogOff) {
    const std::string first = dir.file("first.log");
    const std::string doc = inputDocument("doc.tag", "ACTION: NONE\n");
    EXPECT_EQ(run({"-cv:log", first, "-cv:in", doc}), -1);
    EXPECT_EQ(logLines(first), (std::vector<std::string>{"Loading input file " + doc}));
    EXPECT_EQ(wiz::logState().filePath, "");
}

TEST_F(OptionWalk, VerifyJvmNeedsBothKeys) {
    const std::string log = dir.file("verify.log");
    const std::string doc = inputDocument(
        "verify.tag", "ACTION: VERIFY_JVM\nVERIFY_JVM_FILE: a.jvm\nLOGFILE: " + log + "\n");
    EXPECT_EQ(run({"-cv:in", doc}), -1);
    EXPECT_EQ(host.calls, (Calls{"progress:0", "hide:0"}));
    EXPECT_EQ(logLines(log),
              (std::vector<std::string>{
                  "ERROR: TO execute the VERIFY_JVM action, you must also provide values in the "
                  "input file for VERIFY_JVM_FILE and VERIFY_JVM_HOME."}));
}

TEST_F(OptionWalk, InstallJvmWithoutKeysOnlyShowsProgress) {
    struct Case {
        std::string flags;
        Calls calls;
    } cases[] = {
        {"", {"progress:0", "hide:0", "progress:100"}},
        {"SHOW_PROGRESS: 1\n", {"progress:0", "show", "progress:0", "progress:100"}},
        {"SHOW_FAIL_MSG: 1\n", {"progress:0", "show", "progress:100"}},
    };
    for (const Case& c : cases) {
        wiztest::resetFileIndex();
        host.calls.clear();
        const std::string doc = inputDocument(
            "install.tag", "ACTION: INSTALL_JVM\nINSTALL_JVM_EXE: setup.exe\n" + c.flags);
        EXPECT_EQ(run({"-cv:in", doc}), 0) << c.flags;
        EXPECT_EQ(host.calls, c.calls) << c.flags;
    }
}

TEST_F(OptionWalk, ScriptErrorsNameTheLine) {
    EXPECT_EQ(run({"-cv:in", runDocument("// first\nBOGUS 1\n")}), -1);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{
                  "Error in instructions. Invalid command (BOGUS).  Line number (2)"}));
}

TEST_F(OptionWalk, LaterOptionsDecideTheDefaultRun) {
    // -cv:version after the document turns the script run off again ...
    EXPECT_EQ(run({"-cv:in", runDocument("BOGUS\n"), "-cv:version"}), 0);
    EXPECT_EQ(host.messages, (std::vector<std::string>{"2.52"}));

    // ... and a RUN_INSTRUCTIONS document after it turns the run back on.
    wiztest::resetFileIndex();
    host.messages.clear();
    EXPECT_EQ(run({"-cv:version", "-cv:in", runDocument("BOGUS\n")}), -1);
    EXPECT_EQ(host.messages,
              (std::vector<std::string>{
                  "2.52", "Error in instructions. Invalid command (BOGUS).  Line number (1)"}));
}

TEST_F(OptionWalk, DocumentThatCannotBeApplied) {
    const std::string missing = dir.file("missing-script.tag");
    const std::string doc =
        inputDocument("bad.tag", "ACTION: RUN_INSTRUCTIONS\nINSTRUCTIONS: \"" + missing + "\"\n");
    EXPECT_EQ(run({"-cv:in", doc}), -1);
    const std::string reason =
        text(StringId::InstructionsLoadFailed) + "Unable to load input file: " + missing;
    EXPECT_EQ(host.messages, (std::vector<std::string>{reason, reason}));
}

TEST_F(OptionWalk, UnreadableLauncherFile) {
    launcher = dir.file("no-such-launcher.exe");
    EXPECT_EQ(run({}), -1);
    EXPECT_EQ(host.messages, (std::vector<std::string>{text(StringId::CannotLoadIndex) +
                                                       "Cannot open launcher file."}));
}

TEST_F(OptionWalk, RunInstructionsWithoutScript) { EXPECT_EQ(runInstructions(), -1); }

namespace {

// A host that runs out of memory when it is asked to show a status line (a search's first
// step), and records everything else.
class StatusOutOfMemoryHost : public wiztest::RecordingHost {
public:
    void setStatus(const LString&) override { throw std::bad_alloc(); }
    void setStatus2(const LString&, const LString&) override { throw std::bad_alloc(); }
};

}  // namespace

TEST_F(OptionWalk, OutOfMemoryEndsWithTheMessageAndALogLine) {
    // In the option walk itself, and inside a batch action (which reports its own failures as
    // no answer but must not take a lack of memory for one).
    const std::string log = dir.file("memory.log");
    const std::string search =
        inputDocument("search.tag", "ACTION: SEARCH\nSHOW_PROGRESS: 1\nLOGFILE: " + log + "\n");
    StatusOutOfMemoryHost failing;
    wiztest::ScopedHost scopedFailing(failing);
    EXPECT_EQ(run({"-cv:in", search}), -1);
    EXPECT_EQ(failing.messages, (std::vector<std::string>{"The launcher ran out of memory."}));
    const std::vector<std::string> lines = logLines(log);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "ERROR: The launcher ran out of memory.");
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "ERROR: Unexpected failure in search."), 0);
}

TEST(OutOfMemoryReport, WithoutAHostOnStandardErrorUnlessSilent) {
    // Before the host exists (the argument list, the host's creation) the text goes to
    // standard error; a silent launcher shows nothing, and the log gets its line either way.
    wiztest::TempDir dir;
    const std::string log = dir.file("memory.log");
    wiz::logState().filePath = log.c_str();
    wiz::LauncherHost* previous = wiz::hostState().host.exchange(nullptr);
    for (bool silent : {false, true}) {
        setSilent(silent);
        ::testing::internal::CaptureStderr();
        reportOutOfMemory();
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  silent ? "" : "The launcher ran out of memory.\n");
    }
    setSilent(false);
    wiz::hostState().host = previous;
    wiz::logState() = wiz::LogState();
    std::vector<std::string> lines;
    std::istringstream written(wiztest::TempDir::read(log));
    for (std::string line; std::getline(written, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line != "------------------") lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::string>(2, "ERROR: The launcher ran out of memory.")));
}
