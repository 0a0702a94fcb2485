// The pure parts of the JVM discovery: the check of the verification output, the order of
// versioned names, the expansion of a path wildcard, the comparison of homes, and the
// verification command.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "jvm/jvm_descriptor.h"
#include "jvm/version_order.h"
#include "launch/command_line_split.h"
#include "platform/environment.h"
#include "platform/path.h"
#include "services/log.h"
#include "services/settings.h"
#include "support/temp_dir.h"

namespace {

using wiz::LString;

bool check(const std::string& output, const std::vector<std::string>& expected) {
    wiz::VerificationRequest request;
    for (const std::string& e : expected) {
        auto r = std::make_unique<wiz::PropertyRequirement>();
        r->name = "p";
        r->expected = LString(e);
        request.requirements.appendOwned(std::move(r));
    }
    return wiz::JvmDescriptor::checkVerifyOutput(LString(output), request);
}

TEST(CheckVerifyOutput, MagicLineThenTheValuesInOrder) {
    struct Case {
        std::string output;
        std::vector<std::string> expected;
        bool verified;
    } cases[] = {
        {"1739021872\nAcme\n17.0.2\n", {"Acme", "17.0.2"}, true},
        {"noise\r\n  1739021872 \r\n\tAcme  \r\n17.0.2", {"Acme", "17.0.2"}, true},
        {"1739021872\nAcme\n17.0.2\n", {"17.0.2", "Acme"}, false},
        {"1739021872\nAcme Corporation Ltd\n", {"Acme Corporation"}, false},
        {"1739021872\nacme corporation\n", {"Acme Corporation"}, false},
        {"1739021872\nSun Microsystems Inc.\n", {"Sun Microsystems..."}, true},
        {"1739021872\n1.5.0_06\n", {"1.5...."}, true},
        {"1739021872\n1.50\n", {"1.5...."}, false},
        {"1739021872\n1.5\n", {"1.5...."}, false},  // shorter than the prefix
        {"1739021872\nanything\n", {"..."}, true},
        // The text ends after the magic line: whatever is required, nothing is compared.
        {"1739021872\n", {"Acme"}, true},
        {"1739021872", {"Acme", "17"}, true},
        // Lines after the last requirement are ignored.
        {"1739021872\nAcme\nmore\n", {"Acme"}, true},
        {"", {}, false},
        {"1739021871\nAcme\n", {}, false},
        {"Error: could not find the main class\n", {"Acme"}, false},
    };
    for (const Case& c : cases) EXPECT_EQ(check(c.output, c.expected), c.verified) << c.output;
}

TEST(VersionOrder, NumbersCompareByValue) {
    struct Case {
        const char* a;
        const char* b;
        int sign;
    } cases[] = {
        {"17.0.10", "17.0.9", 1}, {"jdk-21", "jdk-8", 1}, {"1.8.0_392", "1.8.0_45", 1},
        {"11", "11", 0},          {"011", "11", 0},       {"jdk-17", "jdk-17.0.1", -1},
        {"zulu17", "jdk17", 1},   {"", "1", -1},          {"17.0.10+7", "17.0.10+11", -1},
    };
    for (const Case& c : cases) {
        const int r = wiz::compareVersionNames(c.a, c.b);
        EXPECT_EQ((r > 0) - (r < 0), c.sign) << c.a << " vs " << c.b;
    }
    wiz::StringList names;
    for (const char* n : {"jdk-8", "jdk-17.0.9", "jdk-21.0.1", "jdk-17.0.10", "jdk-11"}) {
        names.append(n);
    }
    wiz::sortNewestFirst(names);
    std::vector<std::string> sorted;
    for (int32_t i = 0; i < names.count(); ++i) sorted.push_back(names.at(i).str());
    EXPECT_EQ(sorted, (std::vector<std::string>{"jdk-21.0.1", "jdk-17.0.10", "jdk-17.0.9", "jdk-11",
                                                "jdk-8"}));
}

TEST(PathWildcard, FinalStarMatchesDirectoriesNewestFirst) {
    wiztest::TempDir dir;
    for (const char* d : {"jdk-17.0.2", "jdk-17.0.10", "jdk-11", "jre-17", "other"}) {
        std::filesystem::create_directory(dir.path() / d);
    }
    dir.write("jdk-21.txt", "a file, not a directory");
    const std::string base = dir.path().string() + wiz::kPathSeparator;

    wiz::StringList candidates;
    wiz::expandPathWildcard(LString(base + "jdk-17*"), candidates);
    std::vector<std::string> got;
    for (int32_t i = 0; i < candidates.count(); ++i) got.push_back(candidates.at(i).str());
    EXPECT_EQ(got, (std::vector<std::string>{base + "jdk-17.0.10", base + "jdk-17.0.2"}));

    candidates.clear();
    wiz::expandPathWildcard(LString(base + "jdk*"), candidates);
    EXPECT_EQ(candidates.count(), 3);
    EXPECT_EQ(candidates.at(0).str(), base + "jdk-17.0.10");

    // Without a final star the candidate stands for itself, existing or not.
    candidates.clear();
    wiz::expandPathWildcard(LString(base + "missing"), candidates);
    ASSERT_EQ(candidates.count(), 1);
    EXPECT_EQ(candidates.at(0).str(), base + "missing");

    candidates.clear();
    wiz::expandPathWildcard(LString(base + "nothing*"), candidates);
    EXPECT_EQ(candidates.count(), 0);
}

TEST(SamePath, TrailingSeparatorsDoNotCountNorCaseWhereTheSystemIgnoresIt) {
    const std::string s(1, wiz::kPathSeparator);
    struct Case {
        std::string a;
        std::string b;
        bool same;
    } cases[] = {
        {s + "jdk", s + "jdk" + s, true},
        {s + "jdk" + s + s, s + "jdk", true},
        {s + "jdk", s + "jdk2", false},
        {s + "jdk" + s + "x", s + "jdk", false},
        {s, s, true},
        {s + "JDK", s + "jdk", wiz::kPathsIgnoreCase},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wiz::samePath(LString(c.a), LString(c.b)), c.same) << c.a << " / " << c.b;
    }
}

