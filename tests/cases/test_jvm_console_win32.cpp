#include <windows.h>

#include "test_jvm_console.h"

namespace {

bool ignoringBreak = false;
bool exitingOnCtrlC = false;
int ctrlCExitCode = 0;

BOOL WINAPI onConsoleEvent(DWORD event) {
    if (event == CTRL_C_EVENT && exitingOnCtrlC) ExitProcess(static_cast<UINT>(ctrlCExitCode));
    return event == CTRL_BREAK_EVENT && ignoringBreak;
}

void watch() {
    static bool installed = false;
    if (!installed) installed = SetConsoleCtrlHandler(onConsoleEvent, TRUE) != FALSE;
}

}  // namespace

void ignoreCtrlBreak() {
    ignoringBreak = true;
    watch();
}

void exitOnCtrlC(int code) {
    ctrlCExitCode = code;
    exitingOnCtrlC = true;
    watch();
}
