// The launch script's expansion: function calls, descriptor tags, environment variables, the
// class path with its side files, the application archive, and the script errors.
#include "launch/launch_script.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "archive/embedded_files.h"
#include "base/exceptions.h"
#include "core/file_index.h"
#include "launch/command_line_split.h"
#include "platform/environment.h"
#include "platform/file.h"
#include "platform/path.h"
#include "services/log.h"
#include "services/settings.h"
#include "support/launcher_file.h"
#include "support/process_state.h"
#include "support/temp_dir.h"
#include "tagdoc/tag_document.h"
#include "tempfiles/temp_files.h"

namespace {

using wiz::LString;
using wiz::TagDocument;

const std::string kSep(1, wiz::kPathSeparator);

// A fresh run for each test: the launcher file and the temporary directory inside a test
// directory, a log file, no embedded files, no cached archive. Everything is put back after.
class LaunchScriptTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = std::move(wiz::runSettings());
        savedTemp_ = std::move(wiz::tempFiles());
        savedLog_ = wiz::logState();
        wiz::runSettings() = wiz::RunSettings();
        wiz::tempFiles() = wiz::TempFiles();
        wiz::logState() = wiz::LogState();
        wiztest::resetFileIndex();

        std::filesystem::create_directory(dir.path() / "tmp");
        tempDir = dir.file("tmp") + kSep;
        wiz::tempFiles().directory = LString(tempDir);
        launcher = dir.file("setup.exe");
        dir.write("setup.exe", "stub");
        wiz::runSettings().launcherPath = LString(launcher);
        wiz::runSettings().origLauncherPath = LString(launcher);
        wiz::logState().filePath = LString(dir.file("run.log"));
        wiz::logState().separatorWritten = true;

        jvmDoc.setValue("JVM_HOME", "C:\\jdk");
        jvmDoc.setValue("JVM_EXE", "bin\\java.exe");
        jvmDoc.setValue("CLASSPATH", "-cp ");
        jvmDoc.setValue("CLASSPATH_SEPARATOR", ";");
        jvmDoc.setValue("SYSTEM", "-D");
        jvmDoc.setValue("SYSTEM_SEPARATOR", "=");
        jvmDoc.setValue("MAX_JAVA_HEAP", "-Xmx");
    }
    void TearDown() override {
        wiztest::resetFileIndex();
        wiz::runSettings() = std::move(savedSettings_);
        wiz::tempFiles() = std::move(savedTemp_);
        wiz::logState() = savedLog_;
    }

    // The expansion of `command` for the test JVM (with `archive` as the script's ARCHIVE), or
    // the message it fails with.
    std::string expand(const std::string& command, const std::string& archive = "") {
        TagDocument script;
        script.setValue("COMMAND", LString(command));
        if (!archive.empty()) script.setValue("ARCHIVE", LString(archive));
        wiz::LaunchScript launchScript(script, true);
        wiz::JvmTags jvm(jvmDoc);
        try {
            return launchScript.expand(jvm).str();
        } catch (const wiz::LauncherException& e) {
            return "error: " + e.message().str();
        }
    }
    // The log, carriage returns dropped (Windows writes it in text mode).
    std::string log() const {
        std::string text = wiztest::TempDir::read(dir.file("run.log"));
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        return text;
    }
    // A side file next to the launcher ("setup" + suffix).
    void side(const std::string& suffix, const std::string& text) {
        dir.write("setup" + suffix, text);
    }

    wiztest::TempDir dir;
    std::string tempDir;
    std::string launcher;
    TagDocument jvmDoc;

private:
    wiz::RunSettings savedSettings_;
    wiz::TempFiles savedTemp_;
    wiz::LogState savedLog_;
};

TEST_F(LaunchScriptTest, ExpandsTheTypicalTemplateWithAndWithoutTheHeapOption) {
    const std::string command =
        "\"@JVM_HOME@" + kSep +
        "@JVM_EXE@\" %CP%() %SYSTEMPROP%(\"temp.dir\", \"\"\"%TEMP_DIR%()\"\"\") "
        "%RUNTIME_SYSTEMPROP%() %IF_EXISTS%(\"MAX_JAVA_HEAP\", \"@MAX_JAVA_HEAP@60m\") "
        "%RUNTIME_JAVAARGS%() MainClass";
    const std::string tmp = tempDir.substr(0, tempDir.size() - 1);
    EXPECT_EQ(expand(command, "\"app.jar\""), "\"C:\\jdk" + kSep +
                                                  "bin\\java.exe\" -cp \"app.jar\" -Dtemp.dir=\"" +
                                                  tmp + "\"  -Xmx60m  MainClass");
    jvmDoc.removeTag("MAX_JAVA_HEAP");
    EXPECT_EQ(expand(command, "\"app.jar\""), "\"C:\\jdk" + kSep +
                                                  "bin\\java.exe\" -cp \"app.jar\" -Dtemp.dir=\"" +
                                                  tmp + "\"    MainClass");
}

