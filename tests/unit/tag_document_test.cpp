#include "tagdoc/tag_document.h"

#include <gtest/gtest.h>

#include <chrono>
#include <random>

#include "base/exceptions.h"
#include "platform/file.h"
#include "services/log.h"
#include "support/temp_dir.h"

using namespace wiz;
using wiztest::TempDir;

namespace {

// Parses `text` as a whole document.
void parse(TagDocument& doc, const TempDir& dir, const std::string& text,
           const char* name = "doc.tag") {
    std::string path = dir.write(name, text);
    doc.loadFile(path.c_str());
}

std::string parseError(const std::string& text) {
    TempDir dir;
    std::string path = dir.write("bad.tag", text);
    FilePtr f = openFile(path.c_str(), "rb");
    TagDocument doc;
    try {
        doc.read(f.get(), "bad.tag", 0, -1);
    } catch (const LauncherException& e) {
        return e.message().str();
    }
    return "(no error)";
}

}  // namespace

TEST(TagDocument, ValuesQuotesAndColons) {
    TempDir dir;
    TagDocument doc;
    parse(doc, dir,
          "VERBOSE_GC: -verbose:gc\n"
          "JVM_EXE:jre\\bin\\java.exe\n"
          "JVM_EXE2:    jre\\bin\\java.exe  \r\n"
          "CLASSPATH: \"-cp \"\n"
          "ARCHIVE: \"\"\"%APPLICATION_ARCHIVE%()\"\"\"\n"
          "Q: \"a \"\"b\"\" \" trailing ignored\n"
          ": empty name\n"
          "JVM_PROPERTIES:\n"
          "\tjava.version=1.4...\n"
          "\n"
          "   \"  spaced  \"\n"
          "\"\"\n"
          "/:\n");
    EXPECT_EQ(doc.getValue("VERBOSE_GC"), "-verbose:gc");
    EXPECT_EQ(doc.getValue("JVM_EXE"), "jre\\bin\\java.exe");
    EXPECT_EQ(doc.getValue("JVM_EXE2"), doc.getValue("JVM_EXE"));
    EXPECT_EQ(doc.getValue("CLASSPATH"), "-cp ");
    EXPECT_EQ(doc.getValue("ARCHIVE"), "\"%APPLICATION_ARCHIVE%()\"");
    EXPECT_EQ(doc.getValue("Q"), "a \"b\" ");
    EXPECT_EQ(doc.getValue(""), "empty name");
    ASSERT_EQ(doc.valueCount("JVM_PROPERTIES"), 2);
    EXPECT_EQ(doc.getValue("JVM_PROPERTIES", 0), "java.version=1.4...");
    EXPECT_EQ(doc.getValue("JVM_PROPERTIES", 1), "  spaced  ");
    EXPECT_EQ(doc.getValue("VERBOSE_GC", 1), "");
    EXPECT_EQ(doc.getValue("MISSING"), "");
    EXPECT_TRUE(doc.loaded());
}

TEST(TagDocument, DuplicateRuleAndEmptyBlock) {
    TempDir dir;
    TagDocument doc;
    parse(doc, dir,
          "DESC: first\n"
          "A: 1\n"
          "DESC: second\n"
          "B: single\n"
          "B:\n"
          "  one\n"
          "  two\n"
          "/:\n"
          "A:\n"
          "/:\n");
    EXPECT_EQ(doc.valueCount("A"), 0);
    EXPECT_FALSE(doc.hasTag("A"));
    EXPECT_EQ(doc.getValue("DESC"), "second");
    EXPECT_EQ(doc.valueCount("B"), 2);
    std::vector<std::string> order;
    const wiz::StringList names = doc.tagNames();
    for (int32_t i = 0; i < names.count(); ++i) order.push_back(names.at(i).str());
    EXPECT_EQ(order, (std::vector<std::string>{"DESC", "B"}));
}

