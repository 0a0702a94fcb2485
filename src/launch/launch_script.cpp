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
    FilePtr out = openFile(destination, "wb");
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

LString joinPath(LString directory, const LString& name) {
    ensureTrailingSeparator(directory);
    return directory + name;
}

// Removes a double quote at the start, then one at the end.
LString stripQuotes(LString text) {
    if (!text.empty() && text[0] == '"') text.erase(0, 1);
    if (!text.empty() && text[text.length() - 1] == '"') text.erase(text.length() - 1);
    return text;
}

LString quoted(const LString& text) { return "\"" + text + "\""; }

// Joins the non-empty texts with one blank.
void appendWord(LString& joined, const LString& word) {
    if (word.empty()) return;
    if (!joined.empty()) joined += ' ';
    joined += word;
}

// Puts an environment variable back as it was before a launch changed it.
class EnvironmentRestorer {
public:
    explicit EnvironmentRestorer(const LString& name)
        : name_(name), wasSet_(findEnvironmentText(name, value_)) {}
    EnvironmentRestorer(const EnvironmentRestorer&) = delete;
    EnvironmentRestorer& operator=(const EnvironmentRestorer&) = delete;
    ~EnvironmentRestorer() {
        if (wasSet_) {
            setEnvironmentText(name_, value_);
        } else {
            unsetEnvironmentText(name_);
        }
    }

private:
    LString name_;
    LString value_;
    bool wasSet_;
};

// SET_ENV_FOR_WIZARD: NAME=value entries, trimmed; a name without "=" gets empty text.
void setWizardEnvironment(const TagDocument& document) {
    const int32_t count = document.valueCount("SET_ENV_FOR_WIZARD");
    for (int32_t i = 0; i < count; ++i) {
        LString entry = document.getValue("SET_ENV_FOR_WIZARD", i);
        trim(entry);
        if (entry.empty()) continue;
        const LString::size_type equals = entry.find('=');
        LString name = entry.substr(0, equals);
        LString value = equals == LString::npos ? LString() : entry.substr(equals + 1);
        setEnvironmentText(trim(name), trim(value));
    }
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

}  // namespace

LaunchScript::LaunchScript(const TagDocument& document, bool capture)
    : commandTemplate(document.getValue("COMMAND", 0)),
      captureOutput(capture),
      consoleOutput(document.getBool("DISPLAY_CONSOLE", false)),
      autoWorkingDir(document.getBool("AUTO_SET_WORKING_DIR", true)),
      embeddedEntries(true),
      description(document.getValue("DESC", 0)),
      archiveTemplate(document.getValue("ARCHIVE", 0)) {}

LaunchScript::LaunchScript(const LString& commandText, bool capture, bool embedded)
    : commandTemplate(commandText), captureOutput(capture), embeddedEntries(embedded) {}

LString LaunchScript::expand(JvmTags& jvm) {
    struct CurrentJvm {
        LaunchScript& script;
        ~CurrentJvm() { script.currentJvm_ = nullptr; }
    } scope{*this};
    currentJvm_ = &jvm;
    LString text = commandTemplate;
    expandTokens(text, '%');
    jvm.expandTokens(text, '@');
    expandTokens(text, '#');
    return text;
}

void LaunchScript::resolveToken(LString& text, char delimiter, LString::size_type start,
                                LString::size_type close) {
    const LString name = text.substr(start + 1, close - start - 1);
    if (delimiter != '%') {
        text.replace(start, close - start + 1, getEnvironmentText(name));
        return;
    }
    const FunctionRule* rule = findFunction(name);
    if (!rule) scriptError(text, "Invalid function name (" + quoteForMessage(name) + ").");
    StringList arguments;
    const LString::size_type end = parseArguments(text, close + 1, arguments);
    const int count = arguments.count();
    if (count < rule->minArguments || (rule->maxArguments >= 0 && count > rule->maxArguments)) {
        scriptError(text, rule->countMessage);
    }
    const LString result = callFunction(name, arguments);
    text.replace(start, end - start, result);
}