TEST_F(LaunchScriptTest, ClassPathTakesItsContributionsInOrderWithoutEmptyItems) {
    // Nothing at all: no option, no empty items.
    EXPECT_EQ(expand("%CP%()"), "");
    // Only the archive: no empty -cp:p and -cp:a items around it.
    EXPECT_EQ(expand("%CP%()", "\"app.jar\""), "-cp \"app.jar\"");

    side(".cp1", "one\r\n\n  two  \n");
    side(".cp", "three\n");
    side(".cp2", "\nfour\n");
    jvmDoc.setValue("JVM_CLASSPATH", "jvm.jar");
    wiz::runSettings().classpathPrepend = "pre";
    wiz::runSettings().classpathAppend = "post";
    EXPECT_EQ(expand("%CP%(\"arg1\", \"arg2\")", "\"app.jar\""),
              "-cp \"pre\";one;two;jvm.jar;three;arg1;arg2;\"app.jar\";four;\"post\"");
}

TEST_F(LaunchScriptTest, ClassPathInAnEnvironmentVariable) {
    jvmDoc.setValue("USE_CP_ENV_VAR", "1");
    jvmDoc.setValue("CP_ENV_VAR", "WIZTEST_CP");
    wiz::unsetEnvironmentText("WIZTEST_CP");
    EXPECT_EQ(expand("java %CP%(\"\"\"a b.jar\"\"\") Main", "\"app.jar\""), "java  Main");
    EXPECT_EQ(wiz::getEnvironmentText("WIZTEST_CP"), "a b.jar;app.jar");
    EXPECT_NE(log().find("Set env var WIZTEST_CP to a b.jar;app.jar\n"), std::string::npos);
    // The -cp:p and -cp:a items are quoted for a command line, never in the variable.
    wiz::runSettings().classpathPrepend = "pre dir";
    wiz::runSettings().classpathAppend = "post.jar";
    EXPECT_EQ(expand("java %CP%() Main", "\"app.jar\""), "java  Main");
    EXPECT_EQ(wiz::getEnvironmentText("WIZTEST_CP"), "pre dir;app.jar;post.jar");
    wiz::unsetEnvironmentText("WIZTEST_CP");

    jvmDoc.removeTag("CP_ENV_VAR");
    EXPECT_EQ(expand("%CP%()", "\"app.jar\""), "");
    EXPECT_NE(log().find("ERROR: If USE_CP_ENV_VAR is set to 1 in the jvm file, then the jvm "
                         "file should also define CP_ENV_VAR."),
              std::string::npos);
}