// A descriptor and the run's settings of a verification, with a log.
class VerificationTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedSettings_ = std::move(wiz::runSettings());
        savedLog_ = wiz::logState();
        wiz::runSettings() = wiz::RunSettings();
        wiz::runSettings().launcherPath = LString(dir.file("setup.exe"));
        wiz::runSettings().origLauncherPath = wiz::runSettings().launcherPath;
        wiz::logState() = wiz::LogState();
        wiz::logState().filePath = LString(dir.file("run.log"));
        wiz::logState().separatorWritten = true;
        document.setValue("JVM_EXE", LString("bin" + sep + "java"));
        document.setValue("CLASSPATH", "-cp ");
        document.addValue("JVM_PROPERTIES", "java.version=17...");
        document.addValue("JVM_PROPERTIES", "java.vendor = Acme");
    }
    void TearDown() override {
        wiz::runSettings() = std::move(savedSettings_);
        wiz::logState() = savedLog_;
    }

    // The arguments of the verification run for `home` with the class path `classPath`.
    std::vector<std::string> verificationArgs(const std::string& home,
                                              const std::string& classPath) {
        wiz::JvmDescriptor descriptor(document);
        wiz::VerificationRequest request;
        const auto script =
            descriptor.verificationScript(LString(home), LString(classPath), "\"Verify\"", request);
        const wiz::StringList split = wiz::splitCommandLine(script->expand(descriptor));
        std::vector<std::string> args;
        for (int32_t i = 0; i < split.count(); ++i) args.push_back(split.at(i).str());
        return args;
    }
    std::string log() const { return wiztest::TempDir::read(dir.file("run.log")); }

    const std::string sep = std::string(1, wiz::kPathSeparator);
    wiztest::TempDir dir;
    wiz::TagDocument document;

