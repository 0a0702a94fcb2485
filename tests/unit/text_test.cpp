#include "tagdoc/text.h"

#include <gtest/gtest.h>

#include "base/chars.h"
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "platform/file.h"
#include "platform/path.h"
#include "support/temp_dir.h"

using namespace wiz;

TEST(Text, Trim) {
    LString a(" \tx \r\n");
    EXPECT_EQ(trim(a), "x");
    LString b("\t\t");
    EXPECT_EQ(trim(b), "");
    LString c("xx-a-xx");
    EXPECT_EQ(trim(c, "x"), "-a-");
}

TEST(Text, EndsWithAndPaths) {
    const LString sep = pathSeparator();
    LString java = LString("C:") + sep + "jre" + sep + "bin" + sep + "java.exe";
    EXPECT_EQ(endsWith(java, "java.exe"), 11u);
    EXPECT_EQ(endsWith("exe", "java.exe"), LString::npos);
    EXPECT_EQ(endsWith("abc", ""), 3u);
    LString drive("C:");
    ensureTrailingSeparator(drive);
    EXPECT_EQ(drive, LString("C:") + sep);
    ensureTrailingSeparator(drive);
    EXPECT_EQ(drive, LString("C:") + sep);
    LString empty;
    ensureTrailingSeparator(empty);
    EXPECT_EQ(empty, "");
    EXPECT_EQ(parentDirectory(java), LString("C:") + sep + "jre" + sep + "bin");
    EXPECT_EQ(parentDirectory("file"), "");
    EXPECT_EQ(numberToString(-42), "-42");
    EXPECT_TRUE(isBlank('\r'));
    EXPECT_FALSE(isBlank('\v'));
}

struct ArgCase {
    const char* text;
    LString::size_type cursor;
    bool quoted;
    const char* result;        // null: expect failure
    LString::size_type after;  // cursor after the call, or the error text below
    const char* error;
};

TEST(Text, NextArgumentTable) {
    const LString::size_type npos = LString::npos;
    const ArgCase cases[] = {
        {"abc\"def", 0, true, "abc", 4, nullptr},
        {"a\"\"b\"", 0, true, "a\"b", npos, nullptr},
        {"\"", 0, true, "", npos, nullptr},
        {"x\"\"", 0, true, nullptr, 0, "Expected double quote to end argument near 2"},
        {"abc", 0, true, nullptr, 0, "Expected double quote to end argument near 0"},
        {"ab c", 1, true, nullptr, 0, "Expected double quote to end argument near 1"},
        {"-cp x", 0, false, "-cp", 3, nullptr},
        {"word", 1, false, "ord", npos, nullptr},
        {"a\tb", 0, false, "a", 1, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        LString::size_type cursor = c.cursor;
        if (c.result) {
            EXPECT_EQ(nextArgument(c.text, cursor, c.quoted), c.result);
            EXPECT_EQ(cursor, c.after);
        } else {
            try {
                nextArgument(c.text, cursor, c.quoted);
                ADD_FAILURE() << "no exception";
            } catch (const LauncherException& e) {
                EXPECT_EQ(e.message(), c.error);
            }
        }
    }
}

TEST(Text, NextWord) {
    LString text("  FIND_JVM 1");
    LString::size_type cursor = 0;
    EXPECT_EQ(nextWord(text, cursor), "FIND_JVM");
    EXPECT_EQ(cursor, 11u);
    EXPECT_EQ(nextWord(text, cursor), "1");
    EXPECT_EQ(cursor, 13u);
    EXPECT_EQ(nextWord(text, cursor), "");
    EXPECT_EQ(cursor, 13u);
    LString vt("\vA\fB");
    cursor = 0;
    EXPECT_EQ(nextWord(vt, cursor), "A");
    EXPECT_EQ(cursor, 3u);
}

TEST(Text, ReadLineFromText) {
    LString text("  one\r\ntw\ro \nlast");
    LString::size_type cursor = 0;
    LString out;
    readLineFromText(text, cursor, out);
    EXPECT_EQ(out, "one");
    out = "";
    readLineFromText(text, cursor, out);
    EXPECT_EQ(out, "two");
    out = "";
    readLineFromText(text, cursor, out);
    EXPECT_EQ(out, "last");
    EXPECT_EQ(cursor, text.length());
    out = "keep";
    readLineFromText(text, cursor, out);
    EXPECT_EQ(out, "keep");
}

TEST(Text, BigEndianReadersFailOnShortInput) {
    wiztest::TempDir dir;
    std::string path = dir.write("be.bin", std::string("\x12\x34\x56\x78\xCA\x82", 6));
    FilePtr f = openFile(path.c_str(), "rb");
    ASSERT_TRUE(f);
    EXPECT_EQ(readUInt32BE(f.get(), "m32"), 0x12345678u);
    EXPECT_EQ(readUInt16BE(f.get(), "m16"), 0xCA82u);
    try {
        readUInt16BE(f.get(), "Unable to read the file count.");
        FAIL();
    } catch (const LauncherException& e) {
        EXPECT_EQ(e.message(), "Unable to read the file count.");
    }
    for (int have = 0; have < 4; ++have) {
        std::string p = dir.write("short" + std::to_string(have), std::string(have, '\x01'));
        FilePtr g = openFile(p.c_str(), "rb");
        EXPECT_THROW(readUInt32BE(g.get(), "short"), LauncherException) << have;
    }
}

TEST(ExcerptForLog, KeepsTheStartOrTheEndAndCountsWhatIsLeftOut) {
    const size_t limit = wiz::kMaxLoggedBytes;
    const std::string big = std::string(limit, 'a') + std::string(100, 'z');
    struct Case {
        std::string text;
        bool fromEnd;
        uint64_t alreadyLeftOut;
        std::string logged;
    } cases[] = {
        {"short", false, 0, "short"},
        {"", true, 0, ""},
        {big, false, 0, std::string(limit, 'a') + "\n[100 more bytes left out]"},
        {big, true, 0, "[100 earlier bytes left out]\n" + big.substr(100)},
        // Bytes the capture dropped count too, even when the text itself fits.
        {"start", false, 5000000000ull, "start\n[5000000000 more bytes left out]"},
        {"end", true, 7, "[7 earlier bytes left out]\nend"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wiz::excerptForLog(wiz::LString(c.text), c.fromEnd, c.alreadyLeftOut).str(),
                  c.logged)
            << c.text.substr(0, 20);
    }
}

TEST(QuoteForMessage, ShortAndWithoutControlCharacters) {
    struct Case {
        std::string text;
        std::string quoted;
    } cases[] = {
        {"plain name.jar", "plain name.jar"},
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {std::string("esc\x1b[31mred\x7f", 12), "esc\\x1B[31mred\\x7F"},
        {std::string(300, 'x'), std::string(200, 'x') + "..."},
        {"caf\xe9 \\ ok", "caf\xe9 \\ ok"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(wiz::quoteForMessage(wiz::LString(c.text)).str(), c.quoted) << c.text;
    }
}
