// The host of a launcher started without "-console": the progress window on Windows
// (windowed_host_win32.cpp); on POSIX, which has no window system dependency, the console host
// (windowed_host_posix.cpp).
#pragma once

#include "core/arguments.h"
#include "services/host.h"

namespace wiz {

LauncherHost* createWindowedHost(ArgumentList& args);

}  // namespace wiz
