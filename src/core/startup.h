// What the start-up needs from the operating system (core/startup_win32.cpp,
// core/startup_posix.cpp): the system family, the module handle and the argument list.
#pragma once

#include "core/arguments.h"

namespace wiz {

// True on the Windows 9x family (platform id 1 reported by GetVersionExA); false elsewhere.
bool detectWin9x();
// The module whose resources hold the strings and dialogs; null where there is none.
void* moduleHandle();
// Fills `args` with the process's arguments, argument 0 included; false when the command line
// cannot be split. `argc` and `argv` are the C runtime's: Windows ignores them and splits the
// system's own command line (the wide one, or on the 9x family the ANSI one with the launcher's
// tokenizer).
bool buildArgumentList(int argc, char** argv, ArgumentList& args);

}  // namespace wiz
