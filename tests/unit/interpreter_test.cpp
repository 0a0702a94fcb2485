#include "script/interpreter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "core/script_actions.h"
#include "services/host.h"
#include "services/messages.h"
#include "support/recording_host.h"

using namespace wiz;

namespace {

// Records what the commands ask of the JVM actions and launches. FIND_JVM "finds" a JVM when
// `jvmHome` is set and reports it through the script variables as the real action does.
class RecordingActions : public ScriptActions {
public:
    std::vector<std::string> calls;
    std::vector<int> launchResults;  // returned by LAUNCH/ILAUNCH in turn
    std::string jvmHome;

    void findJvm(bool showUi, bool allowPick) override {
        record("FIND_JVM " + flag(showUi) + " " + flag(allowPick));
        const bool found = !jvmHome.empty();
        scriptVariables.setNumeric(1, found ? 1 : 0);
        scriptVariables.setString(1, found ? jvmHome.c_str() : "");
        scriptVariables.setString(2, found ? (jvmHome + "/jvm.tag").c_str() : "");
    }
    void verifyJvm(bool showUi, bool showFailMessage, int32_t fileId) override {
        record("VERIFY " + flag(showUi) + " " + flag(showFailMessage) + " " +
               std::to_string(fileId));
    }
    void installJvm(int32_t mode) override { record("INSTALL_JVM " + std::to_string(mode)); }
    int launchWithJvmFile(const LString& jvmFile, int16_t seconds) override {
        record("LAUNCH [" + jvmFile.str() + "] " + std::to_string(seconds));
        return nextResult();
    }
    int launchWithEmbeddedJvm(int32_t fileId, int16_t seconds) override {
        record("ILAUNCH " + std::to_string(fileId) + " " + std::to_string(seconds));
        return nextResult();
    }
    void executeEmbeddedLauncher(int32_t position) override {
        record("EXECUTE_LAUNCHER " + std::to_string(position));
    }

private:
    static std::string flag(bool b) { return b ? "1" : "0"; }
    void record(const std::string& call) { calls.push_back(call); }
    int nextResult() {
        if (launchResults.empty()) return -99;
        int r = launchResults.front();
        launchResults.erase(launchResults.begin());
        return r;
    }
};

class Interpreter : public ::testing::Test {
protected:
    void SetUp() override {
        scriptVariables = ScriptVariables();
        hostState().statusLines = HostState::StatusLines();
        setSilent(false);
        host.title = "Setup";
    }
    void TearDown() override {
        setSilent(false);
        hostState().statusLines = HostState::StatusLines();
        scriptVariables = ScriptVariables();
    }

    // Runs the lines as the INSTRUCTIONS block; returns "result <n>" or the failure as
    // "I<line>:<message>" (script error) or "L:<message>" (LauncherException).
    std::string run(const std::vector<std::string>& lines, ScriptActions* use = nullptr) {
        TagDocument document;
        for (const std::string& line : lines) document.addValue("INSTRUCTIONS", line.c_str());
        InstructionInterpreter interpreter(document, use ? *use : actions);
        try {
            return "result " + std::to_string(interpreter.execute());
        } catch (const InstructionsException& e) {
            return "I" + std::to_string(e.line()) + ":" + e.message().str();
        } catch (const LauncherException& e) {
            return "L:" + e.message().str();
        }
    }

    RecordingActions actions;
    wiztest::RecordingHost host;
    wiztest::ScopedHost scopedHost{host};
};

const std::vector<std::string> kFindAndLaunch = {
    "INITIALIZE_UI",     "FIND_JVM 1 1",  "JMP0 @N1@ DO_FIND_ELSE", "LAUNCH @S2@ 0",
    "GOTO DO_FIND_DONE", ":DO_FIND_ELSE", ":DO_FIND_DONE",
};

TEST_F(Interpreter, FindThenLaunchJumpsExactlyWhenNoJvmWasFound) {
    actions.jvmHome = "/opt/jdk";
    actions.launchResults = {42};
    EXPECT_EQ(run(kFindAndLaunch), "result 42");
    EXPECT_EQ(actions.calls,
              (std::vector<std::string>{"FIND_JVM 1 1", "LAUNCH [/opt/jdk/jvm.tag] 0"}));

    actions.calls.clear();
    actions.jvmHome.clear();
    EXPECT_EQ(run(kFindAndLaunch), "result 0");
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"FIND_JVM 1 1"}));
}

