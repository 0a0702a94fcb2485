// Windows-only parts of the temporary-file tests: a real lock on a file (held open without
// sharing, through the C runtime) and the drive-root rule of the free-space check.
#include <direct.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <filesystem>

#include "fs_test_support.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace wiztest {

namespace {

// The system's own lock: the file is held open without sharing.
class OpenFileBlocker : public RemovalBlocker {
public:
    explicit OpenFileBlocker(int fd) : fd_(fd) {}
    ~OpenFileBlocker() override { _close(fd_); }
    wiz::FileSystem& fileSystem() override { return wiz::systemFileSystem(); }

private:
    int fd_;
};

}  // namespace

const char* const kNoRemovalBlocker = "the file could not be opened without sharing";

std::unique_ptr<RemovalBlocker> blockRemoval(const std::string& file) {
    int fd = _sopen(file.c_str(), _O_RDONLY | _O_BINARY, _SH_DENYRW, _S_IREAD);
    if (fd < 0) return nullptr;
    return std::make_unique<OpenFileBlocker>(fd);
}

}  // namespace wiztest

namespace {

using wiz::LString;

TEST(FreeSpaceRootWin32, DriveRootOrCurrentDrive) {
    const LString current = LString(1, static_cast<char>('A' + _getdrive() - 1)) + ":\\";
    struct Case {
        const char* path;
        LString root;
    } cases[] = {
        {"C:\\Temp\\x", "C:\\"},
        {"D:\\a", "D:\\"},
        // Three characters or fewer: the current drive, not that letter's drive.
        {"D:", current},
        {"D:\\", current},
        {"relative\\dir", current},
        {"", current},
        {"\\\\server\\share\\dir", current},
    };
    for (const auto& c : cases) EXPECT_EQ(wiz::freeSpaceRoot(c.path), c.root) << c.path;
}

TEST(FileExistsWin32, FileHeldOpenWithoutSharingExists) {
    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
    std::string file = dir.write("held.bin", "x");
    auto lock = wiztest::blockRemoval(file);
    ASSERT_TRUE(lock) << wiztest::kNoRemovalBlocker;
    EXPECT_TRUE(wiz::fileExists(LString(file)));
}

TEST(ShortPathNameWin32, LongNamesGetAnEightDotThreeForm) {
    wiztest::TempDir dir;
    const std::string file = dir.write("a rather long file name.executable", "x");
    const LString shortName = wiz::shortPathName(LString(file));
    EXPECT_EQ(shortName.find(' '), LString::npos) << shortName.str();
    const std::string name = std::filesystem::path(shortName.str()).filename().string();
    EXPECT_LE(name.size(), 12u) << name;
    EXPECT_EQ(wiztest::TempDir::read(shortName.str()), "x");
    // Without a short form (the path does not exist) the path itself is used.
    EXPECT_EQ(wiz::shortPathName(LString(dir.file("missing long name.txt"))),
              LString(dir.file("missing long name.txt")));
}

}  // namespace
