// Platform hints: how a hint splits, which hive names are known, and what a hint that names
// nothing leaves in the log. Hints against real registry values are run by a script under Wine.
#include "platform/registry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/exceptions.h"
#include "jvm/platform_hint.h"
#include "services/log.h"
#include "services/messages.h"
#include "support/temp_dir.h"

namespace {

using wiz::LString;

TEST(PlatformHint, SplitsIntoHiveKeyAndValue) {
    const struct {
        const char* hint;
        const char* hive;
        const char* key;
        const char* value;
        const char* keyAndValue;
    } cases[] = {
        {"\\HKEY_LOCAL_MACHINE\\SOFTWARE\\JavaSoft\\JRE\\1.4\\JavaHome", "HKEY_LOCAL_MACHINE",
         "SOFTWARE\\JavaSoft\\JRE\\1.4", "JavaHome", "SOFTWARE\\JavaSoft\\JRE\\1.4\\JavaHome"},
        {"HKEY_LOCAL_MACHINE\\SOFTWARE\\X\\Home", "HKEY_LOCAL_MACHINE", "SOFTWARE\\X", "Home",
         "SOFTWARE\\X\\Home"},
        {"\\HKEY_CURRENT_USER\\Home", "HKEY_CURRENT_USER", "", "Home", "Home"},
        {"\\HKEY_USERS\\", "HKEY_USERS", "", "", ""},
        {"\\HKEY_USERS\\Key\\", "HKEY_USERS", "Key", "", "Key\\"},
        {"\\HKLM\\SOFTWARE\\X\\Home", "HKLM", "SOFTWARE\\X", "Home", "SOFTWARE\\X\\Home"},
        // No backslash after the hive position: every part is empty.
        {"HKEY_LOCAL_MACHINE", "", "", "", ""},
        {"\\HKEY_LOCAL_MACHINE", "", "", "", ""},
        {"\\", "", "", "", ""},
        {"\\\\Key\\Value", "", "Key", "Value", "Key\\Value"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hint);
        wiz::PlatformHintParts p = wiz::splitPlatformHint(c.hint);
        EXPECT_EQ(p.hive, c.hive);
        EXPECT_EQ(p.keyPath, c.key);
        EXPECT_EQ(p.valueName, c.value);
        EXPECT_EQ(p.keyAndValue, c.keyAndValue);
    }
}

TEST(PlatformHint, KnowsExactlyTheFiveHives) {
    EXPECT_EQ(wiz::findRegistryHive("HKEY_LOCAL_MACHINE"), wiz::kHiveLocalMachine);
    EXPECT_EQ(wiz::findRegistryHive("HKEY_CURRENT_USER"), wiz::kHiveCurrentUser);
    EXPECT_EQ(wiz::findRegistryHive("HKEY_USERS"), wiz::kHiveUsers);
    EXPECT_EQ(wiz::findRegistryHive("HKEY_CLASSES_ROOT"), wiz::kHiveClassesRoot);
    EXPECT_EQ(wiz::findRegistryHive("HKEY_CURRENT_CONFIG"), wiz::kHiveCurrentConfig);
    for (const char* name : {"HKLM", "hkey_local_machine", "HKEY_LOCAL_MACHINE ", ""}) {
        EXPECT_EQ(wiz::findRegistryHive(name), -1) << name;
    }
}

// Routes the log to a temporary file for one test.
class HintLog {
public:
    HintLog() : path_(dir_.file("hint.log")) {
        savedPath_ = wiz::logState().filePath;
        savedSeparator_ = wiz::logState().separatorWritten;
        wiz::logState().filePath = LString(path_);
        wiz::logState().separatorWritten = true;  // only the lines of the test itself
    }
    ~HintLog() {
        wiz::logState().filePath = savedPath_;
        wiz::logState().separatorWritten = savedSeparator_;
    }
    // Without carriage returns: the log is a text file, and system texts end with a line break.
    std::string text() const {
        std::string s = wiztest::TempDir::read(path_);
        s.erase(std::remove(s.begin(), s.end(), '\r'), s.end());
        return s;
    }

private:
    wiztest::TempDir dir_;
    std::string path_;
    LString savedPath_;
    bool savedSeparator_;
};

TEST(PlatformHint, UnknownHiveRaisesInvalidHive) {
    HintLog log;
    const struct {
        const char* hint;
        const char* message;
    } cases[] = {
        {"\\HKLM\\SOFTWARE\\X\\Home",
         "Invalid hive (HKLM) specified in platform hint (\\HKLM\\SOFTWARE\\X\\Home)."},
        {"\\hkey_local_machine\\SOFTWARE\\X\\Home",
         "Invalid hive (hkey_local_machine) specified in platform hint "
         "(\\hkey_local_machine\\SOFTWARE\\X\\Home)."},
        {"HKEY_LOCAL_MACHINE", "Invalid hive () specified in platform hint (HKEY_LOCAL_MACHINE)."},
    };
    for (const auto& c : cases) {
        wiz::StringList result;
        result.append("stale");
        try {
            wiz::resolvePlatformHint(result, c.hint);
            ADD_FAILURE() << "no exception for " << c.hint;
        } catch (const wiz::LauncherException& e) {
            EXPECT_EQ(e.message(), c.message);
        }
        EXPECT_EQ(result.count(), 0);
    }
    EXPECT_EQ(log.text(), "");
}

TEST(PlatformHint, EmptyHintGivesNothingQuietly) {
    HintLog log;
    wiz::StringList result;
    result.append("stale");
    wiz::resolvePlatformHint(result, "");
    EXPECT_EQ(result.count(), 0);
    EXPECT_EQ(log.text(), "");
}

TEST(PlatformHint, MissingKeyLogsOneWarning) {
    HintLog log;
    const std::string key = "Software\\WizlaunchTestMissing" + std::to_string(std::rand());
    wiz::StringList result;
    wiz::resolvePlatformHint(result, LString("\\HKEY_CURRENT_USER\\" + key + "\\Sub\\Home"));
    EXPECT_EQ(result.count(), 0);
    // The key cannot be opened (file not found: code 2), and the default-value form is not tried.
    std::string expected =
        "WARNING: " +
        wiz::formatStringId(wiz::StringId::InvalidPlatformHint, {wiz::registryErrorText(2)}).str() +
        "\n";
    expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
    EXPECT_EQ(log.text(), expected);
}

TEST(ToAnsi, ConvertsPlainText) {
    EXPECT_EQ(wiz::toAnsi(L"C:\\Program Files\\x.exe"), "C:\\Program Files\\x.exe");
    EXPECT_EQ(wiz::toAnsi(L""), "");
    EXPECT_EQ(wiz::toAnsi(nullptr), "");
}

}  // namespace
