// POSIX-only parts of the temporary-file tests: the mount-table rule of the drive list, links in
// a tree being removed, the way a file is kept from removal (the file system the code is handed
// refuses it), and an entry that stays because its directory has no write permission.
#include "platform/fs_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/exceptions.h"
#include "fs_test_support.h"
#include "platform/fs.h"
#include "platform/system_error.h"
#include "services/log.h"
#include "services/messages.h"
#include "support/temp_dir.h"
#include "tempfiles/temp_files.h"

namespace wiztest {

namespace {

// POSIX has no lock that keeps a file from being deleted (permissions belong to the directory and
// do not bind root), so the file system handed to the code keeps it instead.
class KeepingBlocker : public RemovalBlocker {
public:
    explicit KeepingBlocker(const std::string& file) { fs_.kept.push_back(file); }
    wiz::FileSystem& fileSystem() override { return fs_; }

private:
    KeepingFileSystem fs_;
};

}  // namespace

const char* const kNoRemovalBlocker = "the file could not be kept";

std::unique_ptr<RemovalBlocker> blockRemoval(const std::string& file) {
    return std::make_unique<KeepingBlocker>(file);
}

}  // namespace wiztest

namespace {

using wiz::LString;
using wiz::StringList;
using wiztest::toVector;

TEST(MountTable, KeepsDiskAndNetworkFileSystemsOnly) {
    const char* table =
        "overlay / overlay rw,relatime 0 0\n"
        "proc /proc proc rw 0 0\n"
        "tmpfs /dev tmpfs rw 0 0\n"
        "sysfs /sys sysfs ro 0 0\n"
        "/dev/sda1 /home ext4 rw 0 0\n"
        "/dev/sda2 /run/media/usb vfat rw 0 0\n"
        "tmpfs /tmp tmpfs rw 0 0\n"
        "server:/export /mnt/nfs nfs4 rw 0 0\n"
        "//host/share /mnt/my\\040share cifs rw 0 0\n"
        "/dev/loop0 /snap/core/1 squashfs ro 0 0\n"
        "/dev/sda1 /home ext4 rw 0 0\n"
        "cgroup2 /sys/fs/cgroup cgroup2 rw 0 0\n"
        "/dev/sdb1 /data xfs rw 0 0\n"
        "garbage\n"
        "\n";
    StringList points;
    wiz::parseMountTable(table, points);
    EXPECT_EQ(toVector(points),
              (std::vector<std::string>{"/", "/home", "/mnt/nfs", "/mnt/my share", "/data"}));
}

TEST(DeletePathPosix, LinkToADirectoryIsRemovedWithoutTouchingItsTarget) {
    wiztest::FsStateGuard state;
    wiztest::TempDir tree, outside;
    outside.write("keep.txt", "precious");
    std::filesystem::create_directories(tree.path() / "sub");
    std::filesystem::create_directory_symlink(outside.path(), tree.path() / "sub" / "link");
    std::filesystem::create_symlink(outside.path(), tree.path() / "toplink");

    EXPECT_EQ(wiz::deletePath(wiztest::lstr(tree.path())), 0);
    EXPECT_FALSE(std::filesystem::exists(tree.path()));
    EXPECT_EQ(wiztest::TempDir::read(outside.file("keep.txt")), "precious");
    // A registered path that is itself a link: only the link goes.
    std::filesystem::create_directory(tree.path());
    std::filesystem::create_directory_symlink(outside.path(), tree.path() / "l");
    EXPECT_EQ(wiz::deletePath(wiztest::lstr(tree.path() / "l")), 0);
    EXPECT_TRUE(std::filesystem::exists(outside.file("keep.txt")));
}

TEST(HasEnoughDiskSpacePosix, MissingDirectoryReportsTheSystemText) {
    wiztest::TempDir dir;
    const std::string missing = dir.file("missing/dir");
    try {
        wiz::hasEnoughDiskSpace(LString(missing), 1, 1);
        FAIL() << "no exception";
    } catch (const wiz::LauncherException& e) {
        EXPECT_EQ(e.message(),
                  LString("GetDiskFreeSpace failed  ==>  ") + wiz::systemErrorText(ENOENT));
    }
}

TEST(RemoveTemporaryFilesPosix, EntryThatStaysIsGivenUpWithAWarning) {
    if (::geteuid() == 0) {
        GTEST_SKIP() << "running as root, which deletes in directories without write permission "
                        "(the same bound is tested with a locked file under Windows)";
    }
    wiztest::FsStateGuard state;
    wiztest::TempDir temp, logDir;
    wiz::logState().filePath = LString(logDir.file("launcher.log"));
    wiz::tempFiles().removalAttempts = 3;
    const std::string file = temp.write("stays.txt", "x");
    wiz::registerTempFile(LString(file));
    ::chmod(temp.path().c_str(), 0555);
    wiz::removeTemporaryFiles();
    ::chmod(temp.path().c_str(), 0755);

    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
    EXPECT_TRUE(std::filesystem::exists(file));
    const std::string line =
        "WARNING: Could not delete " + file + " :  " + wiz::systemErrorText(EACCES).str() + "\n";
    EXPECT_EQ(wiztest::TempDir::read(logDir.file("launcher.log")),
              "------------------\n" + line + line + line + "WARNING: Could not remove " + file +
                  ", giving up after 3 attempts.\n");
}

}  // namespace
