// POSIX: a running program's file can be unlinked, so the launcher removes its own file and
// then its directory (when empty) directly.
#include "platform/path.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/cleanup.h"

namespace wiz {

void scheduleLauncherRemoval() {
    const LString path = runSettings().launcherPath;
    const LString dir = parentDirectory(path);
    if (logState().debugEnabled) debugLog(LString("Launcher: Removing the launcher file ") + path);
    deleteEntry(path);
    if (!dir.empty()) deleteEntry(dir);
}

}  // namespace wiz
