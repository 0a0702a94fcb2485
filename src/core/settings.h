// Settings recorded from the command line and the input document, read across subsystems.
#pragma once

#include <atomic>

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

extern LString launcherPath;        // the running launcher file
extern LString origLauncherPath;    // the same, or the value of -cv:orig
extern bool origGiven;              // -cv:orig was given: the launcher removes its own file
extern StringList savedArguments;   // the arguments after the program path
extern StringList passThroughArgs;  // arguments handed on to the wizard
extern bool displayConsole;         // -cv:javaconsole, -accessibility, -console
extern LString javaHomeOverride;    // -cv:javahome
extern LString classpathPrepend;    // -cp:p
extern LString classpathAppend;     // -cp:a

// Set by the user-interface thread when the user closes the progress window; polled by long
// operations (extraction, drive walks, JVM actions) on the launch thread.
extern std::atomic<bool> cancelRequested;

// origLauncherPath cut before its last slash or backslash; empty when it has neither.
LString origLauncherDirectory();

}  // namespace wiz
