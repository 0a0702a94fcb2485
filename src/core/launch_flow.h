// The top of the launch: records the arguments, walks the options left to right and ends in the
// default run of the instruction script, a single action of an input document, or nothing more
// (an option such as "-cv:version" did the whole job).
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// `arguments` are those after the program path; `path` is the running launcher file. A
// LauncherException from the walk is shown, logged as an error and turns into -1.
int launchFlow(const StringList& arguments, const LString& path);
// The option walk and the actions; called by launchFlow.
int processOptions(const StringList& arguments);
// Runs the loaded instruction script; -1 when there is none. Script errors come back as
// LauncherException "Error in instructions. <message> Line number (<n>)".
int runInstructions();

}  // namespace wiz
