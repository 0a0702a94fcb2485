// The run's settings: what the command line and the input documents record, read across
// subsystems. Written by the option walk on the launching thread before anything reads them.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

struct RunSettings {
    LString launcherPath;         // the running launcher file
    LString origLauncherPath;     // the same, or the value of -cv:orig
    bool origGiven = false;       // -cv:orig was given: the launcher removes its own file
    StringList savedArguments;    // the arguments after the program path
    StringList passThroughArgs;   // arguments handed on to the wizard
    bool displayConsole = false;  // -cv:javaconsole, -accessibility, -console
    LString javaHomeOverride;     // -cv:javahome
    LString classpathPrepend;     // -cp:p
    LString classpathAppend;      // -cp:a
};

// The process-wide settings (tests start from a fresh value: runSettings() = RunSettings()).
RunSettings& runSettings();

// origLauncherPath cut before its last slash or backslash; empty when it has neither.
LString origLauncherDirectory();

}  // namespace wiz
