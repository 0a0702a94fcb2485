// Starting the wizard and embedded launchers is not part of this build yet. Each entry point
// fails with a message that names the missing capability, so a script never receives a launch
// result as if the wizard had run.
#include "launch/launch.h"

#include "base/exceptions.h"

namespace wiz {

namespace {
[[noreturn]] void unavailable(const char* capability) {
    throw LauncherException(LString(capability) + " is not available in this build.");
}
}  // namespace

int launchWithJvmFile(const LString&, int16_t) { unavailable("Launching the wizard"); }

int launchWithEmbeddedJvm(int32_t, int16_t) { unavailable("Launching the wizard"); }

void executeEmbeddedLauncher(int32_t) { unavailable("Starting an embedded launcher"); }

}  // namespace wiz