TEST_F(LaunchScriptTest, Functions) {
    wiz::setEnvironmentText("WIZTEST_VALUE", "v");
    side(".sp", "a=1\nnot a property\nb=x@MAX_JAVA_HEAP@\n");
    side(".ja", "-Dz=@JVM_HOME@\n\n-Xss1m -ea\n");
    const std::string dirName = dir.path().string();
    struct Case {
        std::string command;
        std::string expected;
    } cases[] = {
        {"no tokens at all", "no tokens at all"},
        {"%SYSTEMPROP%(\"p\", \"@MAX_JAVA_HEAP@1\")", "-Dp=-Xmx1"},
        {"%RUNTIME_SYSTEMPROP%()", "-Da=1 -Db=x-Xmx"},
        {"%RUNTIME_JAVAARGS%()", "-Dz=C:\\jdk -Xss1m -ea"},
        {"%IF_EXISTS%(\"MISSING\", \"x\")", ""},
        {"%REPLACE%(\"a\", \"@MAX_JAVA_HEAP@\", \"banana\")", "b-Xmxn-Xmxn-Xmx"},
        {"%REPLACE%(\"an\", \"anan\", \"banana\")", "banananana"},
        {"%REPLACE%(\"\", \"x\", \"banana\")", "banana"},
        {"%LAUNCHER_FILE%()", launcher},
        {"%LAUNCHER_DIR%()", dirName},
        {"#WIZTEST_VALUE#/#WIZTEST_UNSET_VARIABLE#", "v/"},
        {"100%% done", "100% done"},
        {"%SYSTEMPROP%(\"x\", \"y\")%%", "-Dx=y%"},
        {"@@", "@"},
        {"%CP%(\"a\"", "-cp a"},
        {"%SYSTEMPROP%(\"t\", \"%LAUNCHER_FILE%()\")", "-Dt=" + launcher},
    };
    wiz::unsetEnvironmentText("WIZTEST_UNSET_VARIABLE");
    for (const Case& c : cases) EXPECT_EQ(expand(c.command), c.expected) << c.command;

    jvmDoc.setValue("REQ_JAVA_ARGS", "-server");
    EXPECT_EQ(expand("%RUNTIME_JAVAARGS%()"), "-Dz=C:\\jdk -Xss1m -ea -server");
    jvmDoc.setValue("JVM_HOME", LString("C:\\jdk" + kSep));
    EXPECT_EQ(expand("@JVM_HOME@|@CLASSPATH@|@NOT_THERE@"), "C:\\jdk|-cp |");
    wiz::unsetEnvironmentText("WIZTEST_VALUE");
}

// The arguments the program gets from a command line.
std::vector<std::string> argv(const std::string& commandLine) {
    const wiz::StringList split = wiz::splitCommandLine(LString(commandLine));
    std::vector<std::string> args;
    for (int32_t i = 0; i < split.count(); ++i) args.push_back(split.at(i).str());
    return args;
}

TEST_F(LaunchScriptTest, InsertedValuesAreNeverReadAsTokensAndReachTheProgramAsTheyAre) {
    // Each of these names used to make the expansion read a token inside a path: another program
    // ran, or the script failed.
    const std::string odd = "#PATH#@JVM_EXE@%TEMP_DIR%()%lone##";
    // Only a POSIX path can hold a double quote; the home is not looked at on disk.
    const std::string home = dir.file("h\"" + odd);
    jvmDoc.setValue("JVM_HOME", LString(home + kSep));
    std::filesystem::create_directories(dir.path() / ("t@" + odd));
    const std::string temp = dir.file("t@" + odd);
    wiz::tempFiles().directory = LString(temp + kSep);
    std::filesystem::create_directories(dir.path() / ("l%" + odd));
    const std::string launcherDir = dir.file("l%" + odd);
    wiz::runSettings().origLauncherPath = LString(launcherDir + kSep + "setup.exe");
    wiz::setEnvironmentText("WIZTEST_VALUE", "v");
    dir.write("l%" + odd + kSep + "setup.ja", "-Dz=@JVM_HOME@\n");

    const std::string java = home + kSep + "bin\\java.exe";
    struct Case {
        std::string command;
        std::vector<std::string> args;
    } cases[] = {
        {"\"@JVM_HOME@" + kSep + "@JVM_EXE@\" Main", {java, "Main"}},
        // The author's own tokens around the inserted values still expand.
        {"java %SYSTEMPROP%(\"h\", \"@JVM_HOME@\") @MAX_JAVA_HEAP@1m #WIZTEST_VALUE# 100%%",
         {"java", "-Dh=" + home, "-Xmx1m", "v", "100%"}},
        {"java %CP%(\"\"\"@JVM_HOME@\"\"\") Main", {"java", "-cp", home, "Main"}},
        {"java \"-Dt=%TEMP_DIR%()\" %SYSTEMPROP%(\"d\", \"\"\"%LAUNCHER_DIR%()\"\"\")",
         {"java", "-Dt=" + temp, "-Dd=" + launcherDir}},
        {"java %IF_EXISTS%(\"MAX_JAVA_HEAP\", \"-Dh=@JVM_HOME@\") %RUNTIME_JAVAARGS%()",
         {"java", "-Dh=" + home, "-Dz=" + home}},
        // REPLACE works on the author's text and leaves an inserted value alone.
        {"java %REPLACE%(\"#\", \"X\", \"a#@JVM_HOME@#b\")", {"java", "aX" + home + "Xb"}},
    };
    for (const Case& c : cases) {
        const std::string line = expand(c.command);
        EXPECT_EQ(argv(line), c.args) << c.command << "\n -> " << line;
    }
    wiz::unsetEnvironmentText("WIZTEST_VALUE");

    // The class path of environment-variable mode, brought back by the author's "#" token.
    jvmDoc.setValue("USE_CP_ENV_VAR", "1");
    jvmDoc.setValue("CP_ENV_VAR", "WIZTEST_CP");
    EXPECT_EQ(argv(expand("java %CP%() -cp \"#WIZTEST_CP#\" Main", "\"%TEMP_DIR%()\"")),
              (std::vector<std::string>{"java", "-cp", temp, "Main"}));
    wiz::unsetEnvironmentText("WIZTEST_CP");

    // A program path with a double quote and a blank cannot be written on a command line.
    jvmDoc.setValue("JVM_HOME", "C:\\a \"b");
    EXPECT_EQ(expand("\"@JVM_HOME@\\java\" x"),
              "error: Cannot start C:\\a \"b\\java: a program path that holds a double quote "
              "cannot also hold a blank on a command line.");
}

