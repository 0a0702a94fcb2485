#include "core/launch_flow.h"

#include <new>

#include "archive/extract.h"
#include "base/exceptions.h"
#include "core/file_index.h"
#include "jvm/jvm_actions.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "script/interpreter.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"
#include "wiz_version.h"

namespace wiz {

namespace {

// String ids of the texts this walk reports (English texts in the string table).

const char kVersion[] = WIZ_VERSION_TEXT;
const char kVerifyKeysMissing[] =
    "TO execute the VERIFY_JVM action, you must also provide values in the input file for "
    "VERIFY_JVM_FILE and VERIFY_JVM_HOME.";

// The state of one option walk.
struct Walk {
    int result = 0;
    bool runDefault = true;
};

// Shows and logs a failure that is no LauncherException; a further failure while doing so is not
// reported again.
void reportFailure(const char* text) {
    try {
        uiShowMessage(text);
        writeLog(text, kLogError);
    } catch (...) {
    }
}

// Loads the file index; a failure is reported behind string 16.
void loadIndex(bool withDocuments) {
    try {
        fileIndex().load(withDocuments);
    } catch (const LauncherException& e) {
        throw LauncherException(loadString(StringId::CannotLoadIndex) + e.message());
    }
}

// Opens and reads the input document and takes its LOGFILE; failures are shown behind string 8
// and raised again with their own message.
void readInputDocument(const LString& value, TagDocument& document) {
    try {
        LString path = value;
        if (path.empty()) throw LauncherException(loadString(StringId::CannotOpenInput));
        if (path[0] == '"') path.erase(0, 1);
        if (!path.empty() && path[path.length() - 1] == '"') path.erase(path.length() - 1, 1);
        FilePtr file = openFile(path, "r");
        if (!file) throw LauncherException(loadString(StringId::CannotOpenInput));
        writeLog("Loading input file " + value);
        document.read(file.get(), value, 0, -1);
        logState().filePath = document.getValue("LOGFILE");
    } catch (const LauncherException& e) {
        uiShowMessage(loadString(StringId::CouldNotLoadInput) + e.message());
        throw LauncherException(e.message());
    }
}

// "-cv:in": reads the document, applies it to the file index and runs or selects its action.
void runInputDocument(const LString& value, Walk& walk) {
    TagDocument document;
    readInputDocument(value, document);

    try {
        fileIndex().applyInputDocument(document);
    } catch (const LauncherException& e) {
        uiShowMessage(e.message());
        throw LauncherException(e.message());
    }
    loadIndex(true);

    const bool showProgress = document.getBool("SHOW_PROGRESS", false);
    const bool showFailMsg = document.getBool("SHOW_FAIL_MSG", false);
    if (!showProgress && !showFailMsg) {
        uiHide(0);
    } else {
        uiShow();
        if (showProgress) uiSetProgress(0);
    }

    const LString action = document.getValue("ACTION");
    if (action == "RUN_INSTRUCTIONS") {
        walk.runDefault = true;
    } else if (action == "SEARCH") {
        searchAction(fileIndex().jvmSearcher(), showProgress, showFailMsg);
        uiSetProgress(100);
        walk.runDefault = false;
    } else if (action == "SEARCH_ALL") {
        searchAllAction(fileIndex().jvmSearcher(), showProgress, showFailMsg);
        uiSetProgress(100);
        walk.runDefault = false;
    } else if (action == "VERIFY_JVM") {
        const LString file = document.getValue("VERIFY_JVM_FILE");
        const LString home = document.getValue("VERIFY_JVM_HOME");
        if (file.empty() || home.empty()) {
            writeLog(kVerifyKeysMissing, kLogError);
            walk.result = -1;
        } else {
            verifyJvmAction(fileIndex().jvmSearcher(), showProgress, showFailMsg, file, home);
            uiSetProgress(100);
        }
        walk.runDefault = false;
    } else if (action == "INSTALL_JVM") {
        const LString exe = document.getValue("INSTALL_JVM_EXE");
        const LString dest = document.getValue("INSTALL_JVM_DEST");
        if (!exe.empty() && !dest.empty()) installJvmAction(showProgress, exe, dest);
        uiSetProgress(100);
        walk.runDefault = false;
    } else {
        const LString text = loadString(StringId::InvalidAction) + action;
        uiShowMessage(text);
        throw LauncherException(text);
    }
}

// The value of a path option, at `index` of the arguments: an embedded launcher that
// EXECUTE_LAUNCHER starts runs in a directory of its own, so it gets the path made absolute
// against this launcher's current directory (without the quotes -cv:in takes off).
void handOnAbsolute(const StringList& arguments, int32_t index, bool quoted) {
    LString path = arguments.at(index);
    if (quoted && !path.empty() && path[0] == '"') path.erase(0, 1);
    if (quoted && !path.empty() && path[path.length() - 1] == '"') path.erase(path.length() - 1);
    LString* saved = runSettings().savedArguments.getPayload(index);
    if (path.empty() || !saved || *saved != arguments.at(index)) return;
    *saved = fullPath(path);
}

}  // namespace

int launchFlow(const StringList& arguments, const LString& path) {
    runSettings().launcherPath = path;
    runSettings().origLauncherPath = path;
    for (int32_t i = 0; i < arguments.count(); ++i)
        runSettings().savedArguments.append(arguments.at(i));
    try {
        return processOptions(arguments);
    } catch (const LauncherException& e) {
        uiShowMessage(e.message());
        writeLog(e.message(), kLogError);
        return -1;
    } catch (const std::bad_alloc&) {
        // What was allocated for the launch is gone by now; the message needs little.
        reportOutOfMemory();
        return -1;
    } catch (const LengthException&) {
        reportFailure("A text grew beyond the length the launcher can hold.");
        return -1;
    }
}

int processOptions(const StringList& arguments) {
    runSettings().origGiven = false;
    uiSetProgress(0);
    Walk walk;

    const int32_t count = arguments.count();
    for (int32_t i = 0; i < count; ++i) {
        const LString& arg = arguments.at(i);
        // A value-taking option consumes the next argument, whatever it looks like.
        const bool hasValue = i + 1 < count;
        if (arg == "-cv:log") {
            if (hasValue) {
                handOnAbsolute(arguments, i + 1, false);
                logState().filePath = arguments.at(++i);
            } else {
                uiShowMessage(loadString(StringId::LogNameMissing));
                walk.result = -1;
            }
        } else if (arg == "-cv:orig") {
            if (hasValue) {
                runSettings().origLauncherPath = arguments.at(++i);
                runSettings().origGiven = true;
            } else {
                uiShowMessage("Missing original launcher file name.");
                walk.result = -1;
            }
        } else if (arg == "-cv:tempdir") {
            if (hasValue) {
                handOnAbsolute(arguments, i + 1, false);
                setTempDirectory(arguments.at(++i));
            }
        } else if (arg == "-cv:silent") {
            setSilent(true);
        } else if (arg == "-silent") {
            setSilent(true);
            runSettings().passThroughArgs.append(arg);
        } else if (arg == "-cv:javahome") {
            if (hasValue) runSettings().javaHomeOverride = arguments.at(++i);
        } else if (arg == "-cv:extract") {
            loadIndex(false);
            try {
                extractAll();
            } catch (const LauncherException& e) {
                throw LauncherException(loadString(StringId::CannotExtract) + e.message());
            }
            uiSetProgress(100);
            walk.runDefault = false;
        } else if (arg == "-cv:in") {
            if (hasValue) {
                handOnAbsolute(arguments, i + 1, true);
                runInputDocument(arguments.at(++i), walk);
            } else {
                uiShowMessage(loadString(StringId::InputNameMissing));
                walk.runDefault = false;
                walk.result = -1;
            }
        } else if (arg == "-cv:version") {
            uiShowMessage(kVersion);
            walk.runDefault = false;
        } else if (arg == "-cv:javaconsole") {
            runSettings().displayConsole = true;
        } else if (arg == "-accessibility") {
            runSettings().displayConsole = true;
            runSettings().passThroughArgs.append("-console");
        } else if (arg == "-console") {
            runSettings().displayConsole = true;
            runSettings().passThroughArgs.append(arg);
        } else if (arg == "-cp:p") {
            if (hasValue) runSettings().classpathPrepend = arguments.at(++i);
        } else if (arg == "-cp:a") {
            if (hasValue) runSettings().classpathAppend = arguments.at(++i);
        } else {
            runSettings().passThroughArgs.append(arg);
        }
    }

    if (walk.runDefault) {
        if (!fileIndex().indexLoaded()) loadIndex(true);
        walk.result = runInstructions();
        uiSetProgress(100);
    }
    return walk.result;
}

int runInstructions() {
    InstructionInterpreter* interpreter = fileIndex().instructions();
    if (!interpreter) return -1;
    try {
        return interpreter->execute();
    } catch (const InstructionsException& e) {
        throw LauncherException("Error in instructions. " + e.message() + " Line number (" +
                                numberToString(e.line()) + ")");
    }
}

}  // namespace wiz
