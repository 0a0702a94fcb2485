#include "launch/launch.h"

#include "archive/embedded_files.h"
#include "launch/child_process.h"
#include "launch/command_line_quote.h"
#include "launch/jvm_tags.h"
#include "platform/fs.h"
#include "services/host.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/tag_document.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

// Steps 3 on of LAUNCH and ILAUNCH: the status, the window, the launch and the exit message.
int launchWizard(LaunchScript& script, JvmTags& jvm, int16_t seconds) {
    if (seconds > 0) {
        uiSetStatusType(3);
        uiSetStatusLine2(0, LString());
    }
    uiHide(seconds);
    const RunSettings& settings = runSettings();
    const int result = script.launch(jvm, &settings.passThroughArgs, settings.displayConsole);
    hostState().exitMessage = script.stderrText;
    return result;
}

}  // namespace

int launchWithJvmFile(LaunchScript* script, const LString& jvmFile, int16_t seconds) {
    if (!script) return -1;
    TagDocument document;
    document.loadFile(jvmFile);
    JvmTags jvm(document);
    return launchWizard(*script, jvm, seconds);
}

int launchWithEmbeddedJvm(LaunchScript* script, int32_t fileId, int16_t seconds) {
    EmbeddedFileEntry* entry = embeddedFiles().findById(static_cast<uint32_t>(fileId));
    if (!script || !entry || entry->type != kEntryJvmDescriptor || !entry->document) {
        writeLog(
            "Unable to launch the internal launch script with the internal JVM file. Either the "
            "launch script or the JVM file is missing from the launcher.",
            kLogError);
        return -1;
    }
    JvmTags jvm(*entry->document);
    return launchWizard(*script, jvm, seconds);
}

void executeEmbeddedLauncher(int32_t position) {
    const EmbeddedFileEntry* entry = embeddedFiles().entryAt(position);
    if (!entry || entry->type != kEntryEmbeddedLauncher) {
        writeLog("Unable to execute the embedded launcher.", kLogError);
        return;
    }
    // The started launcher works on behalf of this one and removes itself and this directory.
    const LString directory = createLastingTempDirectory();
    const LString path = entry->extractTo(directory);
    // When this fails, starting the launcher fails, and that is reported.
    (void)makeExecutable(path);

    const RunSettings& settings = runSettings();
    LString command = quoteArgument(path);
    command += " -cv:orig";
    appendQuotedArgument(command, settings.launcherPath);
    for (int32_t i = 0; i < settings.savedArguments.count(); ++i) {
        appendQuotedArgument(command, settings.savedArguments.at(i));
    }
    RunOptions options;
    options.workingDirectory = directory;
    options.showConsole = true;
    options.newConsole = true;
    options.wait = false;
    runCommand(command, options);
}

}  // namespace wiz
