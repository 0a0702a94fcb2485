// wizjava's one system-dependent step (test_jvm_break_win32.cpp, test_jvm_break_posix.cpp).
#pragma once

// From now on Ctrl+Break does not end the process, as it does not end a Java runtime (which
// prints a thread dump and goes on). Nothing to do where there is no such event.
void ignoreCtrlBreak();
