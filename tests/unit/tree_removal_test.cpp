// Tree removal and unique directories over a file system in memory: the cases a real disk gives
// only on some systems (read-only directories, links to directories marked as directories,
// entries held by another process, directories that cannot be listed or opened, a directory
// swapped for a link at the worst moment), the same on every build.
#include "tempfiles/tree_removal.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/memory_file_system.h"
#include "tempfiles/unique_directory.h"

namespace {

using wiz::LString;
using wiztest::MemoryFileSystem;

std::string at(const std::string& relative) { return MemoryFileSystem::path(relative).str(); }

// Records what the removal reports.
class RecordingRemoval : public wiz::TreeRemoval {
public:
    using TreeRemoval::TreeRemoval;
    void failedToRemove(const LString& path, wiz::SysStatus error) override {
        failed.push_back(path.str());
        EXPECT_FALSE(error.ok()) << path.str();
    }
    void keptDirectory(const LString& path) override { kept.push_back(path.str()); }
    std::vector<std::string> failed, kept;
};

// A tree next to a directory outside it, which the tree's links lead to.
class MemoryTreeTest : public ::testing::Test {
protected:
    MemoryTreeTest() {
        memory.addFile(MemoryFileSystem::path("outside/precious.txt"));
        outside = memory.picture(MemoryFileSystem::path("outside"));
    }
    bool outsideIntact() const {
        return memory.picture(MemoryFileSystem::path("outside")) == outside;
    }

