// The pure parts of the JVM discovery: the check of the verification output, the order of
// versioned names and the expansion of a path wildcard.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "jvm/jvm_descriptor.h"
#include "jvm/version_order.h"
#include "platform/path.h"
#include "support/temp_dir.h"

namespace {

using wiz::LString;

bool check(const std::string& output, const std::vector<std::string>& expected) {
    wiz::PropertyRequirementList requirements;
    for (const std::string& e : expected) {
        auto r = std::make_unique<wiz::PropertyRequirement>();
        r->name = "p";
        r->expected = LString(e);
        requirements.appendOwned(std::move(r));
    }
    return wiz::JvmDescriptor::checkVerifyOutput(LString(output), requirements);
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

}  // namespace
