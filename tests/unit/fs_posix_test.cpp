// POSIX-only parts of the temporary-file tests: the mount-table rule of the drive list, links in
// a tree being removed, and the way a file is kept from removal (a directory without write
// permission, which does not bind root).
#include "platform/posix/fs_posix.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#include "base/exceptions.h"
#include "core/messages.h"
#include "fs_test_support.h"
#include "platform/fs.h"
#include "support/temp_dir.h"

namespace wiztest {

namespace {

class ReadOnlyDirectoryBlocker : public RemovalBlocker {
public:
    explicit ReadOnlyDirectoryBlocker(std::string dir) : dir_(std::move(dir)) {
        ::chmod(dir_.c_str(), 0555);
    }
    ~ReadOnlyDirectoryBlocker() override { ::chmod(dir_.c_str(), 0755); }

private:
    std::string dir_;
};

}  // namespace

const char* const kNoRemovalBlocker =
    "running as root: a directory without write permission does not keep root from deleting "
    "its files";

std::unique_ptr<RemovalBlocker> blockRemoval(const std::string& file) {
    if (::geteuid() == 0) return nullptr;
    return std::make_unique<ReadOnlyDirectoryBlocker>(
        std::filesystem::path(file).parent_path().string());
}

}  // namespace wiztest

namespace {

using wiz::LString;
using wiz::StringList;

std::vector<std::string> toVector(const StringList& list) {
    std::vector<std::string> v;
    for (int32_t i = 0; i < list.count(); ++i) v.push_back(list.at(i).str());
    return v;
}

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
                  LString("GetDiskFreeSpace failed  ==>  ") + wiz::systemErrorString(ENOENT));
    }
}

}  // namespace