private:
    wiz::RunSettings savedSettings_;
    wiz::LogState savedLog_;
};

TEST_F(VerificationTest, TheClassPathInEachFormOfTheInputDocumentAndOddPathsAsTheyAre) {
    const std::string jar = dir.file("tools@work 100%" + sep + "Verify #1.jar");
    const std::string home = dir.file("jdk@JVM_EXE@%TEMP_DIR%()#PATH#");
    const std::vector<std::string> expected = {
        home + sep + "bin" + sep + "java", "-cp", jar, "Verify", "java.version", "java.vendor"};
    // As written in an input document: plain, in quotes, in doubled quotes.
    for (const std::string& written : {jar, "\"" + jar + "\"", "\"\"\"" + jar + "\"\"\""}) {
        wiz::TagDocument input;
        const std::string path = dir.write("in.tag", "VERIFY_CLASSPATH: " + written + "\n");
        input.loadFile(LString(path));
        EXPECT_EQ(verificationArgs(home, input.getValue("VERIFY_CLASSPATH").str()), expected)
            << written;
    }
    // The home with a separator at its end gives the same program.
    EXPECT_EQ(verificationArgs(home + sep, "\"" + jar + "\""), expected);
}

TEST_F(VerificationTest, InEnvironmentVariableModeTheClassPathGoesWhereJavaReadsIt) {
    document.setValue("USE_CP_ENV_VAR", "1");
    document.setValue("CP_ENV_VAR", "WIZTEST_CP");
    LString saved;
    const bool wasSet = wiz::findEnvironmentText("CLASSPATH", saved);
    wiz::unsetEnvironmentText("WIZTEST_CP");
    EXPECT_EQ(verificationArgs(dir.file("jdk"), "\"" + dir.file("v@1.jar") + "\""),
              (std::vector<std::string>{dir.file("jdk") + sep + "bin" + sep + "java", "Verify",
                                        "java.version", "java.vendor"}));
    // (Outside a launch the variable stays set; a launch puts it back.)
    EXPECT_EQ(wiz::getEnvironmentText("CLASSPATH").str(), dir.file("v@1.jar"));
    EXPECT_EQ(wiz::getEnvironmentText("WIZTEST_CP").str(), "");
    if (wasSet) {
        wiz::setEnvironmentText("CLASSPATH", saved);
    } else {
        wiz::unsetEnvironmentText("CLASSPATH");
    }
}

TEST_F(VerificationTest, AJavaThatCannotStartIsSkippedAndTheDescriptorsFlawsAreNamed) {
    const std::string file = dir.write("flawed.jvm",
                                       "DESC: Flawed\nJVM_EXE: java\nJVM_PROPERTIES:\n"
                                       "  java.version=17...\n  no equals sign\n/:\n");
    wiz::TagDocument flawed;
    flawed.loadFile(LString(file));
    wiz::JvmDescriptor descriptor(flawed);
    // A file that is no program for this system.
    const std::string home = dir.file("broken");
    std::filesystem::create_directory(home);
    dir.write("broken" + sep + "java", "not a program");
    for (int run = 0; run < 2; ++run) {
        EXPECT_FALSE(descriptor.runVerification(LString(home), "\"v.jar\"", "\"Verify\""));
    }
    const std::string text = log();
    EXPECT_NE(text.find("WARNING: Skipping JVM at " + home + ": CreateProcess failed  ==>  "),
              std::string::npos)
        << text;
    const std::string noClassPath = "JVM File " + file + " has no CLASSPATH tag";
    EXPECT_NE(text.find(noClassPath), std::string::npos) << text;
    EXPECT_EQ(text.find(noClassPath), text.rfind(noClassPath)) << "warned once";
    EXPECT_NE(text.find("Invalid JVM_PROPERTIES setting (no equals sign) in JVM File " + file),
              std::string::npos)
        << text;
}

