#include "launch/launch_script.h"

#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

#include "archive/embedded_files.h"
#include "base/chars.h"
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "launch/child_process.h"
#include "launch/command_line_quote.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

// Copies the file in blocks of 4096 bytes. Nothing happens when either file cannot be opened
// (false). A short write does not stop the copy; it fails at the end with the stream's error.
bool copyFile(const LString& source, const LString& destination) {
    FilePtr in = openFile(source, "rb");
    if (!in) return false;
    bool isLink = false;
    uint32_t error = 0;
    FilePtr out = createFileForWriting(destination, false, isLink, error);
    if (!out) return false;
    int writeError = 0;
    std::vector<char> block(4096);
    for (;;) {
        const size_t got = std::fread(block.data(), 1, block.size(), in.get());
        if (got == 0) break;
        errno = 0;
        if (std::fwrite(block.data(), 1, got, out.get()) < got && writeError == 0) {
            writeError = errno != 0 ? errno : EIO;
        }
    }
    errno = 0;
    if (!closeFile(std::move(out)) && writeError == 0) writeError = errno != 0 ? errno : EIO;
    if (writeError != 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", writeError);
        throw LauncherException(loadString(StringId::ErrorWritingFile) + number +
                                loadString(StringId::NotEnoughTempSpace));
    }
    return true;
}

// Removes a double quote the author wrote at the start, then one at the end.
ExpansionText stripQuotes(ExpansionText text) {
    if (text.isWritten(0, '"')) text.erase(0, 1);
    if (!text.empty() && text.isWritten(text.length() - 1, '"')) text.erase(text.length() - 1, 1);
    return text;
}

ExpansionText written(const LString& text) { return ExpansionText(text); }

// A path the launcher inserts, in double quotes for a command line.
ExpansionText quoted(const LString& path) {
    return written("\"") + ExpansionText::inserted(path) + written("\"");
}

// Joins the non-empty texts with one blank.
void appendWord(ExpansionText& joined, const ExpansionText& word) {
    if (word.empty()) return;
    if (!joined.empty()) joined += written(" ");
    joined += word;
}

// Reads a quoted argument whose opening quote is just before `cursor`: a doubled quote stands
// for one, a single one ends it, both as the author wrote them. The cursor ends after the
// closing quote, or at npos when that is the last character.
ExpansionText quotedArgument(const ExpansionText& text, LString::size_type& cursor) {
    ExpansionText argument;
    for (;;) {
        const LString::size_type q = text.find('"', cursor);
        if (q == LString::npos) throw LauncherException(missingQuoteMessage(cursor));
        if (!text.isWritten(q + 1, '"')) {
            argument += text.substr(cursor, q - cursor);
            cursor = q + 1;
            break;
        }
        // A doubled quote: keep one; at the very end of the text it cannot also close.
        if (q + 2 >= text.length()) throw LauncherException(missingQuoteMessage(q + 1));
        argument += text.substr(cursor, q + 1 - cursor);
        cursor = q + 2;
    }
    if (cursor >= text.length()) cursor = LString::npos;
    return argument;
}

struct FunctionRule {
    const char* name;
    int minArguments;
    int maxArguments;  // -1: any number
    const char* countMessage;
};

const FunctionRule kFunctions[] = {
    {"CP", 0, -1, ""},
    {"SYSTEMPROP", 2, 2, "SYSTEMPROP function requires 2 arguments."},
    {"RUNTIME_SYSTEMPROP", 0, 0, "RUNTIME_SYSTEMPROP function takes no arguments."},
    {"RUNTIME_JAVAARGS", 0, 0, "RUNTIME_JAVAARGS function takes no arguments."},
    {"IF_EXISTS", 2, 2, "IF_EXISTS function requires 2 arguments."},
    {"REPLACE", 3, 3, "REPLACE function requires 3 arguments."},
    {"LAUNCHER_FILE", 0, 0, "LAUNCHER_FILE function takes 0 arguments."},
    {"LAUNCHER_DIR", 0, 0, "LAUNCHER_DIR function takes 0 arguments."},
    {"APPLICATION_ARCHIVE", 0, 1, "APPLICATION_ARCHIVE function takes 0 arguments."},
    {"TEMP_DIR", 0, 0, "TEMP_DIR function takes 0 arguments."},
};

const FunctionRule* findFunction(const LString& name) {
    for (const FunctionRule& rule : kFunctions) {
        if (name == rule.name) return &rule;
    }
    return nullptr;
}

