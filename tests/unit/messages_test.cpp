// Message texts: the insert formatter, MessageText (loading, buffer growth, formatting and its
// failures), the named string ids, the generated string table in every language, and the choice of
// the language from the locale.
#include "services/messages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <regex>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "platform/system_error.h"
#include "services/message_format.h"
#include "services/string_table.h"

using namespace wiz;

// The text of a table entry (UTF-8) as the system's string loader gives it: the same bytes on
// POSIX, the ANSI code page's bytes on Windows (messages_*_test.cpp).
std::string systemTextOf(const char* utf8);
// The name of the java program in this system's texts: "java.exe" on Windows, "java" on POSIX.
extern const char* const kTableJavaProgram;

namespace {

const StringLanguage& englishTable() {
    const StringLanguage* english = findStringLanguage(0x09);
    EXPECT_NE(english, nullptr);
    return *english;
}

// The language whose texts the string loader returns on this system.
const StringLanguage* loadedLanguage() {
    const std::string searching = loadString(StringId::StatusSearching).str();
    const std::string chooseDir = loadString(StringId::ChooseDestination).str();
    for (int i = 0; i < kStringLanguageCount; ++i) {
        const StringLanguage& language = kStringLanguages[i];
        if (searching == systemTextOf(findString(language, 3)) &&
            chooseDir == systemTextOf(findString(language, 30)))
            return &language;
    }
    return nullptr;
}

std::string loadedText(int id) {
    const StringLanguage* language = loadedLanguage();
    EXPECT_NE(language, nullptr) << "the loaded texts belong to no language of the table";
    const char* text = language ? findString(*language, id) : nullptr;
    return text ? systemTextOf(text) : std::string();
}

std::string formatFailure(const LString& format, std::initializer_list<LString> inserts) {
    MessageText m;
    try {
        m.formatString(format, inserts);
    } catch (const LauncherException& e) {
        return e.message().str();
    }
    return "no failure, text: " + std::string(m.text());
}

// The inserts ("%1!s!", "%2") that a text uses, sorted.
std::vector<std::string> insertsOf(const std::string& text) {
    std::vector<std::string> found;
    static const std::regex insert("%[1-9][0-9]?(![^!]*!)?");
    for (std::sregex_iterator it(text.begin(), text.end(), insert), end; it != end; ++it)
        found.push_back(it->str());
    std::sort(found.begin(), found.end());
    return found;
}

}  // namespace

// ---- The insert formatter ----

struct FormatCase {
    const char* format;
    std::vector<const char*> inserts;  // at most two
    const char* expected;
};

// Formats with the portable formatter and with MessageText (the system formatter on Windows);
// returns both results.
std::pair<std::string, std::string> formatBoth(const FormatCase& c) {
    const LString a = c.inserts.size() > 0 ? c.inserts[0] : "";
    const LString b = c.inserts.size() > 1 ? c.inserts[1] : "";
    LString portable("formatInserts failed");
    MessageText m;
    switch (c.inserts.size()) {
        case 0:
            formatInserts(c.format, {}, portable);
            m.formatString(c.format, {});
            break;
        case 1:
            formatInserts(c.format, {a}, portable);
            m.formatString(c.format, {a});
            break;
        default:
            formatInserts(c.format, {a, b}, portable);
            m.formatString(c.format, {a, b});
    }
    return {portable.str(), m.text()};
}

TEST(MessageFormat, ExpandsInsertsLikeTheSystemFormatter) {
    const FormatCase cases[] = {
        {"Initializing %1!s!...", {"Setup"}, "Initializing Setup..."},
        {"Invalid hive (%1!s!) specified in platform hint (%2!s!).",
         {"HKXX", "HKXX\\a"},
         "Invalid hive (HKXX) specified in platform hint (HKXX\\a)."},
        {"%2!s! before %1!s!", {"one", "two"}, "two before one"},
        {"%1 without a conversion", {"plain"}, "plain without a conversion"},
        {"100%% sure, %1!s!", {"x"}, "100% sure, x"},
        {"first%nsecond", {}, "first\r\nsecond"},
        {"shown%0hidden %1!s!", {}, "shown"},
        {"[%1!-4s!][%1!4s!][%1!.1s!]", {"ab"}, "[ab  ][  ab][a]"},
        {"%1!s!%1!s!", {"twice"}, "twicetwice"},
        {"an insert %1!s! with %% in it", {"50%"}, "an insert 50% with % in it"},
        {"no inserts at all", {"unused"}, "no inserts at all"},
    };
    for (const FormatCase& c : cases) {
        auto results = formatBoth(c);
        EXPECT_EQ(results.first, c.expected) << c.format;
        EXPECT_EQ(results.second, c.expected) << c.format;
    }
}

