// The "[Rename]" lines of WinInit.Ini: the edit of the text in memory and of a file.
#include "tempfiles/wininit.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "platform/fs.h"
#include "support/temp_dir.h"

namespace {

using wiz::LString;
using wiz::StringList;

StringList twoLines() {
    StringList lines;
    lines.append("NUL=C:\\TEMP\\LRE1\\SETUP.EXE");
    lines.append("NUL=C:\\TEMP\\LRE1");
    return lines;
}

std::string edit(const std::string& old, const StringList& lines) {
    std::vector<char> buffer(old.size() + wiz::renameSectionGrowth(lines), '\0');
    std::copy(old.begin(), old.end(), buffer.begin());
    uint32_t size = wiz::insertRenameLines(buffer.data(), static_cast<uint32_t>(old.size()), lines);
    EXPECT_LE(size, buffer.size());
    return std::string(buffer.data(), size);
}

const std::string kLines = "NUL=C:\\TEMP\\LRE1\\SETUP.EXE\nNUL=C:\\TEMP\\LRE1\n";

TEST(RenameSection, InsertsDirectlyAfterTheHeaderOrAppendsANewSection) {
    struct Case {
        std::string old;
        std::string expected;
    } cases[] = {
        {"", "[Rename]\n" + kLines},
        {"[boot]\r\nx=1\r\n", "[boot]\r\nx=1\r\n[Rename]\n" + kLines},
        // An existing section gets the lines before its older ones.
        {"[Rename]\nNUL=C:\\OLD\n", "[Rename]\n" + kLines + "NUL=C:\\OLD\n"},
        {"[a]\r\n[Rename]\r\nNUL=C:\\OLD\r\n[b]\r\n",
         "[a]\r\n[Rename]\r\n" + kLines + "NUL=C:\\OLD\r\n[b]\r\n"},
        // A header ending the file without a line feed gets one.
        {"x=1\n[Rename]", "x=1\n[Rename]\n" + kLines},
        // Section names are case-sensitive.
        {"[rename]\n", "[rename]\n[Rename]\n" + kLines},
        // Bytes after a NUL still count as the file.
        {std::string("a\0b\n[Rename]\n", 13), std::string("a\0b\n[Rename]\n", 13) + kLines},
    };
    for (const auto& c : cases) EXPECT_EQ(edit(c.old, twoLines()), c.expected) << c.old;
}

class RenameFileTest : public ::testing::Test {
protected:
    wiztest::TempDir dir;
};

TEST_F(RenameFileTest, WriterCreatesOrExtendsTheFileAndClearsItsLines) {
    struct Case {
        bool exists;
        std::string old;
        std::string expected;
    } cases[] = {
        {false, "", "[Rename]\n" + kLines},
        {true, "[Rename]\nNUL=C:\\OLD\n", "[Rename]\n" + kLines + "NUL=C:\\OLD\n"},
        {true, "[386Enh]\n", "[386Enh]\n[Rename]\n" + kLines},
    };
    int n = 0;
    for (const auto& c : cases) {
        const std::string path = dir.file("WinInit" + std::to_string(n++) + ".Ini");
        if (c.exists) dir.write(std::filesystem::path(path).filename().string(), c.old);
        wiz::WininitRenameList list;
        list.lines = twoLines();
        EXPECT_TRUE(list.writeRenameSection(LString(path)).ok()) << c.old;
        EXPECT_EQ(list.lines.count(), 0);
        EXPECT_EQ(wiztest::TempDir::read(path), c.expected) << c.old;
    }
}

TEST_F(RenameFileTest, NoLinesWritesNothingAndAFailureKeepsTheLines) {
    wiz::WininitRenameList empty;
    EXPECT_TRUE(empty.writeRenameSection(LString(dir.file("none.ini"))).ok());
    EXPECT_FALSE(std::filesystem::exists(dir.file("none.ini")));

    wiz::WininitRenameList list;
    list.lines = twoLines();
    EXPECT_FALSE(list.writeRenameSection(LString(dir.file("missing-dir/WinInit.Ini"))).ok());
    EXPECT_EQ(list.lines.count(), 2);
}

TEST_F(RenameFileTest, AddPathWritesTheShortForm) {
    const std::string file = dir.write("a rather long file name.executable", "x");
    wiz::WininitRenameList list;
    list.addPath(LString(file));
    list.addPath(LString(dir.path().string()));
    ASSERT_EQ(list.lines.count(), 2);
    EXPECT_EQ(list.lines.at(0), LString("NUL=") + wiz::shortPathName(LString(file)));
    EXPECT_EQ(list.lines.at(1), LString("NUL=") + wiz::shortPathName(LString(dir.path().string())));
}

}  // namespace
