// Removal of single entries and directory trees, the directory walk, and the batch file that
// removes the launcher file after the launcher has ended.
#include "tempfiles/cleanup.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "fs_test_support.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using wiz::LString;
using wiztest::lstr;
using wiztest::toVector;

std::string withoutCarriageReturns(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c != '\r') out += c;
    }
    return out;
}

class CleanupTest : public ::testing::Test {
protected:
    std::string sub(const std::string& relative) const {
        return (dir.path() / fs::path(relative).make_preferred()).string();
    }
    void makeFile(const std::string& relative) {
        fs::create_directories(fs::path(sub(relative)).parent_path());
        std::ofstream(sub(relative)) << relative;
    }

    wiztest::FsStateGuard state;
    wiztest::TempDir dir;
};

TEST_F(CleanupTest, DeleteEntryRemovesReadOnlyFilesAndEmptyDirectories) {
    makeFile("ro.txt");
    wiztest::makeReadOnly(sub("ro.txt"));
    uint32_t attributes = 0;
    ASSERT_TRUE(wiz::readAttributes(LString(sub("ro.txt")), attributes).ok());
    ASSERT_TRUE(attributes & wiz::kAttrReadOnly);
    fs::create_directory(sub("empty"));

    EXPECT_TRUE(wiz::deleteEntry(LString(sub("ro.txt"))));
    EXPECT_TRUE(wiz::deleteEntry(LString(sub("empty"))));
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

TEST_F(CleanupTest, DeleteEntryFailureIsLoggedAsAWarning) {
    const std::string log = dir.file("launcher.log");
    wiz::logState().filePath = LString(log);
    makeFile("full/a.txt");
    const wiz::SysStatus full = wiz::removeEntry(LString(sub("full")), wiz::kAttrDirectory);
    ASSERT_FALSE(full.ok());
    const LString notEmpty = wiz::systemErrorText(full.code());
    const wiz::SysStatus absent = wiz::removeEntry(LString(sub("missing")), wiz::kAttrDirectory);
    ASSERT_FALSE(absent.ok());
    const LString missing = wiz::systemErrorText(absent.code());

    EXPECT_FALSE(wiz::deleteEntry(LString(sub("full"))));
    // A path whose attributes cannot be read counts as a directory.
    EXPECT_FALSE(wiz::deleteEntry(LString(sub("missing"))));

    EXPECT_EQ(withoutCarriageReturns(wiztest::TempDir::read(log)),
              withoutCarriageReturns("------------------\n"
                                     "WARNING: Could not delete " +
                                     sub("full") + " :  " + notEmpty.str() +
                                     "\n"
                                     "WARNING: Could not delete " +
                                     sub("missing") + " :  " + missing.str() + "\n"));
    EXPECT_TRUE(fs::exists(sub("full/a.txt")));
}

// Records the walk.
class RecordingWalker : public wiz::DirectoryWalker {
public:
    bool visitFile(const LString& path) override {
        files.push_back(path.str());
        return path.str() == stopAt;
    }
    bool skipDirectory(const LString& directory) override {
        return !skip.empty() && directory.str() == skip;
    }
    std::vector<std::string> files;
    std::string stopAt, skip;
};

TEST_F(CleanupTest, WalkIsDepthFirstWithEveryDirectoryAfterItsParent) {
    makeFile("a/x/1.txt");
    makeFile("a/2.txt");
    makeFile("b/3.txt");
    fs::create_directories(sub("b/empty"));
    RecordingWalker walker;
    EXPECT_FALSE(walker.walk(lstr(dir.path())));

    std::vector<std::string> visited = toVector(walker.visited);
    ASSERT_EQ(visited.size(), 5u);
    EXPECT_EQ(visited[0], dir.path().string());
    auto position = [&](const std::string& d) {
        return std::find(visited.begin(), visited.end(), sub(d)) - visited.begin();
    };
    EXPECT_LT(position("a"), position("a/x"));
    EXPECT_LT(position("b"), position("b/empty"));
    // Depth first: once a subtree is entered it is finished before its sibling is read.
    EXPECT_TRUE(position("a/x") == position("a") + 1 || position("b/empty") == position("b") + 1);
    std::sort(walker.files.begin(), walker.files.end());
    EXPECT_EQ(walker.files,
              (std::vector<std::string>{sub("a/2.txt"), sub("a/x/1.txt"), sub("b/3.txt")}));
    EXPECT_EQ(walker.pending.count(), 0);
}

TEST_F(CleanupTest, WalkStopsWhenTheVisitorSaysSoAndSkipsWhatItIsTold) {
    makeFile("only/one.txt");
    makeFile("only/two.txt");
    makeFile("skipped/three.txt");
    RecordingWalker walker;
    walker.skip = sub("skipped") + wiz::kPathSeparator;
    walker.stopAt = sub("only/one.txt");
    bool stopped = walker.walk(lstr(dir.path()));
    const bool oneFirst = !walker.files.empty() && walker.files.back() == walker.stopAt;
    EXPECT_TRUE(stopped);
    EXPECT_TRUE(oneFirst);
    for (const std::string& f : walker.files) EXPECT_NE(f, sub("skipped/three.txt"));

    RecordingWalker all;
    all.skip = walker.skip;
    EXPECT_FALSE(all.walk(lstr(dir.path())));
    EXPECT_EQ(all.files.size(), 2u);
}

TEST_F(CleanupTest, CancellableWalkStopsAtOnceButAPlainOneDoesNot) {
    makeFile("a/1.txt");
    wiz::hostState().cancelRequested = true;
    RecordingWalker cancellable;
    cancellable.cancellable = 1;
    EXPECT_FALSE(cancellable.walk(lstr(dir.path())));
    EXPECT_TRUE(cancellable.files.empty());
    RecordingWalker plain;
    plain.walk(lstr(dir.path()));
    EXPECT_EQ(plain.files, std::vector<std::string>{sub("a/1.txt")});
}

TEST_F(CleanupTest, WalkStepsProgressEveryHundredFiles) {
    for (int i = 0; i < 200; ++i) makeFile("many/" + std::to_string(i));
    wiztest::RecordingHost host;
    wiztest::ScopedHost scoped(host);
    RecordingWalker walker;
    walker.walk(lstr(dir.path()));
    EXPECT_EQ(host.calls, (std::vector<std::string>{"step:1", "step:1"}));
}

TEST_F(CleanupTest, WalkOfAMissingDirectoryFindsNothing) {
    RecordingWalker walker;
    EXPECT_FALSE(walker.walk(LString(sub("missing"))));
    EXPECT_TRUE(walker.files.empty());
    EXPECT_EQ(toVector(walker.visited), std::vector<std::string>{sub("missing")});
}

TEST_F(CleanupTest, TreeWithAnUndeletableFileKeepsOnlyThatFilesDirectories) {
    // "a/b" shares the beginning of its name with the kept "a/bc" but is removed.
    for (const char* f : {"a/bc/locked.bin", "a/bc/other.bin", "a/bc/d/deep.bin", "a/b/s.bin",
                          "a/sibling/s.bin", "top.bin"}) {
        makeFile(f);
    }
    fs::create_directories(sub("a/empty"));
    wiztest::KeepingFileSystem keeping;
    keeping.kept.push_back(sub("a/bc/locked.bin"));
    wiz::TreeDeleter deleter(keeping);
    deleter.run(lstr(dir.path()));

    std::vector<std::string> left;
    for (auto& e : fs::recursive_directory_iterator(dir.path())) left.push_back(e.path().string());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{sub("a"), sub("a/bc"), sub("a/bc/locked.bin")}));
    EXPECT_EQ(toVector(deleter.failed), std::vector<std::string>{sub("a/bc")});
}

