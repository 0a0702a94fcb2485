#include "script/interpreter.h"

#include <string>

#include "base/exceptions.h"
#include "base/text_quote.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "tagdoc/text.h"

namespace wiz {

namespace {
const char* const kInstructionsTag = "INSTRUCTIONS";
}  // namespace

// InstructionInterpreter

const InstructionInterpreter::Command InstructionInterpreter::commands[] = {
    {"INITIALIZE_UI", &InstructionInterpreter::initializeUi},
    {"FIND_JVM", &InstructionInterpreter::findJvm},
    {"VERIFY", &InstructionInterpreter::verify},
    {"INSTALL_JVM", &InstructionInterpreter::installJvm},
    {"LAUNCH", &InstructionInterpreter::launch},
    {"ILAUNCH", &InstructionInterpreter::launchEmbedded},
    {"EXECUTE_LAUNCHER", &InstructionInterpreter::executeLauncher},
    {"SET", &InstructionInterpreter::set},
    {"GOTO", &InstructionInterpreter::gotoLabel},
    {"JMP0", &InstructionInterpreter::jumpIfZero},
    {"EXIT", &InstructionInterpreter::exitScript},
};

InstructionInterpreter::InstructionInterpreter(const TagDocument& document, ScriptActions& actions)
    : document_(document), actions_(actions) {}

int InstructionInterpreter::execute() {
    const int32_t count = document_.valueCount(kInstructionsTag);
    int result = 0;
    currentLine_ = 0;
    ended_ = false;
    uint32_t steps = 0;
    while (!ended_ && currentLine_ < count) {
        if (stepLimit_ != 0 && steps++ == stepLimit_) {
            instructionError("The script did not end within " +
                             LString(std::to_string(stepLimit_)) + " lines.");
        }
        runLine(document_.getValue(kInstructionsTag, currentLine_), result);
        // After a jump this continues with the line after the label line.
        ++currentLine_;
    }
    return result;
}

void InstructionInterpreter::runLine(const LString& line, int& result) {
    LString::size_type position = 0;
    const LString command = nextWord(line, position);
    if (command.empty()) instructionError("No command specified.");
    if (command[0] == ':' || command == "//") return;
    for (const Command& c : commands) {
        if (command == c.name) {
            (this->*c.handler)(line, position, result);
            return;
        }
    }
    instructionError("Invalid command (" + quoteForMessage(command) + "). ");
}

void InstructionInterpreter::check(DocumentProblems& problems) {
    struct CheckingScope {
        bool& flag;
        ~CheckingScope() { flag = false; }
    } scope{checking_};
    checking_ = true;
    const int32_t count = document_.valueCount(kInstructionsTag);
    int result = 0;
    for (currentLine_ = 0; currentLine_ < count; ++currentLine_) {
        const int32_t line = document_.valueLine(kInstructionsTag, currentLine_);
        try {
            runLine(document_.getValue(kInstructionsTag, currentLine_), result);
        } catch (const InstructionsException& e) {
            problems.error(line, e.message());
        } catch (const LauncherException& e) {
            problems.error(line, e.message());
        }
    }
}

void checkInstructions(const TagDocument& document, DocumentProblems& problems) {
    // Checking runs no action.
    class NoActions : public ScriptActions {
        void findJvm(bool, bool) override {}
        void verifyJvm(bool, bool, int32_t) override {}
        void installJvm(int32_t) override {}
        int launchWithJvmFile(const LString&, int16_t) override { return 0; }
        int launchWithEmbeddedJvm(int32_t, int16_t) override { return 0; }
        void executeEmbeddedLauncher(int32_t) override {}
    } actions;
    if (!document.hasTag(kInstructionsTag)) {
        problems.warning(0, "no INSTRUCTIONS block: the launcher would do nothing");
        return;
    }
    InstructionInterpreter(document, actions).check(problems);
}

int32_t InstructionInterpreter::findLabel(const LString& name) {
    LString target = ":" + name;
    substituteVariables(target, "Invalid label specified.");
    // A label held in a variable is known only when the script runs.
    if (checking_ && holdsReference(target)) return currentLine_;
    if (target == ":") {
        instructionError("Label " + quoteForMessage(name) +
                         " resolved to a blank string. Labels cannot be blank.");
    }
    const int32_t count = document_.valueCount(kInstructionsTag);
    for (int32_t i = 0; i < count; ++i) {
        if (document_.getValue(kInstructionsTag, i) == target) return i;
    }
    instructionError("Label not found (" + quoteForMessage(name) + ")");
}

LString InstructionInterpreter::requiredWord(const LString& line, LString::size_type& position,
                                             const char* missingMessage) {
    LString word = nextWord(line, position);
    if (word.empty()) instructionError(missingMessage);
    return word;
}

bool InstructionInterpreter::requiredBoolean(const LString& line, LString::size_type& position,
                                             const char* missingMessage) {
    return readBoolean(requiredWord(line, position, missingMessage), LString());
}

int32_t InstructionInterpreter::requiredInteger(const LString& line, LString::size_type& position,
                                                const char* missingMessage) {
    return readInteger(requiredWord(line, position, missingMessage), LString());
}

int16_t InstructionInterpreter::requiredShort(const LString& line, LString::size_type& position,
                                              const char* missingMessage) {
    return readShort(requiredWord(line, position, missingMessage), LString());
}

void InstructionInterpreter::initializeUi(const LString&, LString::size_type&, int&) {
    if (checking_) return;
    uiSetStatusType(0);
    uiSetStatusLine2(0, LString());
    uiShow();
}

void InstructionInterpreter::findJvm(const LString& line, LString::size_type& position, int&) {
    const bool showUi = requiredBoolean(
        line, position,
        "The first argument to FIND_JVM should be a 1 if the UI should be displayed "
        "or a 0 if the UI should be suppressed.");
    const bool allowPick =
        requiredBoolean(line, position,
                        "The second argument to FIND_JVM should be a 1 if a find failure message "
                        "should be displayed in a UI or 0 if no message should be displayed.");
    actions_.findJvm(showUi, allowPick);
}

void InstructionInterpreter::verify(const LString& line, LString::size_type& position, int&) {
    const bool showUi =
        requiredBoolean(line, position,
                        "The first argument to VERIFY should be a 1 if the UI should be displayed "
                        "or a 0 if the UI should be suppressed.");
    const bool showFailMessage =
        requiredBoolean(line, position,
                        "The second argument to VERIFY should be a 1 if a find failure message "
                        "should be displayed in a UI or 0 if no message should be displayed.");
    const int32_t fileId =
        requiredInteger(line, position,
                        "The third argument to VERIFY should be the file index number of the jvm "
                        "file.");
    actions_.verifyJvm(showUi, showFailMessage, fileId);
}

void InstructionInterpreter::installJvm(const LString& line, LString::size_type& position, int&) {
    static const char* const kModeMessage =
        "The first argument to INSTALL_JVM should be a 0, 1 or 2.";
    const int32_t mode = requiredInteger(line, position, kModeMessage);
    if (mode < 0 || mode > 2) instructionError(kModeMessage);
    actions_.installJvm(mode);
}

void InstructionInterpreter::launch(const LString& line, LString::size_type& position,
                                    int& result) {
    // The file name is never missing: an empty one goes on to the launch, which reports it.
    const LString jvmFile =
        readFileArgument(line, position, "Invalid jvm file name specified in LAUNCH.");
    const int16_t seconds =
        requiredShort(line, position,
                      "The second argument to LAUNCH should be the number of seconds to display "
                      "the UI during the launch.");
    result = actions_.launchWithJvmFile(jvmFile, seconds);
}

void InstructionInterpreter::launchEmbedded(const LString& line, LString::size_type& position,
                                            int& result) {
    const int32_t fileId =
        requiredInteger(line, position,
                        "The first argument to ILAUNCH should be the file index number of the jvm "
                        "file.");
    const int16_t seconds =
        requiredShort(line, position,
                      "The second argument to ILAUNCH should be the number of seconds to display "
                      "the UI during the launch.");
    result = actions_.launchWithEmbeddedJvm(fileId, seconds);
}

void InstructionInterpreter::executeLauncher(const LString& line, LString::size_type& position,
                                             int&) {
    // No message of its own: an empty position fails as an empty expression.
    const int32_t entryPosition = readInteger(nextWord(line, position), LString());
    actions_.executeEmbeddedLauncher(entryPosition);
}

void InstructionInterpreter::set(const LString& line, LString::size_type& position, int&) {
    executeSet(line, position);
}

void InstructionInterpreter::gotoLabel(const LString& line, LString::size_type& position, int&) {
    const int32_t target = findLabel(
        requiredWord(line, position, "The GOTO command requires a label as its only argument."));
    if (!checking_) currentLine_ = target;
}

void InstructionInterpreter::jumpIfZero(const LString& line, LString::size_type& position, int&) {
    const int32_t value = readInteger(nextWord(line, position), LString());
    // The label is required even when the jump is not taken, but only looked up when it is (a
    // check looks it up whatever the value).
    const LString label =
        requiredWord(line, position, "JMP0 requires a jump label as its second argument.");
    if (checking_) {
        findLabel(label);
    } else if (value == 0) {
        currentLine_ = findLabel(label);
    }
}

}  // namespace wiz

