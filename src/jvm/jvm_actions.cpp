#include "jvm/jvm_actions.h"

#include <cstdio>
#include <new>

#include "archive/embedded_files.h"
#include "base/exceptions.h"
#include "jvm/java_pick.h"
#include "launch/child_process.h"
#include "launch/command_line_quote.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "script/variables.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

// String ids of the texts shown here (English texts in the string table).

// The answers of the batch actions, one line each, for the program that started the launcher;
// each starts a line of its own, also after a row of progress dots.
void printLine(const LString& text) {
    uiEndPartialLine();
    std::printf("%s\n", text.c_str());
    std::fflush(stdout);
}

void showSearchProgress(bool show) {
    if (show) {
        uiSetStatusType(1);
        uiShow();
    } else {
        uiHide(0);
    }
}

// The JVM file "jvm" that an installer leaves in its destination.
LString installedJvmFile(const LString& destination) {
    LString path = destination;
    ensureTrailingSeparator(path);
    return path + "jvm";
}

}  // namespace

void findJvm(JvmSearcher& searcher, bool showUi, bool allowPick) {
    writeLog("Finding a JVM");
    showSearchProgress(showUi);
    scriptVariables.setString(1, LString());
    scriptVariables.setString(2, LString());
    scriptVariables.setNumeric(1, 0);
    try {
        JvmMatchList results;
        searcher.searchForJvm(results);
        if (results.count() > 0) {
            const JvmMatch& match = *results.getPayload(0);
            const LString file = match.writeJvmFile();
            writeLog("Matching JVM home is " + match.home);
            writeLog("Matching JVM file is " + file);
            scriptVariables.setInsertedString(1, match.home);
            scriptVariables.setInsertedString(2, file);
            scriptVariables.setNumeric(1, 1);
        } else if (allowPick && !hostState().cancelRequested) {
            pickJvmByDialog(searcher);
        }
    } catch (const LauncherException& e) {
        // A temporary name that cannot be made is the cause itself, not a runtime not found.
        const bool tempName = dynamic_cast<const TempNameException*>(&e) != nullptr;
        const LString text =
            tempName ? e.message() : loadString(StringId::NoJvmFound) + " " + e.message();
        writeLog(text, kLogError);
        if (allowPick) uiShowMessage(text);
        throw LauncherException(e.message());
    }
}

namespace {

// The JVM file of a picked program when there are no descriptors to verify it with: the
// class-path and system-property syntax of this system's java, nothing else.
LString unverifiedPickFile(const LString& home, const LString& program) {
    TagDocument document;
    document.setValue("JVM_HOME", home);
    document.setValue("JVM_EXE", program);
    document.setValue("CLASSPATH", " -cp ");
    document.setValue("CLASSPATH_SEPARATOR", kPickedClasspathSeparator);
    document.setValue("SYSTEM", " -D");
    document.setValue("SYSTEM_SEPARATOR", "=");
    return JvmMatch(home, document).writeJvmFile();
}

}  // namespace

void pickJvmByDialog(JvmSearcher& searcher) {
    const LString question = loadString(StringId::NoJvmFound);
    writeLog(question);
    uiShowMessage(question);
    // A silent launcher asks nothing.
    if (hostState().silent) return;
    // A runtime that fails the verification is refused with what is required, and the user may
    // pick once more.
    for (int attempt = 0; attempt < 2; ++attempt) {
        LString path;
        if (!askForJavaProgram(path)) return;

        // The program must be there (another process may hold it open) and named like a
        // JVM's: its folder "bin" inside the home, so the name ends in a separator and bin/java,
        // and the home is not empty.
        const LString program = kPickedJavaProgram;
        const LString::size_type at = endsWith(path, program);
        if (!fileExists(path) || at == LString::npos || at < 2 || !isPathSeparator(path[at - 1])) {
            uiShowMessage(loadString(StringId::NotAJavaProgram));
            return;
        }
        const LString home = path.substr(0, at - 1);
        writeLog("user selected JVM_HOME=" + home);
        LString file;
        LString verifiedHome = home;
        if (searcher.descriptorCount() == 0) {
            file = unverifiedPickFile(home, program);
        } else if (std::unique_ptr<JvmMatch> match = searcher.verifyPickedProgram(path)) {
            verifiedHome = match->home;
            file = match->writeJvmFile();
            writeLog("Matching JVM home is " + verifiedHome);
            writeLog("Matching JVM file is " + file);
        } else {
            const LString refusal =
                formatStringId(StringId::PickNotSuitable, {searcher.requiredDescriptions()});
            writeLog(refusal, kLogWarning);
            uiShowMessage(refusal);
            continue;
        }
        scriptVariables.setInsertedString(1, verifiedHome);
        scriptVariables.setInsertedString(2, file);
        scriptVariables.setNumeric(1, 1);
        return;
    }
}

void verifyJvmInstruction(JvmSearcher& searcher, bool showUi, bool showFailMessage,
                          int32_t fileId) {
    showSearchProgress(showUi);
    EmbeddedFileEntry* entry = embeddedFiles().findById(static_cast<uint32_t>(fileId));
    const LString id = numberToString(fileId);
    if (!entry) {
        throw LauncherException("Cannot verify jvm file at index " + id +
                                " because it does not exist.");
    }
    if (entry->type != kEntryJvmDescriptor) {
        throw LauncherException(
            "To verify a JVM, use an index of a jvm file. The index passed in was " + id +
            " which corresponds to the file named " + entry->name);
    }
    if (!entry->document) {
        throw LauncherException("The jvm file with file id " + id + " could not be read.");
    }
    verifyDescriptor(searcher, showUi, showFailMessage, *entry->document,
                     runSettings().javaHomeOverride);
}

