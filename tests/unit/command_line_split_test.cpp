#include "launch/command_line_split.h"

#include <gtest/gtest.h>

#include "unit/command_line_split_cases.h"

namespace {

std::vector<std::string> split(const std::string& line) {
    wiz::StringList list = wiz::splitCommandLine(wiz::LString(line));
    std::vector<std::string> out;
    for (int i = 0; i < list.count(); ++i) out.push_back(list.at(i).str());
    return out;
}

TEST(CommandLineSplit, FollowsTheShellRules) {
    for (const auto& c : wiztest::commandLineSplitCases()) {
        EXPECT_EQ(split(c.line), c.args) << "command line: [" << c.line << "]";
    }
}

TEST(CommandLineSplit, EmptyTextGivesNoArguments) { EXPECT_TRUE(split("").empty()); }

}  // namespace
