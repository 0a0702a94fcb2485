// POSIX has no progress window: a launcher started without "-console" reports on the console.
#include "ui/console_host.h"
#include "ui/windowed_host.h"

namespace wiz {

LauncherHost* createWindowedHost(ArgumentList& args) { return createConsoleHost(args); }

}  // namespace wiz