// How often the launcher has set a variable of its own environment and left it so (the
// wizard's SET_ENV_FOR_WIZARD variables, a class path put into a variable outside a launch):
// every child started afterwards inherits it.
uint32_t environmentChangesLeft = 0;

}  // namespace

// The variables one launch has set, each with the value it had before. The destructor puts back
// every one of them (restoreEnvironment) or only JAVA_HOME, the later ones first.
class LaunchScript::EnvironmentChanges {
public:
    explicit EnvironmentChanges(bool restoreAll) : restoreAll_(restoreAll) {}
    EnvironmentChanges(const EnvironmentChanges&) = delete;
    EnvironmentChanges& operator=(const EnvironmentChanges&) = delete;
    ~EnvironmentChanges() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (!restoreAll_ && it->name != "JAVA_HOME") {
                ++environmentChangesLeft;
                continue;
            }
            if (it->wasSet) {
                setEnvironmentText(it->name, it->value);
            } else {
                unsetEnvironmentText(it->name);
            }
        }
    }

    void set(const LString& name, const LString& value) {
        Saved saved;
        saved.name = name;
        saved.wasSet = findEnvironmentText(name, saved.value);
        saved.setTo = value;
        saved_.push_back(std::move(saved));
        setEnvironmentText(name, value);
    }

    // Every variable set, as NAME=VALUE, in order, each ended by a NUL.
    LString described() const {
        LString text;
        for (const Saved& saved : saved_) {
            text += saved.name + "=" + saved.setTo;
            text += '\0';
        }
        return text;
    }

private:
    struct Saved {
        LString name;
        LString value;
        bool wasSet = false;
        LString setTo;
    };
    bool restoreAll_;
    std::vector<Saved> saved_;
};

LaunchScript::LaunchScript(const TagDocument& document, bool capture)
    : commandTemplate(document.getValue("COMMAND", 0)),
      captureOutput(capture),
      consoleOutput(document.getBool("DISPLAY_CONSOLE", false)),
      autoWorkingDir(document.getBool("AUTO_SET_WORKING_DIR", true)),
      embeddedEntries(true),
      description(document.getValue("DESC", 0)),
      archiveTemplate(document.getValue("ARCHIVE", 0)) {}

LaunchScript::LaunchScript(const ExpansionText& command, bool capture, bool embedded)
    : commandTemplate(command), captureOutput(capture), embeddedEntries(embedded) {}

ExpansionText LaunchScript::expandText(JvmTags& jvm) {
    struct CurrentJvm {
        LaunchScript& script;
        ~CurrentJvm() { script.currentJvm_ = nullptr; }
    } scope{*this};
    currentJvm_ = &jvm;
    ExpansionText text = commandTemplate;
    expandTokens(text, '%');
    jvm.expandTokens(text, '@');
    expandTokens(text, '#');
    return text;
}

LString LaunchScript::expand(JvmTags& jvm) { return commandLineOf(expandText(jvm)); }

void LaunchScript::resolveToken(ExpansionText& text, char delimiter, LString::size_type start,
                                LString::size_type close) {
    const LString name = text.text().substr(start + 1, close - start - 1);
    if (delimiter != '%') {
        // The class path this script put into a variable comes back with the launcher's paths
        // in it still marked (the -cp "#CLASSPATH_VARIABLE#" pattern).
        const LString value = getEnvironmentText(name);
        const bool classPath =
            !classPathInVariable_.empty() && value == classPathInVariable_.text();
        text.replace(start, close - start + 1, classPath ? classPathInVariable_ : written(value));
        return;
    }
    const FunctionRule* rule = findFunction(name);
    if (!rule) scriptError(text.text(), "Invalid function name (" + quoteForMessage(name) + ").");
    ArgumentList arguments;
    const LString::size_type end = parseArguments(text, close + 1, arguments);
    const int count = static_cast<int>(arguments.size());
    if (count < rule->minArguments || (rule->maxArguments >= 0 && count > rule->maxArguments)) {
        scriptError(text.text(), rule->countMessage);
    }
    const ExpansionText result = callFunction(name, arguments);
    text.replace(start, end - start, result);
}