void verifyDescriptor(JvmSearcher& searcher, bool showUi, bool showFailMessage,
                      TagDocument& document, const LString& home) {
    scriptVariables.setNumeric(1, 0);
    JvmDescriptor descriptor(document);
    descriptor.keepResultsIn(&searcher.verificationResults());
    if (showUi) uiSetStatusLine2(3, descriptor.tag("DESC"));
    searcher.prepareVerification();
    const LString& classPath = searcher.verifyClassPathArg();
    const LString& className = searcher.verifyClassArg();
    std::unique_ptr<JvmMatch> match = home.empty()
                                          ? descriptor.verifyOwnHome(classPath, className)
                                          : descriptor.verifyAt(home, classPath, className);
    if (match) {
        scriptVariables.setNumeric(1, 1);
        const LString verifiedHome = document.getValue("JVM_HOME");
        scriptVariables.setInsertedString(1, verifiedHome);
        writeLog("After VERIFY, the jvm home is " + verifiedHome);
        return;
    }
    if (showFailMessage) uiShowMessage(loadString(StringId::JvmInvalid));
    writeLog("In VERIFY, the jvm is invalid.");
}

void installEmbeddedJvm(int32_t mode) {
    scriptVariables.setNumeric(1, 0);
    scriptVariables.setString(1, LString());
    if (mode == 1 || mode == 2) {
        uiShow();
        uiSetStatusType(4);
    } else {
        uiHide(0);
    }
    const EmbeddedFiles& files = embeddedFiles();
    const EmbeddedFileEntry* installer = nullptr;
    for (int32_t i = 0; i < files.count() && !installer; ++i) {
        if (files.entryAt(i)->type == kEntryJvmInstaller) installer = files.entryAt(i);
    }
    if (!installer) throw LauncherException(loadString(StringId::NoInstaller));

    const LString destination = mode == 2 ? uiChooseDirectory() : createTempDirectory();
    if (destination.empty()) return;
    const LString program = installer->extractTo(destination);
    // When this fails, starting the installer fails, and that is reported.
    (void)makeExecutable(program);
    {
        // The installer's path may hold blanks (a temporary directory usually does).
        LString out, err;
        RunOptions options;
        options.workingDirectory = destination;
        options.capture = true;
        options.stdoutBuffer = &out;
        options.stderrBuffer = &err;
        runCommand(quoteArgument(program), options);
    }
    deletePath(program);

    const LString jvmFile = installedJvmFile(destination);
    if (!fileExists(jvmFile)) {
        writeLog("Invalid bundled JVM. Missing 'jvm' file.", kLogError);
        return;
    }
    TagDocument document;
    document.loadFile(jvmFile);
    document.setJvmResult(destination, jvmFile, true);
    writeDocument(document, jvmFile);
    scriptVariables.setNumeric(1, 1);
    scriptVariables.setInsertedString(1, jvmFile);
}

// Hands a JVM file over to the caller of a batch action: it leaves the run's own directory, and
// its JVM_FILE tag names it where it is then.
namespace {

LString keepJvmFile(const LString& file) {
    const LString kept = keepTempFile(file);
    if (kept != file) {
        TagDocument document(kept);
        document.setValue("JVM_FILE", kept);
        if (!writeDocument(document, kept))
            throw LauncherException("Cannot write the JVM file " + kept + ".");
    }
    return kept;
}

}  // namespace

void searchAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg) {
    try {
        findJvm(searcher, showProgress, showFailMsg);
        const int32_t found = scriptVariables.numeric(1);
        printLine(numberToString(found));
        if (found != 0) {
            // The caller keeps the JVM file.
            scriptVariables.setString(2, keepJvmFile(scriptVariables.string(2)));
            printLine(scriptVariables.string(1));
            printLine(scriptVariables.string(2));
        }
    } catch (const LauncherException&) {
        // findJvm has logged it; the answer is no answer.
    } catch (const std::bad_alloc&) {
        // The launch reports it and ends with -1.
        throw;
    } catch (...) {
        writeLog("Unexpected failure in search.", kLogError);
    }
}

void searchAllAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg) {
    writeLog("Finding all matching JVMs");
    showSearchProgress(showProgress);
    try {
        JvmMatchList results;
        searcher.searchAllJvms(results);
        printLine(numberToString(results.count()));
        for (int32_t i = 0; i < results.count(); ++i) {
            const JvmMatch& match = *results.getPayload(i);
            const LString file = keepJvmFile(match.writeJvmFile());
            printLine(match.home);
            printLine(file);
        }
    } catch (const LauncherException& e) {
        const LString text = loadString(StringId::SearchAllFailed) + e.message();
        writeLog(text, kLogError);
        if (showFailMsg) uiShowMessage(text);
        printLine("0");
    }
}

void verifyJvmAction(JvmSearcher& searcher, bool showProgress, bool showFailMsg,
                     const LString& jvmFile, const LString& jvmHome) {
    TagDocument document;
    document.loadFile(jvmFile);
    verifyDescriptor(searcher, showProgress, showFailMsg, document, jvmHome);
    printLine(numberToString(scriptVariables.numeric(1)));
}

void installJvmAction(bool showProgress, const LString& command, const LString& destination) {
    RunOptions options;
    options.workingDirectory = destination;
    options.showConsole = showProgress;
    runCommand(command, options);
    const LString jvmFile = installedJvmFile(destination);
    TagDocument document;
    document.loadFile(jvmFile);
    document.setJvmResult(destination, jvmFile, false);
    writeDocument(document, jvmFile);
    printLine(jvmFile);
}

}  // namespace wiz
