// Every program the launcher starts runs through runCommand.
#pragma once

#include "base/lstring.h"

namespace wiz {

class ChildProcess {
public:
    // Buffers are not owned; captured text is appended to them.
    ChildProcess(const LString& commandLine, bool wait, const LString& workingDirectory,
                 LString* stdoutBuffer, LString* stderrBuffer);
    // Returns the child's exit code (0 for an uncaptured run that does not wait); failures of
    // the system calls are thrown as LauncherException.
    int runProcess(bool showConsole, bool capture, bool newConsole);

private:
    LString commandLine_;
    bool wait_;
    LString workingDirectory_;
    LString* stdout_;
    LString* stderr_;
};

int runCommand(const LString& commandLine, const LString& workingDirectory, bool showConsole,
               bool capture, bool wait, LString* stdoutBuffer, LString* stderrBuffer,
               bool newConsole);

}  // namespace wiz