TEST_F(Interpreter, ControlFlow) {
    struct Case {
        const char* what;
        std::vector<std::string> lines;
        std::vector<std::string> calls;
        const char* outcome;
    };
    const Case cases[] = {
        {"empty block", {}, {}, "result 0"},
        {"labels and comments do nothing",
         {":START", "// a comment line", "// ", ":END extra words"},
         {},
         "result 0"},
        {"a later launch overwrites the result",
         {"LAUNCH a 0", "ILAUNCH 2 0"},
         {"LAUNCH [a] 0", "ILAUNCH 2 0"},
         "result 2"},
        {"GOTO a label on the last line ends the script",
         {"LAUNCH a 0", "GOTO END", "LAUNCH b 0", ":END"},
         {"LAUNCH [a] 0"},
         "result 1"},
        {"a jump continues after the label, also on the first line",
         {":TOP", "EXECUTE_LAUNCHER @N3@", "JMP0 @N3@ AGAIN", "GOTO END", ":AGAIN", "SET N3 = 7",
          "GOTO TOP", ":END"},
         {"EXECUTE_LAUNCHER 0", "EXECUTE_LAUNCHER 7"},
         "result 0"},
        {"JMP0 with a non-zero value never looks the label up",
         {"JMP0 1 NOWHERE", "JMP0 -4 NOWHERE", "EXECUTE_LAUNCHER 1"},
         {"EXECUTE_LAUNCHER 1"},
         "result 0"},
        {"the first of two equal labels wins",
         {"GOTO L", "EXECUTE_LAUNCHER 1", ":L", "EXECUTE_LAUNCHER 2", ":L", "EXECUTE_LAUNCHER 3"},
         {"EXECUTE_LAUNCHER 2", "EXECUTE_LAUNCHER 3"},
         "result 0"},
        {"a label taken from a string variable",
         {"SET S3 = THERE", "GOTO @S3@", "EXECUTE_LAUNCHER 1", ":THERE"},
         {},
         "result 0"},
        {"words after the last argument are ignored",
         {"FIND_JVM 0 1 more words", "INSTALL_JVM 2 x", "GOTO END now", ":END"},
         {"FIND_JVM 0 1", "INSTALL_JVM 2"},
         "result 0"},
        {"numbers followed by letters read as the number",
         {"ILAUNCH 12abc 5s", "VERIFY 1 0 3rd", "JMP0 0x END", "EXECUTE_LAUNCHER 9", ":END"},
         {"ILAUNCH 12 5", "VERIFY 1 0 3"},
         "result 1"},
        {"arguments from variables and a quoted file name",
         {"SET N2 = 4", "SET S4 = \"C:\\Program Files\\jvm\"", "VERIFY 0 1 @N2@",
          "LAUNCH \"@S4@ (copy)\" -1", "ILAUNCH @N2@ 32767", "INSTALL_JVM 0", "INSTALL_JVM 1"},
         {"VERIFY 0 1 4", "LAUNCH [C:\\Program Files\\jvm (copy)] -1", "ILAUNCH 4 32767",
          "INSTALL_JVM 0", "INSTALL_JVM 1"},
         "result 2"},
        {"an empty file name goes on to the launch",
         {"LAUNCH @S5@ 3"},
         {"LAUNCH [] 3"},
         "result 1"},
    };
    for (const Case& c : cases) {
        actions.calls.clear();
        actions.launchResults = {1, 2};
        scriptVariables = ScriptVariables();
        EXPECT_EQ(run(c.lines), c.outcome) << c.what;
        EXPECT_EQ(actions.calls, c.calls) << c.what;
    }
}

