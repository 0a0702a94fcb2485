// The run sequence shared by the console and the windowed host: the launch flow inside a
// clean-up scope, then the exit-message rule.
#pragma once

#include <cstdint>

#include "core/arguments.h"
#include "services/host.h"

namespace wiz {

// How a host shows the exit message of runLaunch.
enum class ExitMessageRoute { HostShowMessage, Facade };

// `beforeExitMessage` runs after the launch (the windowed host stops its timers there).
int runLaunch(LauncherHost& host, const ArgumentList& args, ExitMessageRoute route,
              void (*beforeExitMessage)() = nullptr);
// The exit-message rule of runLaunch: a non-empty exit message is shown after a non-zero result,
// except for the result 1000 with the launcher style byte 0 or 2.
bool showsExitMessage(int result, int32_t style);

}  // namespace wiz