TEST(MessageFormat, TwoDigitInserts) {
    const LString i[] = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "ten", "eleven"};
    LString out;
    ASSERT_TRUE(formatInserts(
        "%10!s! %11", {i[0], i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9], i[10]}, out));
    EXPECT_EQ(out, "ten eleven");
    MessageText m;
    m.formatString("%10!s!-%1", {i[0], i[1], i[2], i[3], i[4], i[5], i[6], i[7], i[8], i[9]});
    EXPECT_STREQ(m.text(), "ten-1");
}

TEST(MessageFormat, MissingInsertFailsAndLeavesTheOutputAlone) {
    LString out("untouched");
    EXPECT_FALSE(formatInserts("Verifying %1!s!", {}, out));
    EXPECT_FALSE(formatInserts("(%1!s!) in (%2!s!)", {"only one"}, out));
    EXPECT_EQ(out, "untouched");
}

TEST(MessageFormat, HighestInsert) {
    EXPECT_EQ(highestInsert("no inserts"), 0u);
    EXPECT_EQ(highestInsert("%3!s! and %1"), 3u);
    EXPECT_EQ(highestInsert("%%1 is a percent sign and a digit"), 0u);
    EXPECT_EQ(highestInsert("%1 then %0%5 is never reached"), 1u);
    EXPECT_EQ(highestInsert("%12!s!"), 12u);
}

// ---- MessageText ----

TEST(MessageText, NewTextReadsEmpty) {
    MessageText m;
    EXPECT_STREQ(m.text(), "");
}

TEST(MessageText, FormatFailuresRaiseTheFormatMessageError) {
    // An insert that was not given must not read beyond the inserts.
    EXPECT_EQ(formatFailure("Verifying %1!s!", {}), "Format message failed. Err = 87");
    EXPECT_EQ(formatFailure("(%1!s!) in (%2!s!)", {"one"}), "Format message failed. Err = 87");
    // No text at all is a failure of the system formatter; its error code varies by system.
    static const std::regex failed("Format message failed\\. Err = [0-9]+");
    EXPECT_TRUE(std::regex_match(formatFailure("", {}), failed)) << formatFailure("", {});
    EXPECT_TRUE(std::regex_match(formatFailure("%0", {"x"}), failed));
}

TEST(MessageText, FormatByIdOfAMissingStringFails) {
    MessageText m;
    try {
        m.formatById(999, {"x"});
        FAIL() << "no failure, text: " << m.text();
    } catch (const LauncherException& e) {
        static const std::regex failed("Format message failed\\. Err = [0-9]+");
        EXPECT_TRUE(std::regex_match(e.message().str(), failed)) << e.message().str();
    }
}

TEST(MessageText, LoadsEveryTextCompletely) {
    // Most texts are longer than the first 64-byte buffer holds; each loads whole, also in a
    // double-byte code page, where the loader cuts a text short of the buffer's end (run with
    // the Japanese and Chinese locales by the messages.language tests).
    for (int i = 0; i < englishTable().count; ++i) {
        const int id = englishTable().texts[i].id;
        const std::string expected = loadedText(id);
        MessageText m;
        EXPECT_EQ(m.load(id), static_cast<int>(expected.size())) << id;
        EXPECT_EQ(std::string(m.text()), expected) << id;
    }
    EXPECT_GT(loadedText(36).size(), 64u);
}