TEST_F(Interpreter, ScriptErrorsCarryTheLineNumber) {
    struct Case {
        std::vector<std::string> lines;
        const char* outcome;
    };
    const Case cases[] = {
        {{""}, "I1:No command specified."},
        {{":A", "launch a 0"}, "I2:Invalid command (launch). "},
        {{"//comment"}, "I1:Invalid command (//comment). "},
        {{"SET N1 = 1", "SET N2 = 2", "FIND_JVM"},
         "I3:The first argument to FIND_JVM should be a 1 if the UI should be displayed or a 0 "
         "if the UI should be suppressed."},
        {{"FIND_JVM 1"},
         "I1:The second argument to FIND_JVM should be a 1 if a find failure message should be "
         "displayed in a UI or 0 if no message should be displayed."},
        {{"FIND_JVM 2 1"}, "I1: Invalid boolean value (2)"},
        {{"SET N1 = 2", "FIND_JVM @N1@ 1"}, "I2: Invalid boolean value (@N1@)"},
        {{"VERIFY"},
         "I1:The first argument to VERIFY should be a 1 if the UI should be displayed or a 0 if "
         "the UI should be suppressed."},
        {{"VERIFY 1"},
         "I1:The second argument to VERIFY should be a 1 if a find failure message should be "
         "displayed in a UI or 0 if no message should be displayed."},
        {{"VERIFY 1 1"},
         "I1:The third argument to VERIFY should be the file index number of the jvm file."},
        {{"VERIFY 1 1 x1"}, "I1:Invalid numeric expression (x1)"},
        {{"INSTALL_JVM"}, "I1:The first argument to INSTALL_JVM should be a 0, 1 or 2."},
        {{"INSTALL_JVM 3"}, "I1:The first argument to INSTALL_JVM should be a 0, 1 or 2."},
        {{"INSTALL_JVM -1"}, "I1:The first argument to INSTALL_JVM should be a 0, 1 or 2."},
        {{"LAUNCH jvm"},
         "I1:The second argument to LAUNCH should be the number of seconds to display the UI "
         "during the launch."},
        {{"LAUNCH jvm soon"}, "I1: Invalid numeric expression (soon)"},
        {{"LAUNCH jvm 40000"}, "I1: Invalid numeric expression (40000)"},
        {{"ILAUNCH"},
         "I1:The first argument to ILAUNCH should be the file index number of the jvm file."},
        {{"ILAUNCH 1"},
         "I1:The second argument to ILAUNCH should be the number of seconds to display the UI "
         "during the launch."},
        {{"EXECUTE_LAUNCHER"}, "I1: Empty expression."},
        {{"GOTO"}, "I1:The GOTO command requires a label as its only argument."},
        {{"GOTO END", ":END extra"}, "I1:Label not found (END)"},
        {{"EXECUTE_LAUNCHER 1", "JMP0 0 NOWHERE", ":NOWHERE2"}, "I2:Label not found (NOWHERE)"},
        {{"JMP0 0"}, "I1:JMP0 requires a jump label as its second argument."},
        {{"JMP0 1"}, "I1:JMP0 requires a jump label as its second argument."},
        {{"JMP0"}, "I1: Empty expression."},
        {{"JMP0 a1 L", ":L"}, "I1:Invalid numeric expression (a1)"},
        {{"GOTO @S3@"}, "I1:Label @S3@ resolved to a blank string. Labels cannot be blank."},
        {{"GOTO @S3"}, "I1:Invalid label specified. Invalid variable specification."},
        {{"SET S1 = x", "SET N1 = @S1@1"},
         "I2:Invalid value specified for SET command Invalid numeric expression in x1"},
        {{"SET S1 = \"x@@S1@@\"", "GOTO @S1@"},
         "I2:Invalid label specified. Variable substitution does not end (a string variable "
         "refers to itself)."},
        // A bad reference outside SET leaves without a line number, as do the actions' failures.
        {{"GOTO @X1@"},
         "L:Invalid label specified. Invalid variable reference (X1). Must use N or S as the "
         "variable type, e.g. N2 or S1."},
        {{"EXECUTE_LAUNCHER @N6@"}, "L: Variable number is invalid (6)"},
        {{"LAUNCH \"C:\\My Files\\jvm 0"},
         "L:Expected ending quote in \"C:\\My Files\\jvm 0:  Invalid jvm file name specified in "
         "LAUNCH."},
    };
    for (const Case& c : cases) {
        scriptVariables = ScriptVariables();
        EXPECT_EQ(run(c.lines), c.outcome) << c.lines.back();
    }
}

TEST_F(Interpreter, VariablesAndActionsStayAsTheyWereAtTheFailure) {
    actions.launchResults = {5};
    EXPECT_EQ(run({"SET N1 = 3", "EXECUTE_LAUNCHER 1", "GOTO MISSING", "SET N1 = 4"}),
              "I3:Label not found (MISSING)");
    EXPECT_EQ(scriptVariables.numeric(1), 3);
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"EXECUTE_LAUNCHER 1"}));
}