LString::size_type LaunchScript::parseArguments(const LString& text, LString::size_type position,
                                                StringList& arguments) {
    enum class Expect { LeftParenthesis, Argument, Separator };
    Expect state = Expect::LeftParenthesis;
    LString::size_type last = position;
    const LString::size_type length = text.length();
    auto fail = [&](const char* message) {
        scriptError(text, LString(message) + " (near character " +
                              numberToString(static_cast<int32_t>(last)) + ")");
    };
    for (;;) {
        while (position < length && isBlank(text[position])) ++position;
        const bool atEnd = position >= length;
        const char next = atEnd ? '\0' : text[position];
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
                    arguments.append(nextArgument(text, cursor, true));
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

LString LaunchScript::withJvmTags(const LString& value) {
    LString text = value;
    if (currentJvm_) currentJvm_->expandTokens(text, '@');
    return text;
}

LString LaunchScript::systemProperty(const LString& name, const LString& value) {
    const LString system = currentJvm_ ? currentJvm_->tag("SYSTEM") : LString();
    const LString separator = currentJvm_ ? currentJvm_->tag("SYSTEM_SEPARATOR") : LString();
    return system + name + separator + withJvmTags(value);
}

LString LaunchScript::callFunction(const LString& name, const StringList& arguments) {
    const auto tag = [&](const char* tagName) {
        return currentJvm_ ? currentJvm_->tag(tagName) : LString();
    };
    if (name == "CP") return buildClasspath(arguments);
    if (name == "SYSTEMPROP") return systemProperty(arguments.at(0), arguments.at(1));
    if (name == "RUNTIME_SYSTEMPROP") {
        StringList lines;
        readSideFile(".sp", lines);
        LString joined;
        for (int32_t i = 0; i < lines.count(); ++i) {
            const LString& line = lines.at(i);
            const LString::size_type equals = line.find('=');
            if (equals == LString::npos) continue;
            appendWord(joined, systemProperty(line.substr(0, equals), line.substr(equals + 1)));
        }
        return joined;
    }
    if (name == "RUNTIME_JAVAARGS") {
        StringList lines;
        readSideFile(".ja", lines);
        LString joined;
        for (int32_t i = 0; i < lines.count(); ++i) appendWord(joined, withJvmTags(lines.at(i)));
        const LString required = tag("REQ_JAVA_ARGS");
        if (!required.empty()) joined += " " + required;
        return joined;
    }
    if (name == "IF_EXISTS") {
        return tag(arguments.at(0).c_str()).empty() ? LString() : withJvmTags(arguments.at(1));
    }
    if (name == "REPLACE") {
        const LString search = withJvmTags(arguments.at(0));
        const LString replacement = withJvmTags(arguments.at(1));
        const LString& subject = arguments.at(2);
        // An empty search text finds nothing to replace.
        if (search.empty()) return subject;
        // Built from left to right, in time linear in the result: the search goes on after each
        // occurrence, so an inserted replacement is never searched again.
        LString result;
        LString::size_type from = 0;
        for (LString::size_type at = subject.find(search); at != LString::npos;
             at = subject.find(search, from)) {
            if (static_cast<uint64_t>(result.length()) + (at - from) + replacement.length() >
                kMaxExpandedLength) {
                scriptError(subject.substr(0, 1024),
                            "The REPLACE function's result grew beyond 8 MB.");
            }
            result.append(subject, from, at - from);
            result += replacement;
            from = at + search.length();
        }
        result.append(subject, from, LString::npos);
        return result;
    }
    if (name == "LAUNCHER_FILE") return runSettings().launcherPath;
    if (name == "LAUNCHER_DIR") return origLauncherDirectory();
    if (name == "APPLICATION_ARCHIVE") return applicationArchive(arguments);
    // TEMP_DIR
    LString directory = getTempDirectory();
    if (!directory.empty() && directory[directory.length() - 1] == kPathSeparator) {
        directory.erase(directory.length() - 1);
    }
    return directory;
}

LString LaunchScript::applicationArchive_;

LString LaunchScript::applicationArchive(const StringList& arguments) {
    LString& cached = applicationArchive_;
    if (!cached.empty()) return cached;
    if (arguments.count() == 0) {
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
    const LString& name = arguments.at(0);
    const LString launcherDirectory = origLauncherDirectory();
    const LString source = launcherDirectory.empty() ? name : joinPath(launcherDirectory, name);
    const LString destination = joinPath(createTempDirectory(), lastComponent(name));
    if (!copyFile(source, destination)) return LString();
    cached = destination;
    return destination;
}

LString LaunchScript::buildClasspath(const StringList& arguments) {
    const auto tag = [&](const char* tagName) {
        return currentJvm_ ? currentJvm_->tag(tagName) : LString();
    };
    const bool envMode = tag("USE_CP_ENV_VAR") == "1";
    const LString separator = tag("CLASSPATH_SEPARATOR");
    LString classpath;
    const auto add = [&](const LString& entry) {
        if (entry.empty()) return;
        if (!classpath.empty()) classpath += separator;
        classpath += entry;
    };
    const auto addSideFile = [&](const char* suffix) {
        StringList lines;
        readSideFile(suffix, lines);
        for (int32_t i = 0; i < lines.count(); ++i) add(lines.at(i));
    };

    // An empty item would be the current directory to java: the -cp:p and -cp:a items are left
    // out when they were not given.
    const RunSettings& settings = runSettings();
    // Quoted for a command line; a variable takes the path as it is.
    const auto commandLineItem = [&](const LString& path) { return envMode ? path : quoted(path); };
    if (!settings.classpathPrepend.empty()) add(commandLineItem(settings.classpathPrepend));
    addSideFile(".cp1");
    add(tag("JVM_CLASSPATH"));
    addSideFile(".cp");
    for (int32_t i = 0; i < arguments.count(); ++i) {
        add(envMode ? stripQuotes(arguments.at(i)) : arguments.at(i));
    }
    LString archive = archiveTemplate;
    expandTokens(archive, '%');
    add(envMode ? stripQuotes(archive) : archive);
    if (embeddedEntries) {
        const LString directory = createTempDirectory();
        const EmbeddedFiles& files = embeddedFiles();
        for (int32_t i = 0; i < files.count(); ++i) {
            const EmbeddedFileEntry* entry = files.entryAt(i);
            if (entry->type != kEntryClasspathArchive) continue;
            const LString path = entry->extractTo(directory);
            add(commandLineItem(path));
        }
    }
    addSideFile(".cp2");
    if (!settings.classpathAppend.empty()) add(commandLineItem(settings.classpathAppend));

    if (!envMode) return classpath.empty() ? LString() : tag("CLASSPATH") + classpath;
    const LString variable = tag("CP_ENV_VAR");
    if (variable.empty()) {
        writeLog(
            "If USE_CP_ENV_VAR is set to 1 in the jvm file, then the jvm file should also define "
            "CP_ENV_VAR.",
            kLogError);
    } else {
        setEnvironmentText(variable, classpath);
        writeLog("Set env var " + variable + " to " + classpath + "\n", kLogPlain);
    }
    return LString();
}

int LaunchScript::launch(JvmTags& jvm, const StringList* arguments, bool shareConsole) {
    LString command = expand(jvm);
    const RunSettings& settings = runSettings();
    const LString directory = autoWorkingDir ? parentDirectory(settings.launcherPath) : LString();
    if (arguments) {
        for (int32_t i = 0; i < arguments->count(); ++i) {
            appendQuotedArgument(command, arguments->at(i));
        }
    }
    writeLog("Executing launch script command: " + command +
                 (autoWorkingDir ? " in working directory " + directory
                                 : LString(" in current working directory")),
             kLogPlain);

    int code;
    bool logOutput;
    {
        // JAVA_HOME names the chosen JVM for the child only; the wizard's own variables stay.
        EnvironmentRestorer javaHome("JAVA_HOME");
        setEnvironmentText("JAVA_HOME", jvm.tag("JVM_HOME"));
        const int32_t style = readLauncherStyle(settings.launcherPath);
        if (style == 0 || style == 2) setWizardEnvironment(jvm.document());

        RunOptions options;
        options.workingDirectory = directory;
        options.stdoutBuffer = &stdoutText;
        options.stderrBuffer = &stderrText;
        if (consoleOutput || shareConsole) {
            options.showConsole = true;
            logOutput = false;
        } else {
            options.capture = captureOutput;
            logOutput = captureOutput;
        }
        code = runCommand(command, options);
    }
    if (logOutput) {
        writeLog("Output from the launch script execution", kLogPlain);
        writeLog("StdOut:", kLogPlain);
        writeLog(stdoutText, kLogPlain);
        writeLog("ErrOut:", kLogPlain);
        writeLog(stderrText, kLogPlain);
    }
    return code;
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