// Where a text marks the product's or its maker's name, a loaded text holds the name, in the
// language of the run.
TEST(MessageText, MarkedNamesAreFilledIn) {
    const StringLanguage& language = currentStringLanguage();
    std::string expected = findString(language, 31);
    for (const auto& marker : {std::make_pair("{COMPANY}", 107), std::make_pair("{PRODUCT}", 106)})
        expected.replace(expected.find(marker.first), std::strlen(marker.first),
                         findString(language, marker.second));
    EXPECT_EQ(loadString(StringId::PleaseWait).str(), systemTextOf(expected.c_str()));
    EXPECT_EQ(loadString(StringId::WindowTitle).str(), systemTextOf(findString(language, 106)));
    if (language.langId == 0x09) {
        EXPECT_EQ(expected,
                  "Corvane\xc2\xae is preparing the Corvane Wizard, which\nwill guide you "
                  "through the rest of the process.\nPlease wait...");
        EXPECT_EQ(formatStringId(StringId::StatusInitializing, {loadString(StringId::WindowTitle)}),
                  "Initializing Corvane Wizard...");
    }
}

TEST(MessageText, UnknownIdsLoadEmpty) {
    // 0x10002 would name string 2 if the id were cut to 16 bits.
    for (int id : {0, 39, 104, 108, 999, -1, 0x10002}) {
        MessageText m;
        ASSERT_GT(m.load(36), 0);
        EXPECT_EQ(m.load(id), 0) << id;
        EXPECT_STREQ(m.text(), "") << id;
        EXPECT_EQ(loadString(static_cast<StringId>(id)), "") << id;
    }
}

TEST(MessageText, FormatByIdFormatsTheLoadedText) {
    LString expected;
    ASSERT_TRUE(formatInserts(loadedText(27).c_str(), {"HKXX", "HKXX\\Software"}, expected));
    EXPECT_EQ(formatStringId(StringId::InvalidHive, {"HKXX", "HKXX\\Software"}), expected);
    MessageText m;
    m.load(36);
    m.formatById(7, {"JDK"});
    ASSERT_TRUE(formatInserts(loadedText(7).c_str(), {"JDK"}, expected));
    EXPECT_EQ(m.str(), expected);
    EXPECT_EQ(m.str().find("JDK") != LString::npos, true);
}

TEST(MessageText, SystemErrorTexts) {
    const LString known = wiz::systemErrorText(2);
    EXPECT_FALSE(known.empty());
    EXPECT_NE(known, "Unknown error 2");
    // No trailing line break: the text goes into messages and log lines that add their own.
    EXPECT_EQ(known.find_last_of("\r\n"), LString::npos);
    EXPECT_EQ(wiz::systemErrorText(0x7ffffff0u), "Unknown error 2147483632");
}

// ---- Named string ids ----