TEST_F(CleanupTest, TreeWithALockedFileKeepsOnlyThatFilesDirectories) {
    makeFile("a/b/locked.bin");
    makeFile("a/other/x.bin");
    makeFile("y.bin");
    {
        auto blocker = wiztest::blockRemoval(sub("a/b/locked.bin"));
        if (!blocker) GTEST_SKIP() << wiztest::kNoRemovalBlocker;
        wiz::TreeDeleter deleter(blocker->fileSystem());
        deleter.run(lstr(dir.path()));
    }
    EXPECT_TRUE(fs::exists(sub("a/b/locked.bin")));
    EXPECT_FALSE(fs::exists(sub("a/other")));
    EXPECT_FALSE(fs::exists(sub("y.bin")));
}

TEST(BatchFileName, ExtensionOfTheFileNameBecomesBat) {
    struct Case {
        const char* temp;
        const char* batch;
    } cases[] = {
        {"C:\\TEMP\\LRE1A2.tmp", "C:\\TEMP\\LRE1A2.bat"},
        {"C:\\my.dir\\LRE5.tmp", "C:\\my.dir\\LRE5.bat"},
        {"C:\\my.dir\\LRE5", "C:\\my.dir\\LRE5.bat"},
        {"/tmp/x.y/LRE3", "/tmp/x.y/LRE3.bat"},
        {"LRE7.tmp", "LRE7.bat"},
    };
    for (const auto& c : cases) EXPECT_EQ(wiz::batchFileName(c.temp), c.batch) << c.temp;
}

TEST(RemovalBatch, TextDeletesTheLauncherWithABoundedLoopThenItsDirectoryThenItself) {
    const char* loop =
        "set WIZ_DELETE_TRIES=0\n"
        ":Repeat\n";
    const char* retry =
        "if not exist \"C:\\t\\LRE1\\setup.exe\" goto Removed\n"
        "set /a WIZ_DELETE_TRIES+=1\n"
        "if %WIZ_DELETE_TRIES% LSS 60 ping -n 2 127.0.0.1 >nul\n"
        "if %WIZ_DELETE_TRIES% LSS 60 goto Repeat\n"
        ":Removed\n";
    struct Case {
        const char* launcher;
        const char* dir;
        const char* debugLog;
        std::string text;
    } cases[] = {
        {"C:\\t\\LRE1\\setup.exe", "C:\\t\\LRE1", "",
         std::string(loop) + "del \"C:\\t\\LRE1\\setup.exe\"\n" + retry +
             "rmdir /q \"C:\\t\\LRE1\"\n"
             "del \"C:\\t\\LRE9.bat\"\n"},
        {"C:\\t\\LRE1\\setup.exe", "C:\\t\\LRE1", "C:\\dbg.log",
         std::string(loop) +
             "@echo Deleting C:\\t\\LRE1\\setup.exe from within batch file. >> C:\\dbg.log\n"
             "del \"C:\\t\\LRE1\\setup.exe\"\n" +
             retry +
             "rmdir /q \"C:\\t\\LRE1\"\n"
             "del \"C:\\t\\LRE9.bat\"\n"
             "@echo Deleted batch file C:\\t\\LRE9.bat from within batch file. >> C:\\dbg.log\n"},
        {"C:\\t\\LRE1\\setup.exe", "", "",
         std::string(loop) + "del \"C:\\t\\LRE1\\setup.exe\"\n" + retry +
             "del \"C:\\t\\LRE9.bat\"\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wiz::removalBatchText(c.launcher, c.dir, "C:\\t\\LRE9.bat", c.debugLog).str(),
                  c.text);
    }
}

}  // namespace