TEST_F(Interpreter, StandardActionsWithoutAPayload) {
    // The launcher's own actions with an empty file index: nothing is found, verified, installed
    // or started, and nothing reports success.
    struct Case {
        const char* line;
        const char* outcome;
        int32_t n1;
    };
    const Case cases[] = {
        {"FIND_JVM 0 0", "result 0", 0},
        {"VERIFY 1 1 3", "L:Cannot verify jvm file at index 3 because it does not exist.", 7},
        {"INSTALL_JVM 1", "L:No JVM installer was included in the launcher.", 0},
        // Without a launch script or embedded files there is nothing to start.
        {"LAUNCH jvm 0", "result -1", 7},
        {"ILAUNCH 1 0", "result -1", 7},
        {"EXECUTE_LAUNCHER 0", "result 0", 7},
    };
    for (const Case& c : cases) {
        scriptVariables.setNumeric(1, 7);
        EXPECT_EQ(run({c.line}, &launcherActions()), c.outcome) << c.line;
        EXPECT_EQ(scriptVariables.numeric(1), c.n1) << c.line;
    }
}

TEST_F(Interpreter, LaunchOfAnEmptyFileNameIsAnEmptyExpression) {
    EXPECT_EQ(run({"SET S1 = \"\"", "LAUNCH \"\" 0"}),
              "I2:Invalid jvm file name specified in LAUNCH. Empty expression.");
    EXPECT_EQ(scriptVariables.string(1), "") << "SET still clears a variable with \"\"";
    EXPECT_TRUE(actions.calls.empty());
}

TEST_F(Interpreter, FindJvmWithoutUiFindingNothingHidesTheHost) {
    scriptVariables.setNumeric(1, 7);
    scriptVariables.setString(1, "old");
    EXPECT_EQ(run({"FIND_JVM 0 0"}, &launcherActions()), "result 0");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide:0"}));
    EXPECT_EQ(scriptVariables.numeric(1), 0);
    EXPECT_EQ(scriptVariables.string(1), "");
}

TEST_F(Interpreter, InitializeUiShowsTheFirstStatusLineAndTheHost) {
    EXPECT_EQ(run({"INITIALIZE_UI"}), "result 0");
    EXPECT_EQ(
        host.calls,
        (std::vector<std::string>{
            "status:" + formatStringId(StringId::StatusInitializing, {LString("Setup")}).str(),
            "show"}));

    host.calls.clear();
    setSilent(true);
    EXPECT_EQ(run({"INITIALIZE_UI"}), "result 0");
    EXPECT_EQ(host.calls, (std::vector<std::string>{"hide:0"}));
}

TEST_F(Interpreter, FindLabelIsCalledByName) {
    TagDocument document;
    for (const char* line : {":FIRST", "GOTO LAST", ":MIDDLE x", ":LAST"}) {
        document.addValue("INSTRUCTIONS", line);
    }
    InstructionInterpreter interpreter(document, actions);
    EXPECT_EQ(interpreter.findLabel("FIRST"), 0);
    EXPECT_EQ(interpreter.findLabel("LAST"), 3);
    scriptVariables.setString(2, "FIRST");
    EXPECT_EQ(interpreter.findLabel("@S2@"), 0);
    try {
        interpreter.findLabel("MIDDLE");
        ADD_FAILURE() << "a label line with trailing text was found";
    } catch (const InstructionsException& e) {
        EXPECT_EQ(e.message().str(), "Label not found (MIDDLE)");
        EXPECT_EQ(e.line(), 1);
    }
}

}  // namespace

