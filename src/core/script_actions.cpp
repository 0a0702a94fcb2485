#include "core/script_actions.h"

#include "core/file_index.h"
#include "jvm/jvm_actions.h"
#include "launch/launch.h"

namespace wiz {

namespace {

class LauncherActions : public ScriptActions {
public:
    void findJvm(bool showUi, bool allowPick) override {
        wiz::findJvm(fileIndex().jvmSearcher(), showUi, allowPick);
    }
    void verifyJvm(bool showUi, bool showFailMessage, int32_t fileId) override {
        verifyJvmInstruction(fileIndex().jvmSearcher(), showUi, showFailMessage, fileId);
    }
    void installJvm(int32_t mode) override { installEmbeddedJvm(mode); }
    int launchWithJvmFile(const LString& jvmFile, int16_t seconds) override {
        return wiz::launchWithJvmFile(fileIndex().launchScript(), jvmFile, seconds);
    }
    int launchWithEmbeddedJvm(int32_t fileId, int16_t seconds) override {
        return wiz::launchWithEmbeddedJvm(fileIndex().launchScript(), fileId, seconds);
    }
    void executeEmbeddedLauncher(int32_t position) override {
        wiz::executeEmbeddedLauncher(position);
    }
};

}  // namespace

ScriptActions& launcherActions() {
    static LauncherActions actions;
    return actions;
}

}  // namespace wiz
