// POSIX start-up: the arguments are argv, the system counts as the NT family, and there are no
// resource modules.
#include "core/startup.h"

namespace wiz {

bool detectWin9x() { return false; }

void* moduleHandle() { return nullptr; }

bool buildArgumentList(int argc, char** argv, ArgumentList& args) {
    for (int i = 0; i < argc; ++i) args.append(argv[i]);
    return true;
}

}  // namespace wiz
