// The instruction interpreter: runs the INSTRUCTIONS block of an instruction-script document.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class InstructionInterpreter {
public:
    // The document is not owned and outlives the interpreter.
    explicit InstructionInterpreter(const TagDocument& document);
    // Runs the script; returns the result of the last LAUNCH/ILAUNCH, or 0. Script errors are
    // thrown as InstructionsException; LauncherException from actions passes through.
    int execute();
    int32_t findLabel(const LString& name);
    [[noreturn]] void instructionError(const LString& message) const;

private:
    const TagDocument& document_;
    int32_t currentLine_ = 0;
};

}  // namespace wiz
