// Fuzz target: the instruction interpreter. The input is the body of an INSTRUCTIONS block (read
// through the tag document reader, as the launcher reads it). The JVM and launch actions are a
// harmless stand-in that answers through the script variables the way the real actions do, and a
// step limit ends the scripts that loop for ever (an endless GOTO loop is a legitimate script).
#include <cstdint>
#include <string>

#include "base/exceptions.h"
#include "fuzz_support.h"
#include "script/interpreter.h"
#include "script/variables.h"

namespace {

using wiz::LString;
using wiz::scriptVariables;

constexpr uint32_t kStepLimit = 2000;

// Answers every action without touching the system. The answers depend on the arguments only,
// so that each input runs the same way every time; a few arguments make an action fail as the
// real ones can.
class StandInActions : public wiz::ScriptActions {
public:
    void findJvm(bool showUi, bool allowPick) override {
        const bool found = showUi != allowPick;
        scriptVariables.setNumeric(1, found ? 1 : 0);
        scriptVariables.setString(1, found ? "/opt/jdk" : "");
        scriptVariables.setString(2, found ? "/opt/jdk/@S1@.jvm" : "");
    }
    void verifyJvm(bool, bool, int32_t fileId) override {
        if (fileId == 13) throw wiz::LauncherException("Cannot verify jvm file at index 13.");
        scriptVariables.setNumeric(1, fileId % 2);
        if (fileId % 2) scriptVariables.setString(1, "C:\\jdk");
    }
    void installJvm(int32_t mode) override {
        scriptVariables.setNumeric(1, mode == 1 ? 1 : 0);
        scriptVariables.setString(1, mode == 1 ? "@@installed@@" : "");
    }
    int launchWithJvmFile(const LString& jvmFile, int16_t seconds) override {
        if (jvmFile.empty()) return -1;
        return seconds + static_cast<int>(jvmFile.length());
    }
    int launchWithEmbeddedJvm(int32_t fileId, int16_t seconds) override {
        if (fileId < 0) throw wiz::LauncherException("CreateProcess failed  ==>  stand-in");
        return fileId - seconds;
    }
    void executeEmbeddedLauncher(int32_t) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string document =
        "INSTRUCTIONS:\n" + std::string(reinterpret_cast<const char*>(data), size) + "\n/:\n";
    wiz::TagDocument script;
    if (!wizfuzz::readDocument(document, script, "instructions.tag")) return 0;

    scriptVariables = wiz::ScriptVariables();
    StandInActions actions;
    wiz::InstructionInterpreter interpreter(script, actions);
    interpreter.setStepLimit(kStepLimit);
    try {
        (void)interpreter.execute();
    } catch (const wiz::InstructionsException& e) {
        // The line of a script error is one of the script's lines.
        const int32_t count = script.valueCount("INSTRUCTIONS");
        if (e.line() < 1 || e.line() > count) {
            wizfuzz::finding("script error at line " + std::to_string(e.line()) + " of " +
                             std::to_string(count));
        }
    } catch (const wiz::LauncherException&) {
    }
    scriptVariables = wiz::ScriptVariables();
    return 0;
}
