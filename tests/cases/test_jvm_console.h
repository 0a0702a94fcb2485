// wizjava's console events, its one system-dependent part (test_jvm_console_win32.cpp,
// test_jvm_console_posix.cpp). Nothing to do where there are no console events.
#pragma once

// From now on Ctrl+Break does not end the process, as it does not end a Java runtime (which
// prints a thread dump and goes on).
void ignoreCtrlBreak();
// From now on Ctrl+C ends the process with exit code `code`, instead of whatever the system's
// default handling gives.
void exitOnCtrlC(int code);