LString::size_type LaunchScript::parseArguments(const ExpansionText& text,
                                                LString::size_type position,
                                                ArgumentList& arguments) {
    enum class Expect { LeftParenthesis, Argument, Separator };
    Expect state = Expect::LeftParenthesis;
    LString::size_type last = position;
    const LString::size_type length = text.length();
    auto fail = [&](const char* message) {
        scriptError(text.text(), LString(message) + " (near character " +
                                     numberToString(static_cast<int32_t>(last)) + ")");
    };
    // An inserted character is none of the characters a list is made of.
    const auto writtenAt = [&](LString::size_type at) {
        return text.isInserted(at) ? '\0' : text.text()[at];
    };
    for (;;) {
        while (position < length && !text.isInserted(position) && isBlank(writtenAt(position))) {
            ++position;
        }
        const bool atEnd = position >= length;
        const char next = atEnd ? '\0' : writtenAt(position);
        switch (state) {
            case Expect::LeftParenthesis:
                if (atEnd || next != '(') fail("Expected left parenthesis.");
                position = last = position + 1;
                state = Expect::Argument;
                break;
            case Expect::Argument:
                if (atEnd) fail("Expected string arg.");
                if (next == '"') {
                    LString::size_type cursor = position + 1;
                    arguments.push_back(quotedArgument(text, cursor));
                    // A closing quote at the very end of the text ends the list there.
                    if (cursor == LString::npos) return length;
                    position = last = cursor;
                    state = Expect::Separator;
                } else if (next == ')') {
                    return position + 1;
                } else {
                    fail("Expected string arg.");
                }
                break;
            case Expect::Separator:
                if (atEnd) fail("Expected right parenthesis.");
                if (next == ',') {
                    position = last = position + 1;
                    state = Expect::Argument;
                } else if (next == ')') {
                    return position + 1;
                } else {
                    fail("Expected right parenthesis.");
                }
                break;
        }
    }
}

namespace {

// Reads a template's function calls the way expansion does: each call is checked and replaced by
// its arguments, so that the calls they hold are read next.
class TemplateCheck : public TokenExpander {
public:
    void resolveToken(ExpansionText& text, char /*delimiter*/, LString::size_type start,
                      LString::size_type close) override {
        const LString name = text.text().substr(start + 1, close - start - 1);
        const FunctionRule* rule = findFunction(name);
        if (!rule)
            scriptError(text.text(), "Invalid function name (" + quoteForMessage(name) + ").");
        ArgumentList arguments;
        const LString::size_type end = LaunchScript::parseArguments(text, close + 1, arguments);
        const int count = static_cast<int>(arguments.size());
        if (count < rule->minArguments || (rule->maxArguments >= 0 && count > rule->maxArguments))
            scriptError(text.text(), rule->countMessage);
        ExpansionText joined;
        for (int i = 0; i < count; ++i) {
            if (i) joined += ExpansionText(" ");
            joined += arguments[static_cast<size_t>(i)];
        }
        text.replace(start, end - start, joined);
    }
};

}  // namespace

void checkLaunchScript(const TagDocument& document, DocumentProblems& problems) {
    if (document.getValue("COMMAND").empty())
        problems.error(document.valueLine("COMMAND"), "no COMMAND: the launch would run nothing");
    for (const char* tag : {"COMMAND", "ARCHIVE"}) {
        ExpansionText text(document.getValue(tag));
        try {
            TemplateCheck().expandTokens(text, '%');
        } catch (const LauncherException& e) {
            problems.error(document.valueLine(tag), e.message());
        }
    }
}

ExpansionText LaunchScript::withJvmTags(const ExpansionText& value) {
    ExpansionText text = value;
    if (currentJvm_) currentJvm_->expandTokens(text, '@');
    return text;
}

ExpansionText LaunchScript::systemProperty(const ExpansionText& name, const ExpansionText& value) {
    const LString system = currentJvm_ ? currentJvm_->tag("SYSTEM") : LString();
    const LString separator = currentJvm_ ? currentJvm_->tag("SYSTEM_SEPARATOR") : LString();
    return written(system) + name + written(separator) + withJvmTags(value);
}