TEST(StringIds, EveryNamedIdHasItsText) {
    // Spot checks that the names stand for the texts they say (English in the test process).
    const struct {
        StringId id;
        const char* start;
    } cases[] = {
        {StringId::ErrorWritingFile, "Error writing file = "},
        {StringId::NotEnoughTempSpace, " There may not be enough temporary disk space."},
        {StringId::Canceled, "Canceled by the user."},
        {StringId::CannotLoadIndex, "Unable to load the launcher file index. "},
        {StringId::NoJvmFound, "A suitable JVM could not be found."},
        {StringId::WindowClassName, "LauncherMain"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(loadString(c.id).str().rfind(c.start, 0), 0u) << static_cast<int>(c.id);
    }
    for (int id = static_cast<int>(StringId::WindowClassName);
         id <= static_cast<int>(StringId::PickNotSuitable); ++id) {
        EXPECT_FALSE(loadString(static_cast<StringId>(id)).empty()) << id;
    }
    EXPECT_FALSE(loadString(StringId::WindowTitle).empty());
}

// ---- The generated table ----

struct LanguageCase {
    unsigned langId;
    unsigned codePage;
    const char* locale;  // a locale name that selects it
};

const LanguageCase kLanguages[] = {
    {0x02, 1251, "bg_BG.UTF-8"},  {0x05, 1250, "cs_CZ.UTF-8"},   {0x06, 1252, "da_DK"},
    {0x07, 1252, "de_DE.UTF-8"},  {0x08, 1253, "el_GR.UTF-8"},   {0x09, 1252, "en_US.UTF-8"},
    {0x0a, 1252, "es_ES.UTF-8"},  {0x0b, 1252, "fi_FI.UTF-8"},   {0x0c, 1252, "fr_CA.UTF-8"},
    {0x0e, 1250, "hu_HU.UTF-8"},  {0x10, 1252, "it_IT@euro"},    {0x13, 1252, "nl_BE.UTF-8"},
    {0x14, 1252, "nb_NO.UTF-8"},  {0x15, 1250, "pl_PL.UTF-8"},   {0x18, 1250, "ro_RO.UTF-8"},
    {0x19, 1251, "ru_RU.KOI8-R"}, {0x1a, 1250, "hr_HR.UTF-8"},   {0x1b, 1250, "sk_SK.UTF-8"},
    {0x1d, 1252, "sv_SE.UTF-8"},  {0x1f, 1254, "tr_TR.UTF-8"},   {0x24, 1250, "sl_SI.UTF-8"},
    {0x404, 950, "zh_TW.Big5"},   {0x411, 932, "ja_JP.eucJP"},   {0x412, 949, "ko_KR.UTF-8"},
    {0x416, 1252, "pt_BR.UTF-8"}, {0x804, 936, "zh_CN.GB18030"}, {0x816, 1252, "pt_PT.UTF-8"},
};

TEST(StringTable, HasTheLanguagesWithTheirCodePages) {
    ASSERT_EQ(kStringLanguageCount, static_cast<int>(sizeof kLanguages / sizeof kLanguages[0]));
    for (const LanguageCase& c : kLanguages) {
        const StringLanguage* language = findStringLanguage(c.langId);
        ASSERT_NE(language, nullptr) << std::hex << c.langId;
        EXPECT_EQ(language->codePage, c.codePage) << language->name;
        EXPECT_EQ(languageForLocale(c.locale).langId, c.langId) << c.locale;
    }
}

TEST(StringTable, LocaleNamesChooseTheLanguage) {
    const struct {
        const char* locale;
        unsigned langId;
    } cases[] = {
        {"de", 0x07},
        {"de_AT@euro", 0x07},
        {"pt", 0x816},
        {"pt_BR", 0x416},
        {"zh_HK.UTF-8", 0x404},
        {"zh_SG", 0x804},
        {"zh", 0x804},
        {"nn_NO", 0x14},
        {"no_NO", 0x14},
        {"en_GB.UTF-8", 0x09},
        {"C", 0x09},
        {"C.UTF-8", 0x09},
        {"POSIX", 0x09},
        {"", 0x09},
        {"sr_RS", 0x09},
        {"eo", 0x09},
        {"d", 0x09},
        {"ded_DE", 0x09},
        {"de de", 0x09},
    };
    for (const auto& c : cases) EXPECT_EQ(languageForLocale(c.locale).langId, c.langId) << c.locale;
    EXPECT_EQ(languageForLocale(nullptr).langId, 0x09u);
}

TEST(StringTable, EnglishTextsAreExact) {
    const StringLanguage& english = englishTable();
    const struct {
        int id;
        std::string text;
    } cases[] = {
        {1, "LauncherMain"},
        {2, "Initializing %1!s!..."},
        {13, "Invalid action in input file: "},
        {14, "A log file name must be specified after the -log option on the command line."},
        {22, "An input file name must follow the '-in' command line option."},
        {31,
         "{COMPANY} is preparing the {PRODUCT}, which\nwill guide you through the rest of the "
         "process.\nPlease wait..."},
        {34,
         " There may not be enough temporary disk space. Try using -cv:tempdir to use a "
         "temporary directory on a partition with more disk space."},
        {36,
         "Cannot use %1!s! as the temp directory because it does not exist. Please run the "
         "program again using the option -cv:tempdir <temp dir> to specify a different "
         "directory to use."},
        // The name of the java program is the system's own.
        {23, "A suitable JVM could not be found. Please select a JVM by selecting its " +
                 std::string(kTableJavaProgram) + " file."},
        {37, "Selected file is not a valid JVM. Please select the " +
                 std::string(kTableJavaProgram) +
                 " file for the JVM or the application cannot be launched."},
        {38, "The selected Java runtime is not suitable. Required: %1!s!"},
        {105, "{PRODUCT}"},
        {106, "Corvane Wizard"},
        {107, "Corvane\xc2\xae"},
    };
    for (const auto& c : cases) EXPECT_STREQ(findString(english, c.id), c.text.c_str()) << c.id;
    std::vector<int> ids;
    for (int i = 0; i < english.count; ++i) ids.push_back(english.texts[i].id);
    std::vector<int> expected;
    for (int id = 1; id <= 38; ++id) expected.push_back(id);
    for (int id = 105; id <= 107; ++id) expected.push_back(id);
    EXPECT_EQ(ids, expected);
}

// Every translation has every id and keeps what the program relies on: the inserts, the option
// names, the blanks at either end (texts that are prefixes or suffixes of others), the line
// breaks, the window class name and the product name.
TEST(StringTable, TranslationsKeepInsertsOptionsAndBlanks) {
    const StringLanguage& english = englishTable();
    static const std::regex option(std::string("(-cv:[a-z]+|-log|-in|Corvane|") +
                                   kTableJavaProgram + ")");
    for (int l = 0; l < kStringLanguageCount; ++l) {
        const StringLanguage& language = kStringLanguages[l];
        ASSERT_EQ(language.count, english.count) << language.name;
        for (int i = 0; i < english.count; ++i) {
            const int id = english.texts[i].id;
            ASSERT_EQ(language.texts[i].id, id) << language.name;
            const std::string source = english.texts[i].text;
            const std::string text = language.texts[i].text;
            const std::string where = std::string(language.name) + " " + std::to_string(id);
            EXPECT_FALSE(text.empty()) << where;
            EXPECT_EQ(insertsOf(text), insertsOf(source)) << where;
            for (std::sregex_iterator it(source.begin(), source.end(), option), end; it != end;
                 ++it)
                EXPECT_NE(text.find(it->str()), std::string::npos) << where << ": " << it->str();
            EXPECT_EQ(text.front() == ' ', source.front() == ' ') << where;
            EXPECT_EQ(text.back() == ' ', source.back() == ' ') << where;
            EXPECT_EQ(std::count(text.begin(), text.end(), '\n'),
                      std::count(source.begin(), source.end(), '\n'))
                << where;
        }
        EXPECT_STREQ(findString(language, 1), "LauncherMain") << language.name;
        EXPECT_STREQ(findString(language, 105), "{PRODUCT}") << language.name;
        EXPECT_STREQ(findString(language, 106), "Corvane Wizard") << language.name;
        for (int id : {31, 105})
            EXPECT_EQ(std::string(findString(language, id)).find("Corvane"), std::string::npos)
                << language.name << " " << id << ": the name goes in through its marker";
    }
}

// Run by the messages.language.* tests, which set the locale and name the language that the
// system should pick (WIZTEST_LANGUAGE, a language id in hexadecimal).
TEST(MessagesSystemLanguage, LoadsTheLanguageOfTheLocale) {
    const char* want = std::getenv("WIZTEST_LANGUAGE");
    if (!want || !*want) GTEST_SKIP() << "WIZTEST_LANGUAGE is not set";
    const StringLanguage* loaded = loadedLanguage();
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->langId, std::strtoul(want, nullptr, 16)) << loaded->name;
    // The text with its marked names filled in (MarkedNamesAreFilledIn).
    std::string expected = findString(*loaded, 31);
    for (const auto& marker : {std::make_pair("{COMPANY}", 107), std::make_pair("{PRODUCT}", 106)})
        expected.replace(expected.find(marker.first), std::strlen(marker.first),
                         findString(*loaded, marker.second));
    EXPECT_EQ(loadString(StringId::PleaseWait).str(), systemTextOf(expected.c_str()));
}
