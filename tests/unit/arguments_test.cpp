#include "core/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace wiz;

namespace {

std::vector<std::string> split(const char* text) {
    ArgumentList args;
    tokenizeCommandLine(text, args);
    std::vector<std::string> out;
    for (int i = 0; i < args.count(); ++i) out.push_back(args.at(i));
    return out;
}

struct SplitCase {
    const char* text;
    std::vector<std::string> expected;
};

}  // namespace

TEST(CommandLineTokenizer, SplitTable) {
    const SplitCase cases[] = {
        {"", {}},
        {" \t\r\n ", {}},
        {"prog", {"prog"}},
        {"  prog  a\tb\r\nc  ", {"prog", "a", "b", "c"}},
        // The program path is read without escapes; later tokens with them.
        {"C:\\dir\\prog.exe \\\"x", {"C:\\dir\\prog.exe", "\"x"}},
        {"\"C:\\Program Files\\p.exe\" a", {"C:\\Program Files\\p.exe", "a"}},
        {"\"C:\\dir\\\" a", {"C:\\dir\\", "a"}},
        // A quoted token ends at its closing quote; what follows is a new token.
        {"p \"a b\"c", {"p", "a b", "c"}},
        // A quoted part inside an unquoted token is appended without its quotes.
        {"p a\"b c\"d e", {"p", "ab cd", "e"}},
        {"p -cv:in=\"x y\"", {"p", "-cv:in=x y"}},
        // Escapes: a quote is taken literally, any other character keeps its backslash.
        {"p a\\\"b", {"p", "a\"b"}},
        {"p \"a\\\"b c\"", {"p", "a\"b c"}},
        {"p C:\\dir\\file", {"p", "C:\\dir\\file"}},
        {"p a\\\\b", {"p", "a\\\\b"}},
        {"p \"a\\\\\" b", {"p", "a\\\\", "b"}},
        {"p a\\", {"p", "a"}},
        {"p \\", {"p"}},
        // Empty tokens are left out.
        {"p \"\" x", {"p", "x"}},
        {"\"\" x \\y", {"x", "\\y"}},
        // An unterminated quote runs to the end of the text.
        {"p \"a b", {"p", "a b"}},
        {"p a\"b c", {"p", "ab c"}},
        {"p -console \"-cv:log\" \"C:\\my logs\\l.txt\"",
         {"p", "-console", "-cv:log", "C:\\my logs\\l.txt"}},
    };
    for (const SplitCase& c : cases) {
        EXPECT_EQ(split(c.text), c.expected) << "command line: [" << c.text << "]";
    }
}

TEST(CommandLineTokenizer, TokenPositionAfterQuotedAndUnquoted) {
    LString text("\"a b\" cd\tef");
    LString::size_type pos = 0;
    EXPECT_EQ(readCommandLineToken(text, pos, true), "a b");
    EXPECT_EQ(pos, 5u);  // just past the closing quote
    EXPECT_EQ(readCommandLineToken(text, pos, true), "cd");
    EXPECT_EQ(pos, 8u);  // resting on the tab that ended it
    EXPECT_EQ(readCommandLineToken(text, pos, true), "ef");
    EXPECT_EQ(pos, text.length());
    EXPECT_EQ(readCommandLineToken(text, pos, true), "");
    EXPECT_EQ(pos, text.length());
}
