// The portable splitter against the system's own CommandLineToArgvW.
// clang-format off
#include "platform/win32.h"
#include <shellapi.h>
// clang-format on

#include <gtest/gtest.h>

#include "launch/command_line_split.h"
#include "unit/command_line_split_cases.h"

namespace {

std::vector<std::string> systemSplit(const std::string& line) {
    std::wstring wide(line.begin(), line.end());  // the cases are plain ASCII
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(wide.c_str(), &count);
    std::vector<std::string> out;
    if (!argv) return out;
    for (int i = 0; i < count; ++i) {
        std::wstring w(argv[i]);
        out.emplace_back(w.begin(), w.end());
    }
    LocalFree(argv);
    return out;
}

TEST(CommandLineSplitWin32, AgreesWithTheSystemSplitter) {
    for (const auto& c : wiztest::commandLineSplitCases()) {
        EXPECT_EQ(systemSplit(c.line), c.args) << "command line: [" << c.line << "]";
    }
}

}  // namespace
