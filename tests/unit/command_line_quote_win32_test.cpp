// Quoted arguments come out of the system's own CommandLineToArgvW exactly as they went in.
// clang-format off
#include "platform/win32.h"
#include <shellapi.h>
// clang-format on

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "launch/command_line_quote.h"

namespace {

std::vector<std::string> systemRoundTrip(const std::vector<std::string>& args) {
    wiz::LString line = "prog";
    for (const std::string& a : args) wiz::appendQuotedArgument(line, wiz::LString(a));
    std::wstring wide(line.c_str(), line.c_str() + line.length());  // ASCII only
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> out;
    for (int i = 1; argv && i < count; ++i) {
        std::wstring w(argv[i]);
        out.emplace_back(w.begin(), w.end());
    }
    LocalFree(argv);
    return out;
}

TEST(CommandLineQuoteWin32, TheSystemSplitterGivesTheArgumentsBack) {
    const char alphabet[] = {'a', ' ', '\t', '"', '\\', '/'};
    std::mt19937 random(4242);
    for (int round = 0; round < 500; ++round) {
        std::vector<std::string> args(1 + random() % 4);
        for (std::string& a : args) {
            const size_t length = random() % 10;
            for (size_t i = 0; i < length; ++i) a += alphabet[random() % sizeof alphabet];
        }
        ASSERT_EQ(systemRoundTrip(args), args) << "round " << round;
    }
}

}  // namespace
