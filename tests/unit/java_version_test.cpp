// Java versions of JVM descriptors: the feature version of a java.version value, the range a
// descriptor names (its reading, its flaws with their lines, its matching), and the verification
// of a candidate against a range.
#include "tagdoc/java_version.h"

#include <gtest/gtest.h>

#include <string>

#include "jvm/jvm_descriptor.h"
#include "jvm/jvm_searcher.h"
#include "services/log.h"
#include "support/temp_dir.h"

namespace {

using wiz::LString;

TEST(JavaFeatureVersion, OfEachSchemeAndNothingElse) {
    const struct {
        const char* version;
        int32_t feature;  // 0: not a Java version
    } cases[] = {
        {"1.8.0_392", 8},
        {"1.5.0_06", 5},
        {"17.0.2", 17},
        {"21", 21},
        {"25-ea", 25},
        {"26.0.1+7", 26},
        {"1.8", 8},
        {"11.0.22", 11},
        {"17-internal+0-adhoc.root.jdk", 17},
        {"1", 1},
        {"1.10", 10},
        {"2147483647", 2147483647},
        // Hostile ones.
        {"", 0},
        {" 17", 0},
        {"17 ", 0},
        {"v17", 0},
        {"-17", 0},
        {"+17", 0},
        {"17abc", 0},
        {"17.", 0},
        {"17.x", 0},
        {"17-", 0},
        {"17+", 0},
        {"17_1", 0},
        {"1.", 0},
        {"1.x", 0},
        {"1.8.", 0},
        {"1.8x", 0},
        {"0", 0},
        {"0.9", 0},
        {"1.0", 0},
        {"2147483648", 0},
        {"99999999999999999999", 0},
        {"1.99999999999", 0},
        {"null", 0},
        {"17\n", 0},
    };
    for (const auto& c : cases) {
        int32_t feature = -1;
        const bool ok = wiz::javaFeatureVersion(LString(c.version), feature);
        EXPECT_EQ(ok, c.feature != 0) << "[" << c.version << "]";
        if (ok) {
            EXPECT_EQ(feature, c.feature) << c.version;
        }
    }
}

// A descriptor read from text, keeping the lines of its values as the packing tool does.
struct Descriptor {
    explicit Descriptor(const std::string& text) {
        const std::string path = dir.write("d.jvm", text);
        document.keepValueLines();
        document.loadFile(LString(path));
    }
    wiztest::TempDir dir;
    wiz::TagDocument document;
};

TEST(JavaVersionRange, ReadFromTheDescriptorAndMatched) {
    const struct {
        const char* tags;
        const char* text;
        std::vector<int32_t> inside;
        std::vector<int32_t> outside;
    } cases[] = {
        {"", "any", {1, 8, 99}, {}},
        {"JVM_MIN_VERSION: 17\n", "17 or newer", {17, 18, 26}, {1, 8, 16}},
        {"JVM_MAX_VERSION: 11\n", "11 or older", {1, 8, 11}, {12, 17}},
        {"JVM_MIN_VERSION: 17\nJVM_MAX_VERSION: 25\n", "17 to 25", {17, 21, 25}, {16, 26}},
        {"JVM_MIN_VERSION:  21 \nJVM_MAX_VERSION: 21\n", "21", {21}, {20, 22}},
        {"JVM_MIN_VERSION: \"8\"\n", "8 or newer", {8}, {7}},
        {"JVM_MIN_VERSION: 0\n", "0 or newer", {1}, {}},
    };
    for (const auto& c : cases) {
        Descriptor d(std::string("DESC: x\n") + c.tags);
        wiz::JavaVersionRange range;
        wiz::TagFlaw flaw;
        ASSERT_TRUE(wiz::readJavaVersionRange(d.document, range, flaw))
            << c.tags << flaw.message.str();
        EXPECT_EQ(range.present(), std::string(c.tags) != "") << c.tags;
        EXPECT_EQ(range.text().str(), c.text) << c.tags;
        for (int32_t v : c.inside) EXPECT_TRUE(range.contains(v)) << c.tags << " " << v;
        for (int32_t v : c.outside) EXPECT_FALSE(range.contains(v)) << c.tags << " " << v;
    }
}

TEST(JavaVersionRange, FlawsNameTheTagAndTheLine) {
    const struct {
        const char* tags;  // from line 2
        const char* message;
        int32_t line;
    } cases[] = {
        {"JVM_MIN_VERSION: 17.0\n",
         "JVM_MIN_VERSION must be a whole number such as 17, not \"17.0\".", 2},
        {"JVM_MIN_VERSION: 17\nJVM_MAX_VERSION: eleven\n",
         "JVM_MAX_VERSION must be a whole number such as 17, not \"eleven\".", 3},
        {"JVM_MAX_VERSION: -1\n", "JVM_MAX_VERSION must be a whole number such as 17, not \"-1\".",
         2},
        {"JVM_MIN_VERSION: +17\n",
         "JVM_MIN_VERSION must be a whole number such as 17, not \"+17\".", 2},
        {"JVM_MIN_VERSION: 99999999999\n",
         "JVM_MIN_VERSION must be a whole number such as 17, not \"99999999999\".", 2},
        {"JVM_MIN_VERSION: \"\"\n", "JVM_MIN_VERSION must be a whole number such as 17, not \"\".",
         2},
        {"JVM_MAX_VERSION: 17\nDESC: y\nJVM_MIN_VERSION: 25\n",
         "JVM_MIN_VERSION (25) is above JVM_MAX_VERSION (17).", 4},
    };
    for (const auto& c : cases) {
        Descriptor d(std::string("DESC: x\n") + c.tags);
        wiz::JavaVersionRange range;
        wiz::TagFlaw flaw;
        EXPECT_FALSE(wiz::readJavaVersionRange(d.document, range, flaw)) << c.tags;
        EXPECT_EQ(flaw.message.str(), c.message) << c.tags;
        EXPECT_EQ(flaw.line, c.line) << c.tags;
    }
}

// The command asks for java.version once, and the answer must be a Java version in range.
TEST(JavaVersionRange, VerificationAsksForTheVersionAndChecksIt) {
    const auto requestFor = [](const std::string& properties, const char* minimum,
                               const char* maximum) {
        wiz::TagDocument document;
        document.setValue("JVM_EXE", "java");
        if (!properties.empty()) document.addValue("JVM_PROPERTIES", LString(properties));
        if (minimum) document.setValue(wiz::kMinVersionTag, minimum);
        if (maximum) document.setValue(wiz::kMaxVersionTag, maximum);
        auto request = std::make_unique<wiz::VerificationRequest>();
        wiz::TagFlaw flaw;
        EXPECT_TRUE(wiz::readJavaVersionRange(document, request->range, flaw));
        wiz::JvmDescriptor descriptor(document);
        const auto script =
            descriptor.verificationScript("/jdk", "\"v.jar\"", "\"Verify\"", *request);
        const std::string command = script->expand(descriptor).str();
        return std::make_pair(std::move(request), command.substr(command.find("Verify")));
    };
    // Asked for after the properties when none names it; not twice when one does.
    auto vendor = requestFor("java.vendor=Acme", "17", "25");
    EXPECT_EQ(vendor.second, "Verify\" java.vendor java.version");
    EXPECT_EQ(vendor.first->versionIndex, 1);
    auto named = requestFor("java.version=2...", "17", nullptr);
    EXPECT_EQ(named.second, "Verify\" java.version");
    EXPECT_EQ(named.first->versionIndex, 0);
    auto none = requestFor("java.vendor=Acme", nullptr, nullptr);
    EXPECT_EQ(none.second, "Verify\" java.vendor");
    EXPECT_EQ(none.first->versionIndex, -1);

    const struct {
        wiz::VerificationRequest* request;
        const char* output;
        bool verified;
    } cases[] = {
        {vendor.first.get(), "1739021872\nAcme\n21\n", true},
        {vendor.first.get(), "1739021872\nAcme\n25-ea\n", true},
        {vendor.first.get(), "1739021872\nAcme\n17.0.2\n", true},
        {vendor.first.get(), "1739021872\nAcme\n26.0.1\n", false},
        {vendor.first.get(), "1739021872\nAcme\n11.0.22\n", false},
        {vendor.first.get(), "1739021872\nAcme\n1.8.0_392\n", false},
        {vendor.first.get(), "1739021872\nOther\n21\n", false},
        {vendor.first.get(), "1739021872\nAcme\nnull\n", false},
        // A range needs the answer: output that ends early does not verify.
        {vendor.first.get(), "1739021872\nAcme\n", false},
        {vendor.first.get(), "1739021872\n", false},
        // Both the property (a prefix) and the range hold on the same line.
        {named.first.get(), "1739021872\n21.0.1\n", true},
        {named.first.get(), "1739021872\n26\n", true},
        {named.first.get(), "1739021872\n17\n", false},
        {named.first.get(), "1739021872\n1.8.0_392\n", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wiz::JvmDescriptor::checkVerifyOutput(c.output, *c.request), c.verified)
            << c.output << " range " << c.request->range.text().str();
    }
}

TEST(JavaVersionRange, AFlawedDescriptorIsLeftOutOfTheSearchWithAWarning) {
    wiztest::TempDir dir;
    const wiz::LogState saved = wiz::logState();
    wiz::logState() = wiz::LogState();
    wiz::logState().filePath = LString(dir.file("run.log"));
    wiz::logState().separatorWritten = true;
    const std::string bad = dir.write(
        "bad.jvm", "DESC: Bad\nJVM_EXE: java\nJVM_MIN_VERSION: 25\nJVM_MAX_VERSION: 17\n");
    const std::string good =
        dir.write("good.jvm", "DESC: Good\nJVM_EXE: java\nJVM_MIN_VERSION: 17\n");
    wiz::TagDocument badDocument{LString(bad)}, goodDocument{LString(good)};
    wiz::JvmSearcher searcher;
    EXPECT_EQ(searcher.registerDescriptor(std::make_unique<wiz::JvmDescriptor>(badDocument)),
              nullptr);
    EXPECT_NE(searcher.registerDescriptor(std::make_unique<wiz::JvmDescriptor>(goodDocument)),
              nullptr);
    ASSERT_EQ(searcher.descriptorCount(), 1);
    // A range without JVM_PROPERTIES is enough to verify a candidate.
    EXPECT_TRUE(searcher.descriptorAt(0)->isVerifiable());
    // The descriptor given to a verification directly (VERIFY_JVM) verifies nothing.
    wiz::JvmDescriptor direct(badDocument);
    EXPECT_FALSE(direct.runVerification(LString(dir.file("jdk")), "", ""));
    const std::string log = wiztest::TempDir::read(dir.file("run.log"));
    wiz::logState() = saved;
    const std::string warning = "WARNING: JVM File " + bad +
                                ": JVM_MIN_VERSION (25) is above JVM_MAX_VERSION (17). No runtime "
                                "is verified with it.";
    EXPECT_NE(log.find(warning), std::string::npos) << log;
    EXPECT_NE(log.find(warning), log.rfind(warning)) << "once when registered, once when run";
}

}  // namespace
