// Quoted arguments come out of the command-line splitter exactly as they went in.
#include "launch/command_line_quote.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "launch/command_line_split.h"

namespace {

using wiz::LString;

// The arguments after the program of `program` followed by each quoted argument.
std::vector<std::string> roundTrip(const std::vector<std::string>& args) {
    LString line = "prog";
    for (const std::string& a : args) wiz::appendQuotedArgument(line, LString(a));
    wiz::StringList split = wiz::splitCommandLine(line);
    std::vector<std::string> out;
    for (int32_t i = 1; i < split.count(); ++i) out.push_back(split.at(i).str());
    return out;
}

TEST(CommandLineQuote, QuotesAsTheSplitterReads) {
    struct Case {
        std::string argument;
        std::string quoted;
    } cases[] = {
        {"plain", "\"plain\""},
        {"", "\"\""},
        {"two words", "\"two words\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},  // without backslashes: each quote escaped
        {"C:\\dir\\", "\"C:\\dir\\\\\""},      // a final backslash is doubled
        {"a\\\"b", "\"a\\\\\\\"b\""},          // backslashes before a quote are doubled
        {"a\\b", "\"a\\b\""},                  // others stay as they are
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wiz::quoteArgument(LString(c.argument)).str(), c.quoted) << c.argument;
    }
}

TEST(CommandLineQuote, HostileArgumentsRoundTrip) {
    const std::vector<std::string> args = {
        "",
        " ",
        "\t",
        "a b",
        "\"",
        "\"\"",
        "\\",
        "\\\\",
        "\\\"",
        "a\\",
        "a\\\\",
        "\\\\\"x",
        "x\"y\"z",
        "\"quoted\"",
        "end\\ ",
        "-Dx=\"1 2\"",
        "C:\\Program Files\\",
        "\xe4\xf6\xfc \xe9",
        "%PATH%",
        "^&|<>",
        "a\"\"\"b",
        "'single'",
    };
    EXPECT_EQ(roundTrip(args), args);
}

TEST(CommandLineQuote, RandomArgumentsRoundTrip) {
    const char alphabet[] = {'a', 'Z', ' ', '\t', '"', '\\', '\xe9', '/', '=', '%'};
    std::mt19937 random(20261210);
    for (int round = 0; round < 2000; ++round) {
        std::vector<std::string> args(1 + random() % 4);
        for (std::string& a : args) {
            const size_t length = random() % 12;
            for (size_t i = 0; i < length; ++i) a += alphabet[random() % sizeof alphabet];
        }
        ASSERT_EQ(roundTrip(args), args) << "round " << round;
    }
}

std::vector<std::string> splitAll(const LString& line) {
    const wiz::StringList split = wiz::splitCommandLine(line);
    std::vector<std::string> out;
    for (int32_t i = 0; i < split.count(); ++i) out.push_back(split.at(i).str());
    return out;
}

wiz::ExpansionText written(const std::string& text) { return wiz::ExpansionText(LString(text)); }
wiz::ExpansionText inserted(const std::string& text) {
    return wiz::ExpansionText::inserted(LString(text));
}

TEST(CommandLineOf, TextWithoutInsertedValuesStaysAsItIs) {
    for (const char* text : {"", "\"a\"b\" c\\\" \"d\\\\\"", "prog \"\"\" \\"}) {
        EXPECT_EQ(wiz::commandLineOf(written(text)).str(), text);
    }
}

// Whatever an inserted value holds, the program gets it as it is, inside the author's quotes or
// outside them, next to the author's own escapes.
TEST(CommandLineOf, InsertedValuesReachTheProgramAsTheyAre) {
    const char alphabet[] = {'a', '"', '\\', '@', '%', '#', '/', ' '};
    std::mt19937 random(20261211);
    for (int round = 0; round < 3000; ++round) {
        const auto value = [&](bool blanks) {
            std::string v;
            const size_t length = random() % 8;
            for (size_t i = 0; i < length; ++i) {
                const char c = alphabet[random() % sizeof alphabet];
                v += c == ' ' && !blanks ? 'b' : c;
            }
            return v;
        };
        // The program, in the author's quotes: with a quote it must hold no blank.
        const std::string program = "/j" + value(false);
        wiz::ExpansionText text = written("\"") + inserted(program) + written("/java\"");
        std::vector<std::string> expected = {program + "/java"};
        const int count = 1 + static_cast<int>(random() % 3);
        for (int a = 0; a < count; ++a) {
            const bool quoted = random() % 2 == 0;
            const std::string v = value(quoted);
            // The author's prefix may end in an escaped quote of its own.
            const bool escape = random() % 3 == 0;
            text += written(quoted ? " \"-D" : " -D") + written(escape ? "\\\"" : "=") +
                    inserted(v) + written(quoted ? "\"" : "");
            expected.push_back("-D" + std::string(escape ? "\"" : "=") + v);
        }
        const LString line = wiz::commandLineOf(text);
        ASSERT_EQ(splitAll(line), expected) << "round " << round << ": " << line.str();
    }
}

TEST(CommandLineOf, AProgramPathWithAQuoteAndABlankCannotBeWritten) {
    EXPECT_THROW(wiz::commandLineOf(written("\"") + inserted("/a \"b") + written("/java\" x")),
                 wiz::ProcessStartException);
    EXPECT_EQ(wiz::commandLineOf(written("\"") + inserted("/a\"b") + written("/java\"x")).str(),
              "/a\"b/java x");
}

}  // namespace
