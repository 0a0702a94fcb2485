// A temporary directory that other users can change is not used (POSIX permissions).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "fs_test_support.h"
#include "platform/fs.h"
#include "services/log.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"

namespace {

namespace fs = std::filesystem;
using wiz::LString;
using wiztest::lstr;

TEST(TempRootPosix, DirectoryOthersCanChangeIsNotUsed) {
    wiztest::FsStateGuard state;
    wiztest::TempDir temp;
    const fs::path shared = temp.path() / "shared";
    fs::create_directory(shared);
    fs::permissions(shared, fs::perms::all, fs::perm_options::replace);  // 0777, no sticky bit
    const std::string log = temp.file("launcher.log");
    wiz::logState().filePath = LString(log);
    wiz::setTempDirectory(lstr(shared));
    const LString dir = wiz::createTempDirectory();
    // The system's temporary folder instead, and the log says why.
    EXPECT_EQ(wiz::tempFiles().directory, wiz::fullPath(wiz::systemTempPath()));
    EXPECT_EQ(dir.substr(0, wiz::tempFiles().directory.length()), wiz::tempFiles().directory);
    EXPECT_TRUE(fs::is_empty(shared));
    std::ifstream in(log);
    std::string line;
    bool logged = false;
    while (std::getline(in, line))
        logged |= line.rfind("WARNING: Not using " + shared.string(), 0) == 0;
    EXPECT_TRUE(logged);
    wiz::removeTemporaryFiles();
    EXPECT_FALSE(fs::exists(dir.str()));

    // With the sticky bit it is used.
    fs::permissions(shared, fs::perms::all | fs::perms::sticky_bit, fs::perm_options::replace);
    wiz::setTempDirectory(lstr(shared));
    const LString inside = wiz::createTempDirectory();
    EXPECT_EQ(inside.substr(0, shared.string().length()).str(), shared.string());
}

}  // namespace
