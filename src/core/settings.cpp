#include "core/settings.h"

namespace wiz {

LString launcherPath;
LString origLauncherPath;
bool origGiven = false;
StringList savedArguments;
StringList passThroughArgs;
bool displayConsole = false;
LString javaHomeOverride;
LString classpathPrepend;
LString classpathAppend;
std::atomic<bool> cancelRequested{false};

LString origLauncherDirectory() {
    LString::size_type pos = origLauncherPath.find_last_of("/\\");
    return pos == LString::npos ? LString() : origLauncherPath.substr(0, pos);
}

}  // namespace wiz
