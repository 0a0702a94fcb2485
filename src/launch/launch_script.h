// The launch script: the template of a command line (the wizard's, from the launch-script
// document, or a verification run's, from a command text) and its expansion for one JVM, with
// function calls %NAME%(...), descriptor tags @NAME@ and environment variables #NAME#.
#pragma once

#include <cstdint>
#include <vector>

#include "base/expansion_text.h"
#include "base/lstring.h"
#include "base/ptrlist.h"
#include "launch/child_process.h"
#include "launch/jvm_tags.h"
#include "launch/run_result_cache.h"
#include "launch/token_expander.h"
#include "tagdoc/document_check.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// The texts of a function call's arguments, each with the values the launcher put into it.
using ArgumentList = std::vector<ExpansionText>;

class LaunchScript : public TokenExpander {
public:
    // From a launch-script document (not owned; it must outlive the script): COMMAND,
    // DISPLAY_CONSOLE, AUTO_SET_WORKING_DIR, DESC and ARCHIVE. `capture`: the child's output is
    // captured. The embedded class-path files are part of the class path.
    LaunchScript(const TagDocument& document, bool capture);
    // From a command, without a document: no console output, the launcher's directory as
    // working directory, no archive. The command may hold inserted values (a verification
    // run's home and class path).
    LaunchScript(const ExpansionText& command, bool capture, bool embedded);
    LaunchScript(const LaunchScript&) = delete;
    LaunchScript& operator=(const LaunchScript&) = delete;

    // The command line for `jvm`: the "%" function calls first, then the jvm's "@" tags, then the
    // "#" environment variables. Syntax and usage errors leave as "Launch script error: ...".
    // Values the launcher inserts (the JVM's home, paths of extracted files, the temporary
    // folder, the launcher's paths) are never read as tokens, and reach the program as they are
    // (commandLineOf).
    LString expand(JvmTags& jvm);
    // The same before it becomes a command line: the text with its inserted values marked.
    ExpansionText expandText(JvmTags& jvm);

    // Runs the expanded command for `jvm` with the quoted `arguments` (none: null) appended, and
    // waits for it; returns its exit code. `shareConsole`: the child shares the launcher's
    // console and nothing is captured. JAVA_HOME is the jvm's home for the child only; the
    // descriptor's SET_ENV_FOR_WIZARD variables are set for launchers of style 0 and 2.
    int launch(JvmTags& jvm, const StringList* arguments, bool shareConsole);

    // "%": a function call; "#": an environment variable.
    void resolveToken(ExpansionText& text, char delimiter, LString::size_type start,
                      LString::size_type close) override;

    // Reads the argument list `( "arg" , "arg" ... )` of a call at `position` (just after the
    // name's closing "%") into `arguments`; returns the position after the closing ")". Only
    // the quotes, parentheses, commas and blanks the author wrote count: an inserted value is
    // argument text whatever it holds.
    static LString::size_type parseArguments(const ExpansionText& text, LString::size_type position,
                                             ArgumentList& arguments);
    // The class path of the "CP" function for the current JVM.
    ExpansionText buildClasspath(const ArgumentList& arguments);

    ExpansionText commandTemplate;
    bool captureOutput = true;
    bool consoleOutput = false;
    bool autoWorkingDir = true;
    bool embeddedEntries = true;
    LString description;
    LString archiveTemplate;
    // Every environment variable a launch sets (the class-path variable, SET_ENV_FOR_WIZARD,
    // JAVA_HOME) is put back when it has ended, as a verification run needs; otherwise only
    // JAVA_HOME is, and the wizard's variables stay set for the rest of the run.
    bool restoreEnvironment = false;
    // In environment-variable mode, the variable that takes the class path; empty: the
    // descriptor's CP_ENV_VAR.
    LString classPathVariable;
    // Not owned; null: every launch starts its program. Otherwise a launch whose command line,
    // working directory and variables (RunResultCache::keyOf) are those of a run kept there
    // starts nothing: it logs the same lines plus one that says so, makes the same progress
    // steps and hands back the kept exit code and output (or the kept failure to start). A
    // launch that starts its program keeps its result there.
    RunResultCache* resultCache = nullptr;
    // Output captured by launches; appended to, never cleared. Each holds a bounded part of its
    // stream (the start of the output, the end of the error output: OutputCapture); the counts
    // are the bytes that the capture left out.
    LString stdoutText;
    LString stderrText;
    uint64_t stdoutLeftOut = 0;
    uint64_t stderrLeftOut = 0;
    // Captured launches: the child and all it starts are kept together and ended with it, and
    // it may run at most this many seconds (0: no limit; RunOptions::contain and
    // timeLimitSeconds). Verification runs only; the wizard is never limited.
    bool containChild = false;
    unsigned timeLimitSeconds = 0;

private:
    class EnvironmentChanges;

    ExpansionText callFunction(const LString& name, const ArgumentList& arguments);
    LString applicationArchive(const ArgumentList& arguments);
    ExpansionText systemProperty(const ExpansionText& name, const ExpansionText& value);
    // The value with the current JVM's "@" tags expanded.
    ExpansionText withJvmTags(const ExpansionText& value);
    // Sets a variable for the launch under way (put back as restoreEnvironment says), or for
    // the rest of the run outside a launch.
    void setVariable(const LString& name, const LString& value);
    // Runs the command, or takes the result kept for `key` in resultCache; its exit code.
    int runOrReuse(const LString& command, const RunOptions& options, const LString& key);

    JvmTags* currentJvm_ = nullptr;
    EnvironmentChanges* environment_ = nullptr;
    // The class path last put into a variable, with what the launcher inserted into it.
    ExpansionText classPathInVariable_;

    // The application archive's path once it is known, kept for the whole process: every launch
    // script of a run uses the one copy. Tests that run several launches in one process start
    // over through their friend in tests/support/process_state.h.
    friend class ProcessStateForTests;
    static LString applicationArchive_;
};

// Checks a launch-script document without expanding anything: its COMMAND (and ARCHIVE) must
// call known functions with argument lists that parse and have the right count, calls inside
// arguments included; each failure is recorded with the launcher's own message on the line of
// its tag.
void checkLaunchScript(const TagDocument& document, DocumentProblems& problems);

// A text file next to the original launcher: its path without the extension, then `suffix`.
LString sideFile(const LString& suffix);
// The non-empty lines of that file (each trimmed); none when it is missing. Its size counts
// against the bounds of the expansion that reads it (TokenExpander::countWork).
void readSideFile(const LString& suffix, StringList& lines);

}  // namespace wiz
