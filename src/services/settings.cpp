#include "services/settings.h"

namespace wiz {

RunSettings& runSettings() {
    static RunSettings settings;
    return settings;
}

LString origLauncherDirectory() {
    const LString& path = runSettings().origLauncherPath;
    LString::size_type pos = path.find_last_of("/\\");
    return pos == LString::npos ? LString() : path.substr(0, pos);
}

}  // namespace wiz