namespace wiz {

LString InstructionInterpreter::exitText(const LString& line, LString::size_type position) const {
    static const char* const kContext = "Invalid text specified for EXIT.";
    LString text = line.substr(position < line.length() ? position : line.length());
    trim(text);
    if (!text.empty() && text[0] == '"') {
        LString::size_type cursor = 1;
        try {
            text = nextArgument(text, cursor, true);
        } catch (const LauncherException& e) {
            instructionError(LString(kContext) + " " + e.message());
        }
    }
    if (text.empty()) return text;
    // "#N": the launcher's string N, in the user's language.
    if (text.length() > 1 && text[0] == '#' &&
        text.find_first_not_of("0123456789", 1) == LString::npos) {
        int32_t id = 0;
        const LString digits = text.substr(1);
        const LString message = readLongNumber(digits, id) && id > 0
                                    ? loadString(static_cast<StringId>(id))
                                    : LString();
        if (message.empty()) {
            instructionError("EXIT names the text " + quoteForMessage(text) +
                             ", which the launcher does not have.");
        }
        return message;
    }
    substituteVariables(text, kContext);
    return text;
}

void InstructionInterpreter::exitScript(const LString& line, LString::size_type& position,
                                        int& result) {
    const int32_t code = requiredInteger(
        line, position, "The first argument to EXIT should be the exit code of the launcher.");
    const LString text = exitText(line, position);
    if (!text.empty()) {
        writeLog(text);
        uiShowMessage(text);
    }
    writeLog("EXIT in line " + numberToString(currentLine_ + 1) + " ends the script with " +
             numberToString(code));
    result = code;
    ended_ = true;
}

}  // namespace wiz
