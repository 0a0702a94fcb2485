// Temporary directories and tree removal against a local user who can write to the temporary
// directory: whatever is planted at the worst moment (by a file system the test hands the code)
// is never taken over or followed.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <system_error>

#include "fs_test_support.h"
#include "platform/file_system.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "support/temp_dir.h"
#include "tempfiles/cleanup.h"
#include "tempfiles/temp_files.h"

namespace {

namespace fs = std::filesystem;
using wiz::LString;

// What a hostile user puts at a name.
enum class Planted { Link, Directory, File };

// Links need a right that Windows gives to few users; where they cannot be made here, the link
// cases are skipped.
bool canMakeLinks(const fs::path& dir) {
    std::error_code ec;
    fs::create_directory_symlink(dir, dir / "probe-link", ec);
    if (ec) return false;
    fs::remove(dir / "probe-link", ec);
    return true;
}

// The system's file system with a hostile user who can write to the temporary directory and
// acts once, at the worst moment of the code that uses it.
class HostileFileSystem : public wiz::SystemFileSystem {
public:
    enum class Moment { BeforeMaking, AfterMaking };

    explicit HostileFileSystem(const fs::path& outside) : outside_(outside) {}

    // Puts `planting` at the name of the directory about to be made, or swaps the made
    // directory for it before it is checked.
    void plantAt(Moment moment, Planted planting) {
        moment_ = moment;
        planting_ = planting;
        plantedAt.clear();
    }
    // Replaces the directory `victim` by a link to the outside just before it is opened (after
    // its parent was listed); the directory itself is moved to `movedTo`.
    void swapForLink(const std::string& victim, const std::string& movedTo) {
        victim_ = victim;
        movedTo_ = movedTo;
    }

    wiz::SysStatus makeDirectory(const LString& path) override {
        if (moment_ == Moment::BeforeMaking && plantedAt.empty()) plant(path.str());
        const wiz::SysStatus made = SystemFileSystem::makeDirectory(path);
        if (moment_ == Moment::AfterMaking && plantedAt.empty() && made.ok()) {
            fs::remove(path.str());
            plant(path.str());
        }
        return made;
    }
    // Inside the run's own directory, where directories are made relative to the open parent
    // and opened in the same step, only the moment before can be acted on.
    wiz::SysStatus makeChild(wiz::Directory& parent, const LString& name,
                             std::unique_ptr<wiz::Directory>& child) override {
        if (moment_ == Moment::BeforeMaking && plantedAt.empty()) {
            plant(wiz::joinPath(parent.path(), name).str());
        }
        return SystemFileSystem::makeChild(parent, name, child);
    }
    wiz::SysStatus openChild(wiz::Directory& parent, const LString& name,
                             std::unique_ptr<wiz::Directory>& child,
                             uint32_t& attributes) override {
        if (wiz::joinPath(parent.path(), name).str() == victim_) {
            fs::rename(victim_, movedTo_);
            fs::create_directory_symlink(outside_, victim_);
        }
        return SystemFileSystem::openChild(parent, name, child, attributes);
    }

    std::string plantedAt;

private:
    void plant(const std::string& at) {
        std::error_code ec;
        switch (planting_) {
            case Planted::Link:
                fs::create_directory_symlink(outside_, at, ec);
                break;
            case Planted::Directory:
                fs::create_directory(at, ec);
                break;
            case Planted::File:
                std::ofstream(at) << "planted";
                break;
        }
        if (!ec && fs::exists(fs::symlink_status(at))) plantedAt = at;
    }

    fs::path outside_;
    Moment moment_ = Moment::BeforeMaking;
    Planted planting_ = Planted::Link;
    std::string victim_, movedTo_;
};

class HostileFsTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(outside);
        std::ofstream(outside / "precious.txt") << "keep me";
        fs::create_directories(dir.path() / "tmp");
        wiz::setTempDirectory(wiztest::lstr(dir.path() / "tmp"));
    }
    bool outsideIntact() const {
        return fs::exists(outside / "precious.txt") &&
               wiztest::TempDir::read((outside / "precious.txt").string()) == "keep me";
    }

    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
    const fs::path outside = dir.path() / "outside";
    HostileFileSystem hostile{outside};
};

TEST_F(HostileFsTest, TemporaryDirectoryIsNeverOneSomebodyElsePlanted) {
    const bool links = canMakeLinks(dir.path());
    for (Planted p : {Planted::Link, Planted::Directory, Planted::File}) {
        if (p == Planted::Link && !links) continue;
        // Before the directory is made, at the name it is about to get.
        hostile.plantAt(HostileFileSystem::Moment::BeforeMaking, p);
        const LString made = wiz::createTempDirectory(hostile);
        EXPECT_FALSE(hostile.plantedAt.empty());
        EXPECT_NE(made.str(), hostile.plantedAt) << "planted thing taken over";
        EXPECT_TRUE(fs::is_directory(fs::symlink_status(made.str())));
        EXPECT_TRUE(fs::is_empty(made.str()));
        EXPECT_TRUE(outsideIntact());
    }
    if (!links) GTEST_SKIP() << "no links on this system; the directory and file cases passed";
}

TEST_F(HostileFsTest, TemporaryDirectorySwappedForALinkAfterItWasMadeIsNotUsed) {
    if (!canMakeLinks(dir.path())) GTEST_SKIP() << "no links on this system";
    hostile.plantAt(HostileFileSystem::Moment::AfterMaking, Planted::Link);
    const LString made = wiz::createTempDirectory(hostile);
    EXPECT_FALSE(hostile.plantedAt.empty());
    EXPECT_NE(made.str(), hostile.plantedAt);
    EXPECT_TRUE(fs::is_directory(fs::symlink_status(made.str())));
    // Extracting into the returned directory writes inside it, not behind a link.
    std::ofstream(fs::path(made.str()) / "extracted.bin") << "x";
    EXPECT_FALSE(fs::exists(outside / "extracted.bin"));
    EXPECT_TRUE(outsideIntact());
}

TEST_F(HostileFsTest, TreeRemovalNeverFollowsALink) {
    if (!canMakeLinks(dir.path())) GTEST_SKIP() << "no links on this system";
    const fs::path tree = dir.path() / "tree";
    fs::create_directories(tree / "a" / "b");
    std::ofstream(tree / "a" / "b" / "inner.txt") << "x";
    std::ofstream(tree / "top.txt") << "x";
    // A link that was there from the start, and one swapped in while the tree is removed.
    fs::create_directory_symlink(outside, tree / "old-link");
    hostile.swapForLink((tree / "a").string(), (dir.path() / "a-moved").string());
    wiz::TreeDeleter deleter(hostile);
    deleter.run(wiztest::lstr(tree));

    EXPECT_FALSE(fs::exists(fs::symlink_status(tree))) << "the tree is gone";
    EXPECT_TRUE(outsideIntact()) << "files behind a link were deleted";
    EXPECT_TRUE(fs::exists(dir.path() / "a-moved" / "b" / "inner.txt"))
        << "the moved-away directory is outside the tree now";
}

}  // namespace
