// The instruction interpreter: runs the INSTRUCTIONS block of an instruction-script document.
//
// Each line is a label (":NAME"), a comment (first word "//") or a command followed by its
// arguments. Commands: INITIALIZE_UI, FIND_JVM, VERIFY, INSTALL_JVM, LAUNCH, ILAUNCH,
// EXECUTE_LAUNCHER, SET, GOTO, JMP0, EXIT.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "script/variables.h"
#include "tagdoc/document_check.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// What the commands that find, verify, install and launch JVMs call: the JVM actions and the
// launch entry points, wired up by the launcher (core/script_actions.h); tests substitute a
// recording implementation.
class ScriptActions {
public:
    virtual ~ScriptActions() = default;
    virtual void findJvm(bool showUi, bool allowPick) = 0;
    virtual void verifyJvm(bool showUi, bool showFailMessage, int32_t fileId) = 0;
    virtual void installJvm(int32_t mode) = 0;
    virtual int launchWithJvmFile(const LString& jvmFile, int16_t seconds) = 0;
    virtual int launchWithEmbeddedJvm(int32_t fileId, int16_t seconds) = 0;
    virtual void executeEmbeddedLauncher(int32_t position) = 0;
};

class InstructionInterpreter : public ScriptEvaluator {
public:
    // The document and the actions are not owned and outlive the interpreter.
    InstructionInterpreter(const TagDocument& document, ScriptActions& actions);
    // Runs the script; returns the code of an EXIT, else the result of the last LAUNCH/ILAUNCH,
    // or 0. Script errors are thrown as InstructionsException; LauncherException from actions
    // passes through.
    int execute();
    // Reads every line once, in order, the way execute would run it, without running anything:
    // commands, the shape of their arguments, literal numbers and flags, variable names and the
    // labels that jumps name (a label held in a variable is not known before the run). Each
    // failure is recorded on the document line it stands on; the script's variables stay as
    // they are.
    void check(DocumentProblems& problems);
    // The index of the first line that equals ":" + name (references in name substituted).
    int32_t findLabel(const LString& name);
    // Bounds each run of execute: once it has run this many lines (labels and comments count),
    // the next line fails as a script error. 0, the default, sets no bound: a script that
    // loops with GOTO runs until it jumps out. Callers that run scripts they cannot trust to end
    // (the fuzzer) set one.
    void setStepLimit(uint32_t lines) { stepLimit_ = lines; }

private:
    using Handler = void (InstructionInterpreter::*)(const LString& line,
                                                     LString::size_type& position, int& result);
    struct Command {
        const char* name;
        Handler handler;
    };
    static const Command commands[];

    // Runs (or, while checking, reads) one line.
    void runLine(const LString& line, int& result);

    // The next word of the line; a script error with `missingMessage` when there is none.
    LString requiredWord(const LString& line, LString::size_type& position,
                         const char* missingMessage);
    // The next word evaluated as a boolean, integer or 16-bit argument (empty context).
    bool requiredBoolean(const LString& line, LString::size_type& position,
                         const char* missingMessage);
    int32_t requiredInteger(const LString& line, LString::size_type& position,
                            const char* missingMessage);
    int16_t requiredShort(const LString& line, LString::size_type& position,
                          const char* missingMessage);

    void initializeUi(const LString& line, LString::size_type& position, int& result);
    void findJvm(const LString& line, LString::size_type& position, int& result);
    void verify(const LString& line, LString::size_type& position, int& result);
    void installJvm(const LString& line, LString::size_type& position, int& result);
    void launch(const LString& line, LString::size_type& position, int& result);
    void launchEmbedded(const LString& line, LString::size_type& position, int& result);
    void executeLauncher(const LString& line, LString::size_type& position, int& result);
    void set(const LString& line, LString::size_type& position, int& result);
    void gotoLabel(const LString& line, LString::size_type& position, int& result);
    void jumpIfZero(const LString& line, LString::size_type& position, int& result);
    // EXIT code [text]: shows and logs the text, then ends the script with the code.
    void exitScript(const LString& line, LString::size_type& position, int& result);
    // The text of EXIT: the rest of the line, a text in double quotes without them; "#N" is
    // string N of the launcher's texts, anything else has its references substituted.
    LString exitText(const LString& line, LString::size_type position) const;

    const TagDocument& document_;
    ScriptActions& actions_;
    uint32_t stepLimit_ = 0;
    // Set by EXIT: the script ends after the line being executed.
    bool ended_ = false;
};

// Checks the INSTRUCTIONS of an instruction-script document (see InstructionInterpreter::check);
// a document without them is worth a warning, as its launcher would do nothing.
void checkInstructions(const TagDocument& document, DocumentProblems& problems);

}  // namespace wiz