TEST_F(LaunchScriptTest, ScriptErrorsNameTheProblemAndLogTheText) {
    struct Case {
        std::string command;
        std::string message;
    } cases[] = {
        {"50%% of %CP%()", "Invalid function name (% of )."},
        {"%NOPE%()", "Invalid function name (NOPE)."},
        {"%cp%()", "Invalid function name (cp)."},
        {"%CP%", "Expected left parenthesis. (near character 4)"},
        {"x %CP% y", "Expected left parenthesis. (near character 6)"},
        {"%CP%(", "Expected string arg. (near character 5)"},
        {"%CP%(x)", "Expected string arg. (near character 5)"},
        {"%CP%( \"a\" \"b\")", "Expected right parenthesis. (near character 9)"},
        {"%CP%(\"a\", ", "Expected string arg. (near character 9)"},
        {"%CP%(\"a\" x", "Expected right parenthesis. (near character 8)"},
        {"%SYSTEMPROP%(\"a\")", "SYSTEMPROP function requires 2 arguments."},
        {"%RUNTIME_SYSTEMPROP%(\"a\")", "RUNTIME_SYSTEMPROP function takes no arguments."},
        {"%RUNTIME_JAVAARGS%(\"a\")", "RUNTIME_JAVAARGS function takes no arguments."},
        {"%IF_EXISTS%(\"a\", \"b\", \"c\")", "IF_EXISTS function requires 2 arguments."},
        {"%REPLACE%(\"a\", \"b\")", "REPLACE function requires 3 arguments."},
        {"%LAUNCHER_FILE%(\"a\")", "LAUNCHER_FILE function takes 0 arguments."},
        {"%LAUNCHER_DIR%(\"a\")", "LAUNCHER_DIR function takes 0 arguments."},
        {"%APPLICATION_ARCHIVE%(\"a\", \"b\")", "APPLICATION_ARCHIVE function takes 0 arguments."},
        {"%TEMP_DIR%(\"a\")", "TEMP_DIR function takes 0 arguments."},
    };
    for (const Case& c : cases) {
        dir.write("run.log", "");
        EXPECT_EQ(expand(c.command), "error: Launch script error: " + c.message) << c.command;
        EXPECT_EQ(log().substr(0, 16), "Launch command:\n") << c.command;
    }
    // The text as it stood when the error was found: the first call already expanded.
    dir.write("run.log", "");
    expand("%LAUNCHER_FILE%() %BAD%()");
    EXPECT_EQ(log(), "Launch command:\n" + launcher + " %BAD%()\n");
    // An argument without its closing quote fails as the tokenizer says, without the frame.
    dir.write("run.log", "");
    EXPECT_EQ(expand("%CP%(\"abc"), "error: Expected double quote to end argument near 6");
    EXPECT_EQ(log(), "");
}

TEST_F(LaunchScriptTest, SelfReferringValuesEndWithAScriptError) {
    struct Case {
        std::string value;
    } cases[] = {{"#WIZTEST_LOOP#"}, {"x#WIZTEST_LOOP#y#WIZTEST_LOOP#"}};
    for (const Case& c : cases) {
        wiz::setEnvironmentText("WIZTEST_LOOP", LString(c.value));
        const std::string result = expand("java #WIZTEST_LOOP#");
        EXPECT_EQ(result.rfind("error: Launch script error: The # tokens do not end", 0), 0u)
            << result.substr(0, 200);
    }
    jvmDoc.setValue("SELF", "@SELF@@SELF@");
    EXPECT_EQ(expand("@SELF@").rfind("error: Launch script error: The @ tokens do not end", 0), 0u);
    wiz::unsetEnvironmentText("WIZTEST_LOOP");
}