TEST(TagDocument, GetBoolSetValueAddValue) {
    TagDocument doc;
    doc.setValue("ZERO", "0");
    doc.setValue("FIVE", "5");
    doc.setValue("WORD", "yes");
    EXPECT_FALSE(doc.getBool("ZERO", true));
    EXPECT_TRUE(doc.getBool("FIVE", false));
    EXPECT_TRUE(doc.getBool("WORD", true));
    EXPECT_FALSE(doc.getBool("WORD", false));
    EXPECT_TRUE(doc.getBool("MISSING", true));
    doc.addValue("L", "a");
    doc.addValue("L", "b");
    doc.setValue("L", "c");
    EXPECT_EQ(doc.valueCount("L"), 1);
    EXPECT_EQ(doc.getValue("L"), "c");
    doc.setJvmResult("home", "file", true);
    EXPECT_EQ(doc.getValue("JVM_TEMP"), "1");
    doc.removeTag("L");
    EXPECT_EQ(doc.valueCount("L"), 0);
}

TEST(TagDocument, GetBoolReadsAnyNumberSafely) {
    // As a decimal number is read: blanks and a sign first; the rest after the digits does not
    // count. Any number other than zero is true, also one too large for 16 bits.
    struct Case {
        const char* value;
        bool expected;
    } cases[] = {
        {"1", true},
        {"-1", true},
        {"  7 apples", true},
        {"+0", false},
        {"000", false},
        {"65536", true},
        {"70000", true},
        {"32768", true},
        {"0x10", false},
        {"-", true},
        {"99999999999999999999", true},
        {"", true},
        {"on", true},
    };
    for (const Case& c : cases) {
        TagDocument doc;
        if (c.value[0] != '\0') doc.setValue("B", c.value);
        // true is the default here, so a value that is not a number reads true too.
        EXPECT_EQ(doc.getBool("B", true), c.expected) << c.value;
    }
    TagDocument doc;
    doc.setValue("B", "65536");
    EXPECT_TRUE(doc.getBool("B", false));
    doc.setValue("B", "-");
    EXPECT_FALSE(doc.getBool("B", false));
}

