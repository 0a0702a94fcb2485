#include "ui/run.h"

#include <new>

#include "archive/embedded_files.h"
#include "core/launch_flow.h"
#include "platform/process_info.h"
#include "services/host.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

// Removes every registered temporary directory and file when the launch is over, however it
// ends. A failing removal must not turn a finished launch into a failure.
class CleanupScope {
public:
    CleanupScope() = default;
    CleanupScope(const CleanupScope&) = delete;
    CleanupScope& operator=(const CleanupScope&) = delete;
    ~CleanupScope() {
        try {
            removeTemporaryFiles();
        } catch (const std::bad_alloc&) {
            // What could be removed is gone; the rest is left to the next start.
            reportOutOfMemory();
        } catch (...) {
        }
    }
};

}  // namespace

// The wizard's captured error output is worth showing only for a failed launch. The result
// 1000 is an ordinary ending for launchers of style 0 and 2.
bool showsExitMessage(int result, int32_t style) {
    if (result == 0 || hostState().exitMessage.empty()) return false;
    return !(result == 1000 && (style == 0 || style == 2));
}

int runLaunch(LauncherHost& host, const ArgumentList& args, ExitMessageRoute route,
              void (*beforeExitMessage)()) {
    if (args.count() <= 0) return -1;

    const LString path = modulePath();
    StringList arguments;
    for (int i = 1; i < args.count(); ++i) arguments.append(args.at(i));

    CleanupScope cleanup;
    const int result = launchFlow(arguments, path);
    if (beforeExitMessage) beforeExitMessage();
    const int32_t style = readLauncherStyle(path);
    if (showsExitMessage(result, style)) {
        if (route == ExitMessageRoute::HostShowMessage) {
            host.showMessage(hostState().exitMessage);
        } else {
            uiShowMessage(hostState().exitMessage);
        }
    }
    return result;
}

}  // namespace wiz