namespace {

TEST_F(Interpreter, ExitEndsTheScriptWithItsCodeAfterShowingItsText) {
    const std::string s37 = loadString(StringId::NotAJavaProgram).str();
    struct Case {
        std::vector<std::string> lines;
        const char* outcome;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{"LAUNCH a 0", "EXIT 3", "LAUNCH b 0"}, "result 3", {}},
        {{"EXIT -2 Java 17 or newer is needed:  get it from example.com"},
         "result -2",
         {"Java 17 or newer is needed:  get it from example.com"}},
        {{"EXIT 2147483647 \"  a \"\"quoted\"\" text \" and words after it"},
         "result 2147483647",
         {"  a \"quoted\" text "}},
        {{"SET S1 = C:\\jdk", "SET N2 = 17", "EXIT 4 @S1@ is not Java @N2@ or newer"},
         "result 4",
         {"C:\\jdk is not Java 17 or newer"}},
        {{"EXIT 4 write to help@@example.com"}, "result 4", {"write to help@example.com"}},
        {{"EXIT 5 #37"}, "result 5", {s37}},
        {{"EXIT 5 \"#37\""}, "result 5", {s37}},
        // Only "#" and digits name a text.
        {{"EXIT 6 #37 please"}, "result 6", {"#37 please"}},
        {{"LAUNCH a 0", "EXIT 0 \"\""}, "result 0", {}},
        {{"SET N1 = 7", "EXIT @N1@"}, "result 7", {}},
        {{"JMP0 0 END", "EXIT 1", ":END", "EXIT 9 done"}, "result 9", {"done"}},
        // Bad input: a script error with the line.
        {{"SET N1 = 1", "EXIT"},
         "I2:The first argument to EXIT should be the exit code of the launcher.",
         {}},
        {{"EXIT three"}, "I1:Invalid numeric expression (three)", {}},
        {{"EXIT 2147483648"}, "I1:Invalid numeric expression (2147483648)", {}},
        {{"EXIT -2147483649 text"}, "I1:Invalid numeric expression (-2147483649)", {}},
        {{"EXIT 3 #999"}, "I1:EXIT names the text #999, which the launcher does not have.", {}},
        {{"EXIT 3 #0"}, "I1:EXIT names the text #0, which the launcher does not have.", {}},
        {{"EXIT 3 \"unclosed"},
         "I1:Invalid text specified for EXIT. Expected double quote to end argument near 1",
         {}},
        {{"EXIT 3 mail me@example.com"},
         "I1:Invalid text specified for EXIT. Invalid variable specification.",
         {}},
    };
    for (const Case& c : cases) {
        scriptVariables = ScriptVariables();
        actions.calls.clear();
        actions.launchResults = {1, 2};
        host.calls.clear();
        EXPECT_EQ(run(c.lines), c.outcome) << c.lines.back();
        std::vector<std::string> messages;
        for (const std::string& call : host.calls) {
            if (call.rfind("message:", 0) == 0) messages.push_back(call.substr(8));
        }
        EXPECT_EQ(messages, c.messages) << c.lines.back();
    }
    // Nothing after EXIT runs.
    actions.calls.clear();
    actions.launchResults = {1, 2};
    EXPECT_EQ(run({"LAUNCH a 0", "EXIT 3", "LAUNCH b 0"}), "result 3");
    EXPECT_EQ(actions.calls, (std::vector<std::string>{"LAUNCH [a] 0"}));
}

}  // namespace

// A check reads every line, taken jumps or not, and runs nothing: each problem is one message.
TEST_F(Interpreter, CheckReportsUnknownCommandsBadArgumentsAndMissingLabelsWithoutRunning) {
    struct Case {
        std::vector<std::string> lines;
        std::vector<std::string> errors;  // the start of each message
    };
    const std::vector<Case> cases = {
        {kFindAndLaunch, {}},
        {{"FIND_JVM 1 1", "FROB 1", "GOTO NOWHERE", ":HERE", "JMP0 1 HERE"},
         {"Invalid command", "Label"}},
        {{"SET N1 = abc", "JMP0 @N1@", "GOTO @S1@"}, {"Invalid value", "JMP0 requires"}},
    };
    for (const Case& c : cases) {
        TagDocument document;
        for (const std::string& line : c.lines) document.addValue("INSTRUCTIONS", line.c_str());
        DocumentProblems problems;
        checkInstructions(document, problems);
        std::vector<std::string> errors;
        for (const DocumentProblem& p : problems.all())
            if (!p.warning) errors.push_back(p.message.str());
        ASSERT_EQ(errors.size(), c.errors.size()) << c.lines[0];
        for (size_t i = 0; i < errors.size(); ++i)
            EXPECT_EQ(errors[i].rfind(c.errors[i], 0), 0u) << errors[i];
    }
    EXPECT_TRUE(actions.calls.empty());
}