TEST(TagDocument, WriteThenReadRoundTrips) {
    TempDir dir;
    TagDocument doc;
    const std::vector<std::string> values = {"plain",         " lead",    "trail\t", "",
                                             "has \"quote\"", "colon: x", "\"",      "x\"\"y"};
    for (size_t i = 0; i < values.size(); ++i)
        doc.setValue(("T" + std::to_string(i)).c_str(), values[i].c_str());
    doc.addValue("BLOCK", "one");
    doc.addValue("BLOCK", " two ");
    doc.addValue("BLOCK", "th\"ree");
    std::string path = dir.file("out.tag");
    ASSERT_TRUE(doc.write(path.c_str()));
    TagDocument back;
    back.loadFile(path.c_str());
    for (size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(back.getValue(("T" + std::to_string(i)).c_str()).str(), values[i]) << i;
    ASSERT_EQ(back.valueCount("BLOCK"), 3);
    EXPECT_EQ(back.getValue("BLOCK", 1), " two ");
    EXPECT_EQ(back.getValue("BLOCK", 2), "th\"ree");
    std::string text = TempDir::read(path);
    EXPECT_NE(text.find("T0:  plain"), std::string::npos);
    EXPECT_NE(text.find("BLOCK:"), std::string::npos);
    EXPECT_FALSE(doc.write(dir.file("no/such/dir/out.tag").c_str()));
}

TEST(TagDocument, SyntaxErrorsHaveMessageAndLine) {
    struct Case {
        const char* text;
        const char* message;
    } cases[] = {
        {"A: 1\n\nno colon here\n",
         "Syntax error in bad.tag at line 3 ==> Missing colon at the end of the tag name."},
        {"A: 1\nB:\n  x\n\n  y\n",
         "Syntax error in bad.tag at line 2 ==> Missing /: tag completer."},
        {"A: 1\nB:    \t\nC:  \"\n",
         "Syntax error in bad.tag at line 2 ==> Missing /: tag completer."},
        {"A: 1\nB: \"unterminated\n", "Expected double quote to end argument near 4"},
        {"B:\n\"x\n/:\n", "Expected double quote to end argument near 1"},
    };
    for (const auto& c : cases) EXPECT_EQ(parseError(c.text), c.message) << c.text;
}

TEST(TagDocument, SyntaxErrorIsLogged) {
    TempDir dir;
    wiz::logState().filePath = dir.file("log.txt").c_str();
    wiz::logState().separatorWritten = false;
    parseError("oops\n");
    std::string log = TempDir::read(dir.file("log.txt"));
    wiz::logState().filePath = "";
    EXPECT_NE(log.find("------------------"), std::string::npos);
    EXPECT_NE(log.find("ERROR: Syntax error in bad.tag at line 1 ==> Missing colon"),
              std::string::npos);
}

TEST(TagDocument, ReadsInPlaceWithinBounds) {
    TempDir dir;
    const std::string before = "garbage without colon\n\x01\x02\x03";
    const std::string embedded = "NAME: inner\nLIST:\n  a\n  b\n/:\n";
    const std::string after = "AFTER: must not be read\nmore garbage\n";
    std::string path = dir.write("launcher.bin", before + embedded + after);
    FilePtr f = openFile(path.c_str(), "rb");
    TagDocument doc;
    doc.read(f.get(), "input.tag", static_cast<long>(before.size()),
             static_cast<long>(embedded.size()));
    EXPECT_EQ(doc.getValue("NAME"), "inner");
    EXPECT_EQ(doc.valueCount("LIST"), 2);
    EXPECT_EQ(doc.valueCount("AFTER"), 0);
    EXPECT_EQ(doc.lineNumber(), 5);

    // Nothing beyond the range is read: a block or a last line that runs past its end stops
    // there (the block then lacks its end), and so does a last line without a line feed.
    const std::string block = "B:\n  x\n";
    std::string path2 = dir.write("l2.bin", block + "  y\n/:\nC: no\n");
    FilePtr g = openFile(path2.c_str(), "rb");
    TagDocument doc2;
    try {
        doc2.read(g.get(), "x", 0, static_cast<long>(block.size()));
        ADD_FAILURE() << "no error";
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Syntax error in x at line 1 ==> Missing /: tag completer.");
    }
    std::string path3 = dir.write("l3.bin", std::string("LAST: value") + "MORE: next entry\n");
    FilePtr h = openFile(path3.c_str(), "rb");
    TagDocument doc4;
    doc4.read(h.get(), "x", 0, 11);
    EXPECT_EQ(doc4.getValue("LAST"), "value");
    EXPECT_FALSE(doc4.hasTag("MORE"));

    TagDocument doc3;
    EXPECT_THROW(doc3.read(g.get(), "x", -5, 3), LauncherException);
}

TEST(TagDocument, MissingFile) {
    TagDocument doc;
    try {
        doc.loadFile("/no/such/file.tag");
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Unable to load input file: /no/such/file.tag");
    }
}

TEST(TagDocument, HostileInputStaysLinear) {
    // Random bytes, a block that never ends, a 10 MB line and an unclosed quote: each ends with
    // a clean parse or its error, never a crash or a hang.
    std::mt19937 rng(7);
    std::string random(1 << 20, '\0');
    for (auto& c : random) c = static_cast<char>(rng());
    std::string longLine = "X: " + std::string(10 << 20, 'v') + "\n";
    std::string manyTags;
    for (int i = 0; i < 200000; ++i) manyTags += "T" + std::to_string(i) + ": v\n";
    for (int i = 0; i < 200000; i += 3) manyTags += "T" + std::to_string(i) + ": again\n";
    std::string endless = "B:\n" + std::string(1 << 20, 'x') + "\n";
    for (int i = 0; i < 100000; ++i) endless += "  line\n";
    const std::string inputs[] = {random, longLine, manyTags, endless,
                                  "Q: \"" + std::string(1 << 20, 'q') + "\n"};
    for (const auto& in : inputs) {
        parseError(in);  // must return
    }
    TempDir dir;
    TagDocument doc;
    parse(doc, dir, longLine);
    EXPECT_EQ(doc.getValue("X").length(), 10u << 20);
}
