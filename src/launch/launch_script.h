// The launch script: the template of a command line (the wizard's, from the launch-script
// document, or a verification run's, from a command text) and its expansion for one JVM, with
// function calls %NAME%(...), descriptor tags @NAME@ and environment variables #NAME#.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "launch/jvm_tags.h"
#include "launch/token_expander.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class LaunchScript : public TokenExpander {
public:
    // From a launch-script document (not owned; it must outlive the script): COMMAND,
    // DISPLAY_CONSOLE, AUTO_SET_WORKING_DIR, DESC and ARCHIVE. `capture`: the child's output is
    // captured. The embedded class-path files are part of the class path.
    LaunchScript(const TagDocument& document, bool capture);
    // From a command text, without a document: no console output, the launcher's directory as
    // working directory, no archive.
    LaunchScript(const LString& commandText, bool capture, bool embedded);
    LaunchScript(const LaunchScript&) = delete;
    LaunchScript& operator=(const LaunchScript&) = delete;

    // The command line for `jvm`: the "%" function calls first, then the jvm's "@" tags, then the
    // "#" environment variables. Syntax and usage errors leave as "Launch script error: ...".
    LString expand(JvmTags& jvm);

    // Runs the expanded command for `jvm` with the quoted `arguments` (none: null) appended, and
    // waits for it; returns its exit code. `shareConsole`: the child shares the launcher's
    // console and nothing is captured. JAVA_HOME is the jvm's home for the child only; the
    // descriptor's SET_ENV_FOR_WIZARD variables are set for launchers of style 0 and 2.
    int launch(JvmTags& jvm, const StringList* arguments, bool shareConsole);

    // "%": a function call; "#": an environment variable.
    void resolveToken(LString& text, char delimiter, LString::size_type start,
                      LString::size_type close) override;

    // Reads the argument list `( "arg" , "arg" ... )` of a call at `position` (just after the
    // name's closing "%") into `arguments`; returns the position after the closing ")".
    LString::size_type parseArguments(const LString& text, LString::size_type position,
                                      StringList& arguments);
    // The class path of the "CP" function for the current JVM.
    LString buildClasspath(const StringList& arguments);

    LString commandTemplate;
    bool captureOutput = true;
    bool consoleOutput = false;
    bool autoWorkingDir = true;
    bool embeddedEntries = true;
    LString description;
    LString archiveTemplate;
    // Output captured by launches; appended to, never cleared.
    LString stdoutText;
    LString stderrText;

private:
    LString callFunction(const LString& name, const StringList& arguments);
    LString applicationArchive(const StringList& arguments);
    LString systemProperty(const LString& name, const LString& value);
    // The value with the current JVM's "@" tags expanded.
    LString withJvmTags(const LString& value);

    JvmTags* currentJvm_ = nullptr;

    // The application archive's path once it is known, kept for the whole process: every launch
    // script of a run uses the one copy. Tests that run several launches in one process start
    // over through their friend in tests/support/process_state.h.
    friend class ProcessStateForTests;
    static LString applicationArchive_;
};

// A text file next to the original launcher: its path without the extension, then `suffix`.
LString sideFile(const LString& suffix);
// The non-empty lines of that file (each trimmed); none when it is missing. Its size counts
// against the bounds of the expansion that reads it (TokenExpander::countWork).
void readSideFile(const LString& suffix, StringList& lines);

}  // namespace wiz
