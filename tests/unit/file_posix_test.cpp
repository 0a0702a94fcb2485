// Files the launcher writes (extraction, the JVM file, the log) are never written through a
// link, into a file with other names or into a FIFO or device, and such a name never makes the
// launcher wait.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

TEST(FileNoLinkPosix, OnlyAPlainFileOfItsOwnIsWritten) {
    wiztest::TempDir dir;
    const std::string outside = dir.write("outside.txt", "keep me");
    fs::create_hard_link(outside, dir.path() / "hard");
    fs::create_symlink(outside, dir.path() / "soft");
    ASSERT_EQ(::mkfifo((dir.path() / "fifo").c_str(), 0600), 0);
    dir.write("plain", "old");
    struct Case {
        std::string path;
        bool refused;
    } cases[] = {
        {(dir.path() / "hard").string(), true},
        {(dir.path() / "soft").string(), true},
        {(dir.path() / "fifo").string(), true},  // no reader: would wait forever if opened plainly
        {"/dev/null", true},
        {(dir.path() / "plain").string(), false},
        {(dir.path() / "new").string(), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        bool refused = false;
        uint32_t error = 0;
        wiz::FilePtr created = wiz::createFileNoLink(wiz::LString(c.path), false, refused, error);
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(created != nullptr, !c.refused);
        created.reset();
        wiz::FilePtr appended = wiz::appendFileNoLink(wiz::LString(c.path), refused);
        EXPECT_EQ(refused, c.refused);
        EXPECT_EQ(appended != nullptr, !c.refused);
    }
    EXPECT_EQ(wiztest::TempDir::read(outside), "keep me");
    EXPECT_EQ(wiztest::TempDir::read((dir.path() / "plain").string()), "");
}

}  // namespace
