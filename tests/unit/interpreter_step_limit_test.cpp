// The interpreter's step limit: a bound on the lines one run executes, for callers that run
// scripts which may loop for ever.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "script/interpreter.h"

using namespace wiz;

namespace {

// Counts the embedded launcher starts, the one action the scripts below take, and sets N1 to 1
// once `stopAfter` were made (0 before), so that a loop can end on it.
class CountingActions : public ScriptActions {
public:
    explicit CountingActions(int stop = 1 << 30) : stopAfter(stop) {
        scriptVariables = ScriptVariables();
    }
    ~CountingActions() override { scriptVariables = ScriptVariables(); }
    int starts = 0;
    int stopAfter;
    void findJvm(bool, bool) override {}
    void verifyJvm(bool, bool, int32_t) override {}
    void installJvm(int32_t) override {}
    int launchWithJvmFile(const LString&, int16_t) override { return 0; }
    int launchWithEmbeddedJvm(int32_t, int16_t) override { return 0; }
    void executeEmbeddedLauncher(int32_t) override {
        ++starts;
        scriptVariables.setNumeric(1, starts >= stopAfter ? 1 : 0);
    }
};

// Runs the lines with the limit; "result <n>" or "I<line>:<message>".
std::string run(const std::vector<const char*>& lines, uint32_t limit, CountingActions& actions) {
    TagDocument document;
    for (const char* line : lines) document.addValue("INSTRUCTIONS", line);
    InstructionInterpreter interpreter(document, actions);
    interpreter.setStepLimit(limit);
    try {
        return "result " + std::to_string(interpreter.execute());
    } catch (const InstructionsException& e) {
        return "I" + std::to_string(e.line()) + ":" + e.message().str();
    }
}

TEST(InterpreterStepLimit, StopsAnEndlessLoopAtTheLineThatWouldExceedIt) {
    struct Case {
        uint32_t limit;
        const char* outcome;
        int starts;
    };
    // The label runs once; after that each pass runs two lines (a jump goes on after the label).
    const Case cases[] = {
        {1, "I2:The script did not end within 1 lines.", 0},
        {3, "I2:The script did not end within 3 lines.", 1},
        {4, "I3:The script did not end within 4 lines.", 2},
        {300, "I3:The script did not end within 300 lines.", 150},
    };
    for (const Case& c : cases) {
        CountingActions actions;
        EXPECT_EQ(run({":LOOP", "EXECUTE_LAUNCHER 0", "GOTO LOOP"}, c.limit, actions), c.outcome)
            << c.limit;
        EXPECT_EQ(actions.starts, c.starts) << c.limit;
    }
}

TEST(InterpreterStepLimit, AScriptThatEndsWithinTheLimitIsNotDisturbed) {
    // Three lines run: the line skipped by the jump and the label jumped to do not count.
    const std::vector<const char*> lines = {"EXECUTE_LAUNCHER 0", "GOTO END", "EXECUTE_LAUNCHER 1",
                                            ":END", "// the last line"};
    CountingActions limited;
    EXPECT_EQ(run(lines, 3, limited), "result 0");
    EXPECT_EQ(limited.starts, 1);
    CountingActions tooTight;
    EXPECT_EQ(run(lines, 2, tooTight), "I5:The script did not end within 2 lines.");

    // No limit (the launcher's own setting): a loop runs as long as it takes to end.
    CountingActions unlimited(100000);
    EXPECT_EQ(run({":LOOP", "EXECUTE_LAUNCHER 0", "JMP0 @N1@ LOOP"}, 0, unlimited), "result 0");
    EXPECT_EQ(unlimited.starts, 100000);
}

}  // namespace
