// The script commands that start programs: LAUNCH and ILAUNCH start the wizard with a JVM and
// wait for it, EXECUTE_LAUNCHER starts an embedded launcher detached.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "launch/launch_script.h"

namespace wiz {

// LAUNCH: starts the wizard of `script` (the launcher's launch script; null when it carries
// none) with the JVM described by the JVM file `jvmFile`; the progress window stays visible for
// `seconds` once the launch has begun (0 hides it at once). Returns the wizard's exit code, or -1
// without a launch script. The wizard's captured error output becomes the exit message.
int launchWithJvmFile(LaunchScript* script, const LString& jvmFile, int16_t seconds);

// ILAUNCH: the same with the embedded JVM descriptor whose file-index id is `fileId`; -1 (and a
// log line) when the launch script or that descriptor is missing.
int launchWithEmbeddedJvm(LaunchScript* script, int32_t fileId, int16_t seconds);

// EXECUTE_LAUNCHER: extracts the embedded launcher at file-index position `position` into a
// directory that outlives this launcher and starts it in a console of its own with "-cv:orig",
// this launcher's path and this launcher's arguments, without waiting for it.
void executeEmbeddedLauncher(int32_t position);

}  // namespace wiz