ExpansionText LaunchScript::callFunction(const LString& name, const ArgumentList& arguments) {
    const auto tag = [&](const char* tagName) {
        return currentJvm_ ? currentJvm_->tag(tagName) : LString();
    };
    if (name == "CP") return buildClasspath(arguments);
    if (name == "SYSTEMPROP") return systemProperty(arguments[0], arguments[1]);
    if (name == "RUNTIME_SYSTEMPROP") {
        StringList lines;
        readSideFile(".sp", lines);
        ExpansionText joined;
        for (int32_t i = 0; i < lines.count(); ++i) {
            const LString& line = lines.at(i);
            const LString::size_type equals = line.find('=');
            if (equals == LString::npos) continue;
            appendWord(joined, systemProperty(written(line.substr(0, equals)),
                                              written(line.substr(equals + 1))));
        }
        return joined;
    }
    if (name == "RUNTIME_JAVAARGS") {
        StringList lines;
        readSideFile(".ja", lines);
        ExpansionText joined;
        for (int32_t i = 0; i < lines.count(); ++i) {
            appendWord(joined, withJvmTags(written(lines.at(i))));
        }
        const LString required = tag("REQ_JAVA_ARGS");
        if (!required.empty()) joined += written(" " + required);
        return joined;
    }
    if (name == "IF_EXISTS") {
        return tag(arguments[0].text().c_str()).empty() ? ExpansionText()
                                                        : withJvmTags(arguments[1]);
    }
    if (name == "REPLACE") {
        const ExpansionText search = withJvmTags(arguments[0]);
        const ExpansionText replacement = withJvmTags(arguments[1]);
        const ExpansionText& subject = arguments[2];
        const LString& what = search.text();
        const LString& in = subject.text();
        // An empty search text finds nothing to replace.
        if (what.empty()) return subject;
        // Built from left to right, in time linear in the result: the search goes on after each
        // occurrence, so an inserted replacement is never searched again. An occurrence that
        // would take characters of an inserted value is passed over.
        ExpansionText result;
        LString::size_type from = 0;
        LString::size_type next = 0;
        for (LString::size_type at = in.find(what); at != LString::npos; at = in.find(what, next)) {
            const LString::size_type inserted = subject.findInserted(at);
            if (inserted != LString::npos && inserted < at + what.length()) {
                next = inserted + 1;
                continue;
            }
            if (static_cast<uint64_t>(result.length()) + (at - from) + replacement.length() >
                kMaxExpandedLength) {
                scriptError(in.substr(0, 1024), "The REPLACE function's result grew beyond 8 MB.");
            }
            result += subject.substr(from, at - from);
            result += replacement;
            from = next = at + what.length();
        }
        result += subject.substr(from);
        return result;
    }
    if (name == "LAUNCHER_FILE") return ExpansionText::inserted(runSettings().launcherPath);
    if (name == "LAUNCHER_DIR") return ExpansionText::inserted(origLauncherDirectory());
    if (name == "APPLICATION_ARCHIVE")
        return ExpansionText::inserted(applicationArchive(arguments));
    // TEMP_DIR
    LString directory = getTempDirectory();
    if (!directory.empty() && directory[directory.length() - 1] == kPathSeparator) {
        directory.erase(directory.length() - 1);
    }
    return ExpansionText::inserted(directory);
}

LString LaunchScript::applicationArchive_;

LString LaunchScript::applicationArchive(const ArgumentList& arguments) {
    LString& cached = applicationArchive_;
    if (!cached.empty()) return cached;
    if (arguments.empty()) {
        const EmbeddedFiles& files = embeddedFiles();
        LString directory;
        LString path;
        for (int32_t i = 0; i < files.count(); ++i) {
            const EmbeddedFileEntry* entry = files.entryAt(i);
            if (entry->type != kEntryApplicationArchive) continue;
            if (directory.empty()) directory = createTempDirectory();
            path = entry->extractTo(directory);
        }
        cached = path;
        return path;
    }
    const LString& name = arguments[0].text();
    const LString launcherDirectory = origLauncherDirectory();
    const LString source = launcherDirectory.empty() ? name : joinPath(launcherDirectory, name);
    const LString destination = joinPath(createTempDirectory(), lastComponent(name));
    if (!copyFile(source, destination)) return LString();
    cached = destination;
    return destination;
}