TEST_F(LaunchScriptTest, ApplicationArchiveIsWrittenOnceAndKept) {
    dir.write("setup.exe", wiztest::packLauncher({{6, 1, "first.jar", "first"},
                                                  {3, 2, "lib.jar", "library"},
                                                  {6, 3, "app.jar", "application"}}));
    wiz::fileIndex().load(false);
    const std::string first = expand("%APPLICATION_ARCHIVE%()");
    EXPECT_EQ(wiztest::TempDir::read(first), "application") << "the last archive wins";
    EXPECT_EQ(first.substr(first.size() - 8), kSep + "app.jar");
    const int32_t directories = wiz::tempFiles().directories.count();
    EXPECT_EQ(expand("%APPLICATION_ARCHIVE%()"), first);
    EXPECT_EQ(expand("%APPLICATION_ARCHIVE%(\"other.jar\")"), first);
    EXPECT_EQ(wiz::tempFiles().directories.count(), directories) << "nothing extracted again";

    // The class-path files are extracted into one new directory per class path.
    const std::string cp = expand("%CP%()");
    ASSERT_EQ(cp.substr(0, 5), "-cp \"");
    EXPECT_EQ(wiztest::TempDir::read(cp.substr(5, cp.size() - 6)), "library");
}

TEST_F(LaunchScriptTest, ApplicationArchiveCopiedFromBesideTheLauncher) {
    std::filesystem::create_directory(dir.path() / "lib");
    dir.write("lib" + kSep + "wizard.jar", "copied bytes");
    EXPECT_EQ(expand("%APPLICATION_ARCHIVE%(\"missing.jar\")"), "") << "nothing to copy";
    const std::string copy = expand("%APPLICATION_ARCHIVE%(\"lib/wizard.jar\")");
    EXPECT_EQ(copy.substr(0, tempDir.size()), tempDir);
    EXPECT_EQ(copy.substr(copy.size() - 11), kSep + "wizard.jar");
    EXPECT_EQ(wiztest::TempDir::read(copy), "copied bytes");
    EXPECT_EQ(expand("%APPLICATION_ARCHIVE%()"), copy);
}

TEST(SideFiles, AreNamedAfterTheOriginalLauncher) {
    wiz::RunSettings saved = std::move(wiz::runSettings());
    struct Case {
        const char* launcher;
        const char* expected;
    } cases[] = {
        {"C:\\dir\\setup.exe", "C:\\dir\\setup.cp"},
        {"/opt/dir/setup", "/opt/dir/setup.cp"},
        {"C:\\dir.d\\setup", "C:\\dir.d\\setup.cp"},
        {"setup.exe", "setup.exe.cp"},
    };
    for (const Case& c : cases) {
        wiz::runSettings().origLauncherPath = c.launcher;
        EXPECT_EQ(wiz::sideFile(".cp"), c.expected) << c.launcher;
    }
    wiz::runSettings() = std::move(saved);
}

TEST_F(LaunchScriptTest, ValuesThatHoldTheirOwnTokenStopAfterBoundedWork) {
    // A value that holds its own token near its start makes every resolution rewrite the whole
    // growing text; the work bound ends it long before the 8 MB bound would (many seconds), which
    // ends it with another message.
    const std::string padding(1000, 'x');
    jvmDoc.setValue("LOOP", LString("@LOOP@" + padding));
    wiz::setEnvironmentText("WIZTEST_LOOP", LString("#WIZTEST_LOOP#" + padding));
    side(".cp1", "%CP%()" + padding + "\n");
    const struct Case {
        const char* command;
        char delimiter;
    } cases[] = {{"@LOOP@", '@'}, {"#WIZTEST_LOOP#", '#'}, {"java %CP%() Main", '%'}};
    for (const Case& c : cases) {
        const std::string result = expand(c.command);
        EXPECT_EQ(result.rfind(std::string("error: Launch script error: The ") + c.delimiter +
                                   " tokens do not end: a value holds its own token again.",
                               0),
                  0u)
            << result.substr(0, 200);
    }
    wiz::unsetEnvironmentText("WIZTEST_LOOP");
}