TEST_F(VerificationTest, AMissingMagicLineIsLoggedWithTheLastLineRead) {
    const struct {
        std::string output;
        std::string logged;
    } cases[] = {
        {"", "ERROR: Invalid magic value: \n\n"},
        {"Error: could not find the main class\r\n  Caused by: x  \n",
         "ERROR: Invalid magic value: Caused by: x\n\n"},
        {"bell\a\n", "ERROR: Invalid magic value: bell\\x07\n\n"},
    };
    for (const auto& c : cases) {
        std::filesystem::remove(dir.file("run.log"));
        EXPECT_FALSE(check(c.output, {"Acme"}));
        // (The log is a text file: CR LF on Windows.)
        std::string text = log();
        text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
        EXPECT_EQ(text, c.logged) << c.output;
    }
}

TEST_F(VerificationTest, AHomeIsTriedOncePerSearchWhateverItsTrailingSeparator) {
    wiz::JvmDescriptor descriptor(document);
    const std::string home = dir.file("nothing-here");
    EXPECT_FALSE(descriptor.verifyAt(LString(home), "", ""));
    EXPECT_FALSE(descriptor.verifyAt(LString(home + sep), "", ""));
    EXPECT_NE(log().find("JVM at " + home + sep + " already tried for JVM: "), std::string::npos)
        << log();
    descriptor.forgetTriedHomes();
    EXPECT_FALSE(descriptor.wasTried(LString(home)));
}

}  // namespace

// The check before packing: a descriptor names its runtime and java program, and every
// JVM_PROPERTIES entry is NAME=VALUE, a version range is sound; a JVM file (with JVM_HOME)
// needs neither name.
TEST(JvmDescriptorCheck, RefusesWhatTheLauncherCannotUse) {
    struct Case {
        std::vector<std::pair<const char*, const char*>> values;
        std::vector<std::string> errors;  // the start of each error
    };
    const std::vector<Case> cases = {
        {{{"DESC", "Java 17"}, {"JVM_EXE", "bin/java"}, {"JVM_PROPERTIES", "java.version=17..."}},
         {}},
        {{{"JVM_EXE", "bin/java"}, {"JVM_PROPERTIES", "java.version"}},
         {"no DESC", "Invalid JVM_PROPERTIES setting (java.version)"}},
        {{{"DESC", "Java 17"}}, {"no JVM_EXE"}},
        {{{"JVM_HOME", "/opt/jdk"}}, {}},
        {{{"DESC", "Java 17"}, {"JVM_EXE", "bin/java"}, {"JVM_MIN_VERSION", "17"}}, {}},
        {{{"DESC", "Java 17"}, {"JVM_EXE", "bin/java"}, {"JVM_MIN_VERSION", "seventeen"}},
         {"JVM_MIN_VERSION must be a whole number"}},
        {{{"DESC", "Java 17"},
          {"JVM_EXE", "bin/java"},
          {"JVM_MIN_VERSION", "21"},
          {"JVM_MAX_VERSION", "17"}},
         {"JVM_MIN_VERSION (21) is above JVM_MAX_VERSION (17)"}},
    };
    for (const Case& c : cases) {
        wiz::TagDocument document;
        for (const auto& v : c.values) document.addValue(v.first, v.second);
        wiz::DocumentProblems problems;
        wiz::checkJvmDescriptor(document, problems);
        std::vector<std::string> errors;
        for (const wiz::DocumentProblem& p : problems.all())
            if (!p.warning) errors.push_back(p.message.str());
        ASSERT_EQ(errors.size(), c.errors.size()) << (errors.empty() ? "" : errors[0]);
        for (size_t i = 0; i < errors.size(); ++i)
            EXPECT_EQ(errors[i].rfind(c.errors[i], 0), 0u) << errors[i];
    }
}
