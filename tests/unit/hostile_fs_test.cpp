// Temporary directories and tree removal against a local user who can write to the temporary
// directory: whatever is planted at the worst moment (through the test seams) is never taken over
// or followed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

#include "fs_test_support.h"
#include "platform/fs.h"
#include "support/temp_dir.h"
#include "tempfiles/cleanup.h"
#include "tempfiles/temp_files.h"

namespace {

namespace fs = std::filesystem;
using wiz::LString;

// What a hostile user puts at a name.
enum class Planted { Link, Directory, File };

// The directory outside the tree that a planted link leads to, with one file in it.
fs::path outside;
Planted planting = Planted::Link;
std::string plantedAt;

bool plant(const fs::path& at) {
    std::error_code ec;
    switch (planting) {
        case Planted::Link:
            fs::create_directory_symlink(outside, at, ec);
            break;
        case Planted::Directory:
            fs::create_directory(at, ec);
            break;
        case Planted::File:
            std::ofstream(at) << "planted";
            break;
    }
    plantedAt = at.string();
    return !ec && fs::exists(fs::symlink_status(at));
}

// Links need a right that Windows gives to few users; where they cannot be made here, the link
// cases are skipped.
bool canMakeLinks(const fs::path& dir) {
    std::error_code ec;
    fs::create_directory_symlink(dir, dir / "probe-link", ec);
    if (ec) return false;
    fs::remove(dir / "probe-link", ec);
    return true;
}

class HostileFsTest : public ::testing::Test {
protected:
    void SetUp() override {
        outside = dir.path() / "outside";
        fs::create_directories(outside);
        std::ofstream(outside / "precious.txt") << "keep me";
        fs::create_directories(dir.path() / "tmp");
        wiz::setTempDirectory(wiztest::lstr(dir.path() / "tmp"));
        plantedAt.clear();
    }
    void TearDown() override {
        wiz::uniqueDirectoryHooks() = wiz::UniqueDirectoryHooks();
        wiz::tempFiles().directories.clear();
    }
    bool outsideIntact() const {
        return fs::exists(outside / "precious.txt") &&
               wiztest::TempDir::read((outside / "precious.txt").string()) == "keep me";
    }

    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
};

TEST_F(HostileFsTest, TemporaryDirectoryIsNeverOneSomebodyElsePlanted) {
    const bool links = canMakeLinks(dir.path());
    for (Planted p : {Planted::Link, Planted::Directory, Planted::File}) {
        if (p == Planted::Link && !links) continue;
        planting = p;
        // Before the directory is made, at the name it is about to get.
        wiz::uniqueDirectoryHooks().beforeCreate = [](const LString& name) {
            if (plantedAt.empty()) plant(fs::path(name.str()));
        };
        plantedAt.clear();
        const LString made = wiz::createTempDirectory();
        EXPECT_FALSE(plantedAt.empty());
        EXPECT_NE(made.str(), plantedAt) << "planted thing taken over";
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(made.str())));
        EXPECT_TRUE(fs::is_empty(made.str()));
        EXPECT_TRUE(outsideIntact());
    }
    if (!links) GTEST_SKIP() << "no links on this system; the directory and file cases passed";
}

TEST_F(HostileFsTest, TemporaryDirectorySwappedForALinkAfterItWasMadeIsNotUsed) {
    if (!canMakeLinks(dir.path())) GTEST_SKIP() << "no links on this system";
    planting = Planted::Link;
    wiz::uniqueDirectoryHooks().afterCreate = [](const LString& name) {
        if (!plantedAt.empty()) return;
        fs::remove(name.str());
        plant(fs::path(name.str()));
    };
    const LString made = wiz::createTempDirectory();
    EXPECT_FALSE(plantedAt.empty());
    EXPECT_NE(made.str(), plantedAt);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(made.str())));
    // Extracting into the returned directory writes inside it, not behind a link.
    std::ofstream(fs::path(made.str()) / "extracted.bin") << "x";
    EXPECT_FALSE(fs::exists(outside / "extracted.bin"));
    EXPECT_TRUE(outsideIntact());
}

// A deleter through which a subdirectory is replaced by a link to the outside after its parent
// was listed, just before it is entered.
class SwappingDeleter : public wiz::TreeDeleter {
public:
    void beforeEntering(const LString& directory) override {
        if (directory.str() != victim) return;
        fs::rename(directory.str(), movedTo);
        fs::create_directory_symlink(outside, directory.str());
    }
    std::string victim;
    std::string movedTo;
};

TEST_F(HostileFsTest, TreeRemovalNeverFollowsALink) {
    if (!canMakeLinks(dir.path())) GTEST_SKIP() << "no links on this system";
    const fs::path tree = dir.path() / "tree";
    fs::create_directories(tree / "a" / "b");
    std::ofstream(tree / "a" / "b" / "inner.txt") << "x";
    std::ofstream(tree / "top.txt") << "x";
    // A link that was there from the start, and one swapped in while the tree is removed.
    fs::create_directory_symlink(outside, tree / "old-link");
    SwappingDeleter deleter;
    deleter.victim = (tree / "a").string();
    deleter.movedTo = (dir.path() / "a-moved").string();
    deleter.run(wiztest::lstr(tree));

    EXPECT_FALSE(fs::exists(fs::symlink_status(tree))) << "the tree is gone";
    EXPECT_TRUE(outsideIntact()) << "files behind a link were deleted";
    EXPECT_TRUE(fs::exists(dir.path() / "a-moved" / "b" / "inner.txt"))
        << "the moved-away directory is outside the tree now";
}

}  // namespace