TEST_F(LaunchScriptTest, NestedExpansionsShareTheBoundsOfTheirExpansion) {
    // Each RUNTIME_JAVAARGS expands the "@" tags of the side file's line, 2500 of them, and its
    // result calls RUNTIME_JAVAARGS again. With bounds of their own the nested expansions stayed
    // within them while the outer one went on for 10000 calls (many minutes); sharing the outer
    // expansion's bounds ends it after a few calls.
    jvmDoc.setValue("EMPTY", "");
    std::string line = "%RUNTIME_JAVAARGS%()";
    for (int i = 0; i < 2500; ++i) line += "@EMPTY@";
    side(".ja", line + "\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(expand("java %RUNTIME_JAVAARGS%() Main"),
              "error: Launch script error: The @ tokens do not end: a value holds its own token "
              "again.");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
}

TEST_F(LaunchScriptTest, AnArchiveThatCallsTheClassPathEndsWithAScriptError) {
    // CP expands ARCHIVE, whose CP expands ARCHIVE again: the nesting used to go on until the
    // stack overflowed.
    EXPECT_EQ(expand("java %CP%() Main", "\"%CP%()\""),
              "error: Launch script error: The % tokens do not end: a value holds its own token "
              "again.");
    // One level of nesting is the usual case: the archive's own function.
    EXPECT_EQ(expand("%CP%()", "\"%LAUNCHER_FILE%()\""), "-cp \"" + launcher + "\"");
}

TEST_F(LaunchScriptTest, SideFilesReadAgainAndAgainCountAgainstTheBounds) {
    // A large side file whose one property calls RUNTIME_SYSTEMPROP again is read once per call:
    // 10000 reads of 256 KB took half a minute before the token bound ended them.
    std::string properties;
    for (int i = 0; i < 4096; ++i) properties += std::string(63, 'j') + "\n";
    side(".sp", properties + "a=%RUNTIME_SYSTEMPROP%()\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(expand("java %RUNTIME_SYSTEMPROP%() Main"),
              "error: Launch script error: The % tokens do not end: a value holds its own token "
              "again.");
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
}

TEST_F(LaunchScriptTest, ReplaceTakesTimeLinearInItsResult) {
    // The outer call turns 3000 "a" into 768000 "c" inside the inner call, whose 768000
    // replacements used to move the rest of the subject each time (many seconds of work).
    const auto argument = [](const std::string& text) {
        std::string quoted = "\"";
        for (char c : text) quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
        return quoted + "\"";
    };
    const std::string inner = "%REPLACE%(" + argument("c") + ", " + argument("dd") + ", " +
                              argument(std::string(3000, 'a')) + ")";
    const std::string outer = "%REPLACE%(" + argument("a") + ", " +
                              argument(std::string(256, 'c')) + ", " + argument(inner) + ")";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(expand(outer), std::string(1536000, 'd'));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(3));

    // A result beyond 8 MB is refused before it is built.
    const std::string huge = "%REPLACE%(" + argument("a") + ", " +
                             argument(std::string(8192, 'b')) + ", " +
                             argument(std::string(2000, 'a')) + ")";
    EXPECT_EQ(expand(huge),
              "error: Launch script error: The REPLACE function's result grew "
              "beyond 8 MB.");
}

}  // namespace

// The check before packing reads the template as expansion does, calls inside arguments
// included, and reports the launcher's own message.
TEST(LaunchScriptCheck, UnknownFunctionsAndUnbalancedParentheses) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"java %CP%() Main", ""},
        {"java %SYSTEMPROP%(\"a\", \"%CP%()\") Main", ""},
        {"java %NOPE%() Main", "Launch script error: Invalid function name (NOPE)."},
        {"java %CP%(\"a\" Main", "Launch script error: Expected right parenthesis."},
        {"", "no COMMAND"},
    };
    for (const auto& c : cases) {
        wiz::TagDocument document;
        if (!c.first.empty()) document.setValue("COMMAND", c.first.c_str());
        wiz::DocumentProblems problems;
        wiz::checkLaunchScript(document, problems);
        const std::string first = problems.all().empty() ? "" : problems.all()[0].message.str();
        EXPECT_EQ(first.substr(0, c.second.size()), c.second) << c.first;
        EXPECT_EQ(problems.all().empty(), c.second.empty()) << c.first << ": " << first;
    }
}
