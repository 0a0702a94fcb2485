#include "launch/child_process.h"

namespace wiz {

ChildProcess::ChildProcess(const LString& commandLine, bool wait, const LString& workingDirectory,
                           LString* stdoutBuffer, LString* stderrBuffer)
    : commandLine_(commandLine),
      wait_(wait),
      workingDirectory_(workingDirectory),
      stdout_(stdoutBuffer),
      stderr_(stderrBuffer) {}

// runProcess is implemented once per system (child_process_win32.cpp, child_process_posix.cpp).

int runCommand(const LString& commandLine, const LString& workingDirectory, bool showConsole,
               bool capture, bool wait, LString* stdoutBuffer, LString* stderrBuffer,
               bool newConsole) {
    ChildProcess child(commandLine, wait, workingDirectory, stdoutBuffer, stderrBuffer);
    return child.runProcess(showConsole, capture, newConsole);
}

}  // namespace wiz