ExpansionText LaunchScript::buildClasspath(const ArgumentList& arguments) {
    const auto tag = [&](const char* tagName) {
        return currentJvm_ ? currentJvm_->tag(tagName) : LString();
    };
    const bool envMode = tag("USE_CP_ENV_VAR") == "1";
    const ExpansionText separator = written(tag("CLASSPATH_SEPARATOR"));
    ExpansionText classpath;
    const auto add = [&](const ExpansionText& entry) {
        if (entry.empty()) return;
        if (!classpath.empty()) classpath += separator;
        classpath += entry;
    };
    const auto addSideFile = [&](const char* suffix) {
        StringList lines;
        readSideFile(suffix, lines);
        for (int32_t i = 0; i < lines.count(); ++i) add(written(lines.at(i)));
    };

    // An empty item would be the current directory to java: the -cp:p and -cp:a items are left
    // out when they were not given.
    const RunSettings& settings = runSettings();
    // Quoted for a command line; a variable takes the path as it is.
    const auto pathItem = [&](const LString& path) {
        return envMode ? ExpansionText::inserted(path) : quoted(path);
    };
    if (!settings.classpathPrepend.empty()) add(pathItem(settings.classpathPrepend));
    addSideFile(".cp1");
    add(written(tag("JVM_CLASSPATH")));
    addSideFile(".cp");
    for (const ExpansionText& argument : arguments) add(envMode ? stripQuotes(argument) : argument);
    ExpansionText archive = written(archiveTemplate);
    expandTokens(archive, '%');
    add(envMode ? stripQuotes(archive) : archive);
    if (embeddedEntries) {
        const LString directory = createTempDirectory();
        const EmbeddedFiles& files = embeddedFiles();
        for (int32_t i = 0; i < files.count(); ++i) {
            const EmbeddedFileEntry* entry = files.entryAt(i);
            if (entry->type != kEntryClasspathArchive) continue;
            add(pathItem(entry->extractTo(directory)));
        }
    }
    addSideFile(".cp2");
    if (!settings.classpathAppend.empty()) add(pathItem(settings.classpathAppend));

    if (!envMode)
        return classpath.empty() ? ExpansionText() : written(tag("CLASSPATH")) + classpath;
    const LString variable = classPathVariable.empty() ? tag("CP_ENV_VAR") : classPathVariable;
    if (variable.empty()) {
        writeLog(
            "If USE_CP_ENV_VAR is set to 1 in the jvm file, then the jvm file should also define "
            "CP_ENV_VAR.",
            kLogError);
    } else {
        setVariable(variable, classpath.text());
        classPathInVariable_ = classpath;
        writeLog("Set env var " + variable + " to " + classpath.text() + "\n", kLogPlain);
    }
    return ExpansionText();
}

void LaunchScript::setVariable(const LString& name, const LString& value) {
    if (environment_) {
        environment_->set(name, value);
    } else {
        setEnvironmentText(name, value);
        ++environmentChangesLeft;
    }
}

int LaunchScript::launch(JvmTags& jvm, const StringList* arguments, bool shareConsole) {
    // Everything the launch sets, from the class-path variable on; put back as
    // restoreEnvironment says, also when the launch fails.
    EnvironmentChanges environment(restoreEnvironment);
    struct CurrentChanges {
        LaunchScript& script;
        ~CurrentChanges() { script.environment_ = nullptr; }
    } scope{*this};
    environment_ = &environment;

    LString command = expand(jvm);
    const RunSettings& settings = runSettings();
    const LString directory = autoWorkingDir ? parentDirectory(settings.launcherPath) : LString();
    if (arguments) {
        for (int32_t i = 0; i < arguments->count(); ++i) {
            appendQuotedArgument(command, arguments->at(i));
        }
    }
    writeLog("Executing launch script command: " + excerptForLog(command) +
                 (autoWorkingDir ? " in working directory " + directory
                                 : LString(" in current working directory")),
             kLogPlain);

    // JAVA_HOME names the chosen JVM for the child only.
    setVariable("JAVA_HOME", jvm.tag("JVM_HOME"));
    // SET_ENV_FOR_WIZARD, for the launcher styles 0 and 2: NAME=value entries, trimmed; a name
    // without "=" gets empty text.
    const int32_t style = readLauncherStyle(settings.launcherPath);
    if (style == 0 || style == 2) {
        const TagDocument& document = jvm.document();
        const int32_t count = document.valueCount("SET_ENV_FOR_WIZARD");
        for (int32_t i = 0; i < count; ++i) {
            LString entry = document.getValue("SET_ENV_FOR_WIZARD", i);
            trim(entry);
            if (entry.empty()) continue;
            const LString::size_type equals = entry.find('=');
            LString name = entry.substr(0, equals);
            LString value = equals == LString::npos ? LString() : entry.substr(equals + 1);
            setVariable(trim(name), trim(value));
        }
    }

    RunOptions options;
    options.workingDirectory = directory;
    options.stdoutBuffer = &stdoutText;
    options.stderrBuffer = &stderrText;
    options.stdoutLeftOut = &stdoutLeftOut;
    options.stderrLeftOut = &stderrLeftOut;
    options.contain = containChild;
    options.timeLimitSeconds = timeLimitSeconds;
    bool logOutput;
    if (consoleOutput || shareConsole) {
        options.showConsole = true;
        logOutput = false;
    } else {
        options.capture = captureOutput;
        logOutput = captureOutput;
    }
    const int code = runOrReuse(
        command, options,
        RunResultCache::keyOf(command, directory, environment.described(), environmentChangesLeft));
    if (logOutput) {
        writeLog("Output from the launch script execution", kLogPlain);
        writeLog("StdOut:", kLogPlain);
        writeLog(excerptForLog(stdoutText, false, stdoutLeftOut), kLogPlain);
        writeLog("ErrOut:", kLogPlain);
        writeLog(excerptForLog(stderrText, true, stderrLeftOut), kLogPlain);
    }
    return code;
}