    MemoryFileSystem memory;
    std::vector<std::string> outside;
};

TEST_F(MemoryTreeTest, RemovesEverythingReadOnlyEntriesAndLinksIncluded) {
    memory.addFile(MemoryFileSystem::path("tree/a/b/deep.txt"));
    memory.addFile(MemoryFileSystem::path("tree/a/ro.txt"))->readOnly = true;
    memory.addDirectory(MemoryFileSystem::path("tree/ro-dir"))->readOnly = true;
    memory.addFile(MemoryFileSystem::path("tree/ro-dir/x.txt"));
    memory.addLink(MemoryFileSystem::path("tree/a/to-dir"), MemoryFileSystem::path("outside"),
                   true);
    memory.addLink(MemoryFileSystem::path("tree/to-file"),
                   MemoryFileSystem::path("outside/precious.txt"), false);
    memory.addDirectory(MemoryFileSystem::path("tree/empty"));

    RecordingRemoval removal(memory);
    EXPECT_TRUE(removal.run(MemoryFileSystem::path("tree")));
    EXPECT_FALSE(memory.find(MemoryFileSystem::path("tree")));
    EXPECT_TRUE(outsideIntact());
    EXPECT_TRUE(removal.failed.empty());
    EXPECT_TRUE(removal.kept.empty());
}

TEST_F(MemoryTreeTest, WhatCannotGoStaysWithEveryDirectoryAboveItAndNothingElse) {
    memory.addFile(MemoryFileSystem::path("tree/a/held/locked.bin"))->held = true;
    memory.addFile(MemoryFileSystem::path("tree/a/held/other.bin"));
    memory.addFile(MemoryFileSystem::path("tree/a/gone/x.bin"));
    memory.addDirectory(MemoryFileSystem::path("tree/b/closed"))->unlistable = true;
    memory.addFile(MemoryFileSystem::path("tree/b/closed/inside.bin"));
    memory.addDirectory(MemoryFileSystem::path("tree/c/locked-dir"))->unopenable = true;
    memory.addFile(MemoryFileSystem::path("tree/d/y.bin"));
    // A trailing separator names the same tree.
    RecordingRemoval removal(memory);
    EXPECT_FALSE(removal.run(MemoryFileSystem::path("tree") + wiz::kPathSeparator));

    EXPECT_EQ(memory.picture(MemoryFileSystem::path("tree")),
              (std::vector<std::string>{
                  "d " + at("tree"),
                  "d " + at("tree/a"),
                  "d " + at("tree/a/held"),
                  "f " + at("tree/a/held/locked.bin"),
                  "d " + at("tree/b"),
                  "d " + at("tree/b/closed"),
                  "f " + at("tree/b/closed/inside.bin"),
                  "d " + at("tree/c"),
                  "d " + at("tree/c/locked-dir"),
              }));
    EXPECT_EQ(removal.failed,
              (std::vector<std::string>{at("tree/a/held/locked.bin"), at("tree/b/closed"),
                                        at("tree/c/locked-dir")}));
    // The directories with something directly inside that stays.
    EXPECT_EQ(removal.kept, (std::vector<std::string>{at("tree/a/held"), at("tree/c")}));
}

// Swaps a directory for a link to the outside (or for a file) just before it is opened, after
// its parent was listed; the directory itself goes to "moved".
class SwappingFileSystem : public MemoryFileSystem {
public:
    wiz::SysStatus openChild(wiz::Directory& parent, const LString& name,
                             std::unique_ptr<wiz::Directory>& child,
                             uint32_t& attributes) override {
        const LString full = wiz::joinPath(parent.path(), name);
        if (full.str() == victim) {
            move(full, path("moved"));
            if (byFile) {
                addFile(full);
            } else {
                addLink(full, path("outside"), true);
            }
        }
        return MemoryFileSystem::openChild(parent, name, child, attributes);
    }
    std::string victim;
    bool byFile = false;
};

TEST(MemoryTreeSwap, ADirectoryReplacedAfterItWasListedIsNotEntered) {
    for (bool byFile : {false, true}) {
        SwappingFileSystem memory;
        memory.addFile(MemoryFileSystem::path("outside/precious.txt"));
        memory.addFile(MemoryFileSystem::path("tree/a/b/inner.txt"));
        memory.addFile(MemoryFileSystem::path("tree/top.txt"));
        const auto outside = memory.picture(MemoryFileSystem::path("outside"));
        memory.victim = at("tree/a");
        memory.byFile = byFile;

        RecordingRemoval removal(memory);
        EXPECT_TRUE(removal.run(MemoryFileSystem::path("tree"))) << byFile;
        EXPECT_FALSE(memory.find(MemoryFileSystem::path("tree")));
        EXPECT_EQ(memory.picture(MemoryFileSystem::path("outside")), outside);
        EXPECT_EQ(memory.picture(MemoryFileSystem::path("moved")),
                  (std::vector<std::string>{"d " + at("moved"), "d " + at("moved/b"),
                                            "f " + at("moved/b/inner.txt")}));
    }
}

TEST_F(MemoryTreeTest, ARootThatIsNoDirectoryIsRemovedItselfAndAMissingOneIsGone) {
    memory.addLink(MemoryFileSystem::path("dir-link"), MemoryFileSystem::path("outside"), true);
    memory.addFile(MemoryFileSystem::path("file"))->readOnly = true;
    for (const char* root : {"dir-link", "file", "missing", "missing/below"}) {
        RecordingRemoval removal(memory);
        EXPECT_TRUE(removal.run(MemoryFileSystem::path(root))) << root;
        EXPECT_FALSE(memory.find(MemoryFileSystem::path(root))) << root;
        EXPECT_TRUE(removal.failed.empty()) << root;
    }
    EXPECT_TRUE(outsideIntact());
}

// Makes directories that somebody else swaps for a link (or takes over) right after they were
// made, for the first `hostileMakes` of them.
class RacingFileSystem : public MemoryFileSystem {
public:
    wiz::SysStatus makeDirectory(const LString& made) override {
        const wiz::SysStatus status = MemoryFileSystem::makeDirectory(made);
        if (status.ok() && hostileMakes > 0) {
            --hostileMakes;
            if (hostileMakes % 2 == 0) {
                find(made)->othersOwn = true;
            } else {
                move(made, path("moved-" + std::to_string(hostileMakes)));
                addLink(made, path("outside"), true);
            }
        }
        return status;
    }
    int hostileMakes = 0;
};

TEST(UniqueDirectoryInMemory, OnlyADirectoryOfItsOwnMakingIsGiven) {
    RacingFileSystem memory;
    memory.addDirectory(MemoryFileSystem::path("tmp"));
    memory.addFile(MemoryFileSystem::path("tmp/LRE1.tmp"));
    memory.addLink(MemoryFileSystem::path("tmp/LRE2.tmp"), MemoryFileSystem::path("outside"), true);
    memory.addDirectory(MemoryFileSystem::path("tmp/LRE3.tmp"));
    memory.tempNames = {"LRE1.tmp", "LRE2.tmp", "LRE3.tmp", "LRE4.tmp", "LRE5.tmp", "LRE6.tmp"};
    memory.hostileMakes = 2;  // LRE4 is swapped for a link, LRE5 taken over

    LString made;
    ASSERT_TRUE(
        wiz::createUniqueDirectory(memory, MemoryFileSystem::path("tmp"), "LRE", made).ok());
    EXPECT_EQ(made, MemoryFileSystem::path("tmp/LRE6.tmp"));
    EXPECT_TRUE(memory.find(made)->children.empty());
}

TEST(UniqueDirectoryInMemory, GivesUpWhenEveryNameIsTakenAndPassesOtherFailuresOn) {
    MemoryFileSystem memory;
    memory.addDirectory(MemoryFileSystem::path("tmp"));
    for (int i = 0; i < wiz::kUniqueDirectoryAttempts; ++i) {
        const std::string name = "taken" + std::to_string(i);
        memory.addFile(MemoryFileSystem::path("tmp/" + name));
        memory.tempNames.push_back(name);
    }
    memory.tempNames.push_back("free");
    LString made;
    const wiz::SysStatus full =
        wiz::createUniqueDirectory(memory, MemoryFileSystem::path("tmp"), "LRE", made);
    EXPECT_TRUE(full.is(wiz::ErrorKind::Exists));
    EXPECT_TRUE(made.empty());

    const wiz::SysStatus missing =
        wiz::createUniqueDirectory(memory, MemoryFileSystem::path("no-such-dir"), "LRE", made);
    EXPECT_TRUE(missing.is(wiz::ErrorKind::NotFound));
}

}  // namespace
