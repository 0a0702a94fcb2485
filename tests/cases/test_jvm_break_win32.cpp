#include <windows.h>

#include "test_jvm_break.h"

namespace {

BOOL WINAPI onConsoleEvent(DWORD event) { return event == CTRL_BREAK_EVENT; }

}  // namespace

void ignoreCtrlBreak() { SetConsoleCtrlHandler(onConsoleEvent, TRUE); }