int LaunchScript::runOrReuse(const LString& command, const RunOptions& options,
                             const LString& key) {
    if (!resultCache) return runCommand(command, options);
    if (const RunResultCache::Result* kept = resultCache->find(key)) {
        writeLog(
            "The same command ran before in the same folder with the same variables: its result "
            "is used again, nothing is started.",
            kLogPlain);
        uiStepProgress(kept->progressSteps);
        if (kept->startFailed) throw ProcessStartException(kept->startFailure);
        if (kept->timedOut) throw ProcessTimeoutException(kept->startFailure);
        if (options.stdoutBuffer) *options.stdoutBuffer += kept->stdoutText;
        if (options.stderrBuffer) *options.stderrBuffer += kept->stderrText;
        if (options.stdoutLeftOut) *options.stdoutLeftOut += kept->stdoutLeftOut;
        if (options.stderrLeftOut) *options.stderrLeftOut += kept->stderrLeftOut;
        return kept->exitCode;
    }
    // What this run adds to the buffers, which may hold earlier output.
    const LString::size_type stdoutStart =
        options.stdoutBuffer ? options.stdoutBuffer->length() : 0;
    const LString::size_type stderrStart =
        options.stderrBuffer ? options.stderrBuffer->length() : 0;
    const uint64_t stdoutLeftOutBefore = options.stdoutLeftOut ? *options.stdoutLeftOut : 0;
    const uint64_t stderrLeftOutBefore = options.stderrLeftOut ? *options.stderrLeftOut : 0;
    RunResultCache::Result result;
    ProgressTally tally;
    try {
        result.exitCode = runCommand(command, options);
    } catch (const ProcessStartException& e) {
        result.startFailed = true;
        result.startFailure = e.message();
        result.progressSteps = tally.steps();
        resultCache->keep(key, result);
        throw;
    } catch (const ProcessTimeoutException& e) {
        // A java that did not answer in time is not waited for again.
        result.timedOut = true;
        result.startFailure = e.message();
        result.progressSteps = tally.steps();
        resultCache->keep(key, result);
        throw;
    }
    if (options.stdoutLeftOut) result.stdoutLeftOut = *options.stdoutLeftOut - stdoutLeftOutBefore;
    if (options.stderrLeftOut) result.stderrLeftOut = *options.stderrLeftOut - stderrLeftOutBefore;
    if (options.stdoutBuffer) result.stdoutText = options.stdoutBuffer->substr(stdoutStart);
    if (options.stderrBuffer) result.stderrText = options.stderrBuffer->substr(stderrStart);
    result.progressSteps = tally.steps();
    resultCache->keep(key, result);
    return result.exitCode;
}

LString sideFile(const LString& suffix) {
    LString path = runSettings().origLauncherPath;
    const LString::size_type separator = path.find_last_of("/\\");
    const LString::size_type dot = path.rfind('.');
    if (separator != LString::npos && dot != LString::npos && dot > separator) path.erase(dot);
    return path + suffix;
}

void readSideFile(const LString& suffix, StringList& lines) {
    FilePtr file = openFile(sideFile(suffix), "rb");
    if (!file) return;
    while (!std::feof(file.get())) {
        LString line;
        readLine(file.get(), line);
        if (!line.empty()) lines.append(line);
    }
    // A byte read line by line costs about as much as sixteen bytes moved by a rewrite.
    const long size = std::ftell(file.get());
    if (size > 0) TokenExpander::countWork(16 * static_cast<uint64_t>(size));
}

}  // namespace wiz
