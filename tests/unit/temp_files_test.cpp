// The temporary directory and names, the removal registries, free space, file existence and the
// drive search.
#include "tempfiles/temp_files.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "base/exceptions.h"
#include "fs_test_support.h"
#include "jvm/drive_search.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "support/null_host.h"
#include "support/recording_host.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;
using wiz::LString;
using wiz::StringList;
using wiztest::lstr;
using wiztest::readLines;
using wiztest::toVector;

std::string fileName(const LString& path) { return fs::path(path.str()).filename().string(); }

// Every test runs with its own temporary directory as the launcher's temporary directory.
class TempFilesTest : public ::testing::Test {
protected:
    TempFilesTest() { wiz::setTempDirectory(lstr(temp.path())); }

    wiztest::FsStateGuard state;
    wiztest::TempDir temp;
};

TEST_F(TempFilesTest, TemporaryNamesAreNewLreFilesInTheTemporaryDirectory) {
    LString first = wiz::createTempFileName();
    LString second = wiz::createTempFileName();
    // Inside the run's own directory, which is inside the temporary directory.
    EXPECT_EQ(fs::path(wiz::tempFiles().runDirectory.str()).parent_path(), temp.path());
    for (const LString& name : {first, second}) {
        EXPECT_EQ(fs::path(name.str()).parent_path(), wiz::tempFiles().runDirectory.str())
            << name.str();
        EXPECT_EQ(fileName(name).rfind("LRE", 0), 0u) << name.str();
        EXPECT_EQ(fs::path(name.str()).extension(), ".tmp") << name.str();
        EXPECT_TRUE(fs::is_regular_file(name.str()));
        EXPECT_EQ(fs::file_size(name.str()), 0u);
    }
    EXPECT_NE(first, second);
    EXPECT_EQ(toVector(wiz::tempFiles().files),
              (std::vector<std::string>{first.str(), second.str()}));
}

TEST_F(TempFilesTest, TemporaryDirectoryIsNewEmptyAndRegistered) {
    LString dir = wiz::createTempDirectory();
    EXPECT_EQ(fs::path(dir.str()).parent_path(), wiz::tempFiles().runDirectory.str());
    EXPECT_EQ(fileName(dir).rfind("LRE", 0), 0u);
    EXPECT_TRUE(fs::is_directory(dir.str()));
    EXPECT_TRUE(fs::is_empty(dir.str()));
    EXPECT_EQ(toVector(wiz::tempFiles().directories), std::vector<std::string>{dir.str()});
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
}

TEST_F(TempFilesTest, MissingTemporaryDirectoryNamesItInTheMessage) {
    const std::string missing = temp.file("no-such-dir");
    wiz::setTempDirectory(LString(missing));
    const LString expected = LString("Cannot use ") + missing.c_str() +
                             " as the temp directory because it does not exist. Please run the "
                             "program again using the option -cv:tempdir <temp dir> to specify a "
                             "different directory to use.";
    for (auto call : {+[] { wiz::getTempDirectory(); }, +[] { wiz::createTempDirectory(); },
                      +[] { wiz::createTempFileName(); }}) {
        try {
            call();
            ADD_FAILURE() << "no exception";
        } catch (const wiz::LauncherException& e) {
            EXPECT_EQ(e.message(), expected);
        }
    }
    // A plain file is no temporary directory either.
    wiz::setTempDirectory(LString(temp.write("file", "x")));
    EXPECT_THROW(wiz::getTempDirectory(), wiz::LauncherException);
}

TEST(TempDirectoryDefault, SystemTemporaryPathWhenNoneWasSet) {
    wiztest::FsStateGuard state;
    wiz::tempFiles().directory = "";
    LString name = wiz::createTempFileName();
    wiz::removeTemporaryFiles();
    EXPECT_EQ(wiz::tempFiles().directory, wiz::systemTempPath());
    const LString sep = wiz::pathSeparator();
    EXPECT_EQ(wiz::tempFiles().directory.substr(wiz::tempFiles().directory.length() - 1), sep);
    EXPECT_EQ(name.substr(0, wiz::tempFiles().directory.length()), wiz::tempFiles().directory);
    EXPECT_FALSE(fs::exists(name.str()));
}

TEST_F(TempFilesTest, UnregisterRemovesTheFirstEntryIgnoringLetterCase) {
    struct Case {
        const char* remove;
        std::vector<std::string> left;
    } cases[] = {
        {"c:\\dir\\LRE1.TMP", {"C:\\Dir\\lre2.tmp", "C:\\Dir\\lre1.tmp"}},
        {"C:\\DIR\\LRE2.TMP", {"C:\\Dir\\lre1.tmp", "C:\\Dir\\lre1.tmp"}},
        {"C:\\Dir\\lre3.tmp", {"C:\\Dir\\lre1.tmp", "C:\\Dir\\lre2.tmp", "C:\\Dir\\lre1.tmp"}},
    };
    for (const auto& c : cases) {
        wiz::tempFiles().files.clear();
        wiz::tempFiles().directories.clear();
        for (const char* p : {"C:\\Dir\\lre1.tmp", "C:\\Dir\\lre2.tmp", "C:\\Dir\\lre1.tmp"}) {
            wiz::registerTempFile(p);
            wiz::tempFiles().directories.append(p);
        }
        wiz::unregisterTempFile(c.remove);
        wiz::unregisterTempDirectory(c.remove);
        EXPECT_EQ(toVector(wiz::tempFiles().files), c.left) << c.remove;
        EXPECT_EQ(toVector(wiz::tempFiles().directories), c.left) << c.remove;
    }
}

TEST_F(TempFilesTest, RemovalRunsLastFirstDirectoriesBeforeFiles) {
    const std::string log = temp.file("debug.log");
    wiz::logState().debugPath = LString(log);
    wiz::logState().debugEnabled = true;
    LString d1 = wiz::createTempDirectory();
    LString f1 = wiz::createTempFileName();
    LString d2 = wiz::createTempDirectory();
    LString f2 = wiz::createTempFileName();
    wiz::registerTempFile(lstr(temp.path() / "never-created"));
    const LString run = wiz::tempFiles().runDirectory;

    wiz::removeTemporaryFiles();

    EXPECT_EQ(readLines(log),
              (std::vector<std::string>{
                  "Launcher: Deleting dir: " + d2.str(),
                  "Launcher: Deleting dir: " + d1.str(),
                  "Launcher: Deleting file: " + (temp.path() / "never-created").string(),
                  "Launcher: Deleting file: " + f2.str(),
                  "Launcher: Deleting file: " + f1.str(),
                  // The run's own directory last.
                  "Launcher: Deleting dir: " + run.str(),
              }));
    for (const LString& p : {d1, d2, f1, f2, run}) EXPECT_FALSE(fs::exists(p.str())) << p.str();
    EXPECT_EQ(wiz::tempFiles().directories.count(), 0);
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
}

TEST_F(TempFilesTest, RemovalTakesReadOnlyFilesAndNestedTrees) {
    LString dir = wiz::createTempDirectory();
    fs::create_directories(fs::path(dir.str()) / "a" / "b" / "c");
    std::ofstream(fs::path(dir.str()) / "a" / "b" / "c" / "deep.txt") << "deep";
    std::ofstream(fs::path(dir.str()) / "a" / "top.txt") << "top";
    const fs::path readOnly = fs::path(dir.str()) / "a" / "b" / "ro.txt";
    std::ofstream(readOnly) << "ro";
    fs::permissions(readOnly, fs::perms::owner_read | fs::perms::group_read,
                    fs::perm_options::replace);
    LString file = wiz::createTempFileName();
    wiztest::makeReadOnly(file.str());

    wiz::removeTemporaryFiles();

    EXPECT_FALSE(fs::exists(dir.str()));
    EXPECT_FALSE(fs::exists(file.str()));
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

TEST_F(TempFilesTest, LockedEntryIsGivenUpWithAWarning) {
    const std::string log = temp.file("launcher.log");
    wiz::logState().filePath = LString(log);
    wiz::tempFiles().removalAttempts = 2;
    LString dir = wiz::createTempDirectory();
    const LString run = wiz::tempFiles().runDirectory;
    const std::string held = (fs::path(dir.str()) / "held.bin").string();
    std::ofstream(held) << "x";
    std::ofstream(fs::path(dir.str()) / "other.bin") << "y";
    {
        auto blocker = wiztest::blockRemoval(held);
        if (!blocker) GTEST_SKIP() << wiztest::kNoRemovalBlocker;
        wiz::removeTemporaryFiles(blocker->fileSystem());
    }
    EXPECT_EQ(wiz::tempFiles().directories.count(), 0);
    EXPECT_TRUE(fs::exists(held));
    EXPECT_FALSE(fs::exists(fs::path(dir.str()) / "other.bin"));
    std::vector<std::string> lines = readLines(log);
    lines.erase(std::remove(lines.begin(), lines.end(), ""), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "WARNING: Could not remove " + dir.str() + ", giving up after 2 attempts."),
              lines.end());
    fs::remove_all(run.str());
}

// A host on which every operation fails, as the windowed host's does without its dialog.
class FailingHost : public wiztest::NullHost {
public:
    void setStatus(const LString&) override { fail(); }
    void setStatus2(const LString&, const LString&) override { fail(); }
    void stepProgress(int) override { fail(); }
    void setProgress(int) override { fail(); }
    void show() override { fail(); }
    void hide(int) override { fail(); }
    void showMessage(const LString&) override { fail(); }

private:
    [[noreturn]] static void fail() { throw wiz::LauncherException("The host is gone."); }
};

TEST_F(TempFilesTest, OneEntryThatCannotBeRemovedKeepsNoOtherFromGoing) {
    const std::string log = temp.file("launcher.log");
    wiz::logState().filePath = LString(log);
    wiz::tempFiles().removalAttempts = 2;
    FailingHost host;
    wiztest::ScopedHost scoped(host);
    // A file that removal cannot take.
    const std::string stuck = temp.write("stuck.bin", "x");
    std::unique_ptr<wiztest::RemovalBlocker> blocker = wiztest::blockRemoval(stuck);
    if (!blocker) GTEST_SKIP() << wiztest::kNoRemovalBlocker;
    const LString first = wiz::createTempDirectory();
    std::ofstream(fs::path(first.str()) / "a.bin") << "a";
    wiz::registerTempFile(LString(stuck));
    const LString last = wiz::createTempFileName();
    EXPECT_NO_THROW(wiz::removeTemporaryFiles(blocker->fileSystem()));
    blocker.reset();

    EXPECT_FALSE(fs::exists(first.str()));
    EXPECT_FALSE(fs::exists(last.str()));
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
    std::vector<std::string> lines = readLines(log);
    EXPECT_NE(std::find(lines.begin(), lines.end(),
                        "WARNING: Could not remove " + stuck + ", giving up after 2 attempts."),
              lines.end());
}

// Before the removal of each entry touches it, another thread uses the registries and must get
// through at once.
class InterruptingFileSystem : public wiz::SystemFileSystem {
public:
    wiz::SysStatus readAttributes(const LString& path, uint32_t& attributes) override {
        if (std::find(seen.begin(), seen.end(), path.str()) == seen.end()) {
            seen.push_back(path.str());
            // Detached, so that a thread that is blocked cannot block this one in turn.
            auto done = std::make_shared<std::promise<void>>();
            std::future<void> finished = done->get_future();
            std::thread([done] {
                wiz::unregisterTempFile("not registered");
                wiz::removeTemporaryFiles();
                done->set_value();
            }).detach();
            if (finished.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
                otherThreadGotThrough = false;
            }
        }
        return SystemFileSystem::readAttributes(path, attributes);
    }
    std::vector<std::string> seen;
    bool otherThreadGotThrough = true;
};

TEST_F(TempFilesTest, RemovalHoldsNoLockWhileItRemoves) {
    // While an entry is being removed, another thread (the user-interface thread at the end of
    // the logon, or the launching thread) must be able to use the registries at once.
    const LString dir = wiz::createTempDirectory();
    const LString file = wiz::createTempFileName();
    InterruptingFileSystem interrupting;
    wiz::removeTemporaryFiles(interrupting);
    EXPECT_EQ(interrupting.seen, (std::vector<std::string>{dir.str(), file.str()}));
    EXPECT_TRUE(interrupting.otherThreadGotThrough);
    EXPECT_EQ(wiz::tempFiles().directories.count(), 0);
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
}

// A file system that runs out of memory the first time the removal asks about `failAt`.
class OutOfMemoryFileSystem : public wiz::SystemFileSystem {
public:
    explicit OutOfMemoryFileSystem(const LString& failAt) : failAt_(failAt) {}
    wiz::SysStatus readAttributes(const LString& path, uint32_t& attributes) override {
        if (!failed_ && path == failAt_) {
            failed_ = true;
            throw std::bad_alloc();
        }
        return SystemFileSystem::readAttributes(path, attributes);
    }

private:
    LString failAt_;
    bool failed_ = false;
};

TEST_F(TempFilesTest, LackOfMemoryForOneEntryKeepsNoOtherFromGoing) {
    // Every entry still goes, the run's own directory too; the lack of memory comes out at the
    // end for the launch to report.
    const LString directory = wiz::createTempDirectory();
    const LString first = wiz::createTempFileName();
    const LString last = wiz::createTempFileName();
    const LString run = wiz::tempFiles().runDirectory;
    OutOfMemoryFileSystem failing(last);
    EXPECT_THROW(wiz::removeTemporaryFiles(failing), std::bad_alloc);
    for (const LString& gone : {directory, first, last, run}) {
        EXPECT_FALSE(fs::exists(gone.str())) << gone.str();
    }
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
    EXPECT_TRUE(wiz::tempFiles().runDirectory.empty());
    fs::remove_all(run.str());
}

// A file system on which every temporary name is taken already.
class FullFileSystem : public wiz::SystemFileSystem {
public:
    wiz::SysStatus makeDirectory(const LString&) override {
        return wiz::SysStatus::of(wiz::ErrorKind::Exists);
    }
};

TEST_F(TempFilesTest, EveryNameTakenSaysSo) {
    FullFileSystem full;
    try {
        wiz::createTempDirectory(full);
        FAIL() << "no failure";
    } catch (const wiz::TempNameException& e) {
        EXPECT_EQ(e.message().str().rfind("Cannot make a new temporary name in " +
                                              wiz::getTempDirectory().str() +
                                              ": every name tried is taken.",
                                          0),
                  0u)
            << e.message().str();
    }
    EXPECT_TRUE(wiz::tempFiles().runDirectory.empty());
}

TEST(EnoughFreeClusters, ClusterArithmetic) {
    struct Case {
        uint64_t freeClusters;
        uint32_t cluster;
        uint32_t size;
        uint32_t files;
        bool enough;
    } cases[] = {
        // One byte in one file needs one 4096-byte cluster.
        {1, 4096, 1, 1, true},
        {0, 4096, 1, 1, false},
        // With no file count nothing is rounded: one byte takes no whole cluster.
        {0, 4096, 1, 0, true},
        // Three files: no whole cluster, plus one partial cluster per file.
        {3, 4096, 1, 3, true},
        {2, 4096, 1, 3, false},
        // Whole clusters are not rounded up again.
        {2, 4096, 8192, 1, true},
        {1, 4096, 8192, 1, false},
        {3, 4096, 8193, 1, true},
        {2, 4096, 8193, 1, false},
        // Several files add their count even when the size fills whole clusters.
        {4, 4096, 8192, 2, true},
        {3, 4096, 8192, 2, false},
        // Big volumes and big sizes do not overflow.
        {0x200000000ull, 512, 0xFFFFFFFFu, 0xFFFFFFFFu, true},
        {0x100000000ull, 512, 0xFFFFFFFFu, 0xFFFFFFFFu, false},
        {8388608, 512, 0xFFFFFFFFu, 1, true},
        {8388607, 512, 0xFFFFFFFFu, 1, false},
        {0, 4096, 0, 1, true},
        // A volume reporting no cluster size counts bytes.
        {10, 0, 10, 1, true},
        {9, 0, 10, 1, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wiz::enoughFreeClusters(c.freeClusters, c.cluster, c.size, c.files), c.enough)
            << c.freeClusters << " free, cluster " << c.cluster << ", " << c.size << " bytes in "
            << c.files << " files";
    }
}

TEST_F(TempFilesTest, DiskSpaceOfTheTemporaryDirectory) {
    EXPECT_TRUE(wiz::hasEnoughDiskSpace(lstr(temp.path()), 1, 1));
    EXPECT_TRUE(wiz::hasEnoughDiskSpace(LString(), 0, 0));
    // Four billion files with a partial cluster each fit on no disk.
    EXPECT_FALSE(wiz::hasEnoughDiskSpace(lstr(temp.path()), 0xFFFFFFFFu, 0xFFFFFFF0u));
}

TEST_F(TempFilesTest, FileExistence) {
    const std::string file = temp.write("present.txt", "x");
    fs::create_directory(temp.path() / "dir");
    struct Case {
        std::string path;
        bool exists;
    } cases[] = {
        {file, true},
        {temp.file("absent.txt"), false},
        {temp.file("no-dir/absent.txt"), false},
        {temp.file("dir"), false},  // a directory is no file
    };
    for (const auto& c : cases) EXPECT_EQ(wiz::fileExists(LString(c.path)), c.exists) << c.path;
}

TEST_F(TempFilesTest, FileExistenceLogsUnexpectedErrors) {
    const std::string log = temp.file("launcher.log");
    wiz::logState().filePath = LString(log);
    fs::create_directory(temp.path() / "dir");
    const wiz::SysStatus opened = wiz::openExclusive(lstr(temp.path() / "dir"));
    ASSERT_FALSE(opened.ok());
    EXPECT_FALSE(wiz::fileExists(lstr(temp.path() / "dir")));
    EXPECT_FALSE(wiz::fileExists(lstr(temp.path() / "absent")));
    // The separator line, then the system's text for the directory without a prefix; nothing
    // for the absent file.
    std::string text = wiztest::TempDir::read(log);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());
    std::string expected =
        "------------------\n" + wiz::systemErrorText(opened.code()).str() + "\n";
    expected.erase(std::remove(expected.begin(), expected.end(), '\r'), expected.end());
    EXPECT_EQ(text, expected);
}

TEST(ListDrives, FixedDrivesAsRootsWithoutTrailingSeparator) {
    StringList drives;
    wiz::listDrives(drives);
    ASSERT_GT(drives.count(), 0);
    for (int32_t i = 0; i < drives.count(); ++i) {
        const LString& d = drives.at(i);
        if (wiz::kPathSeparator == '\\') {
            EXPECT_EQ(d.length(), 2u) << d.str();
            EXPECT_EQ(d[1], ':') << d.str();
        } else {
            EXPECT_EQ(d[0], '/') << d.str();
            EXPECT_TRUE(d == "/" || d[d.length() - 1] != '/') << d.str();
        }
    }
}

TEST(MatchesFileName, SuffixAtASeparatorIgnoringCase) {
    const std::string s(1, wiz::kPathSeparator);
    struct Case {
        std::string path;
        std::string name;
        bool match;
    } cases[] = {
        {"C:" + s + "jdk" + s + "bin" + s + "java.exe", "java.exe", true},
        {"C:" + s + "jdk" + s + "bin" + s + "JAVA.EXE", "java.exe", true},
        {"C:" + s + "jdk" + s + "bin" + s + "java.exe", "bin" + s + "Java.exe", true},
        {"C:" + s + "jdk" + s + "bin" + s + "xjava.exe", "java.exe", false},
        {"C:" + s + "jdk" + s + "bin" + s + "java.exe.bak", "java.exe", false},
        {"java.exe", "java.exe", true},
        {"ava.exe", "java.exe", false},
        {"C:" + s + "java.exe", "", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(wiz::matchesFileName(LString(c.path), LString(c.name)), c.match)
            << c.path << " / " << c.name;
    }
}

// Records what the search offers and stops at a chosen file.
class Collector : public wiz::FileVisitor {
public:
    bool visit(const LString& path) override {
        found.push_back(path.str());
        return !stopAt.empty() && path.str() == stopAt;
    }
    std::vector<std::string> found;
    std::string stopAt;
};

// A drive tree: java.exe in several places, recycle bins and the system's volume data at the root,
// the temporary directory.
class DriveSearchTest : public ::testing::Test {
protected:
    DriveSearchTest() {
        for (const char* d : {"jdk/bin", "RECYCLER/S-1-5", "$Recycle.Bin/S-1-5/jdk/bin",
                              "recycle.bin", "System Volume Information", "apps/RECYCLED",
                              "apps/$RECYCLE.BIN", "tmp/LRE1.tmp", "other"}) {
            fs::create_directories(drive.path() / d);
        }
        for (const char* f : {"jdk/bin/java.exe", "jdk/bin/JAVA.EXE2", "RECYCLER/S-1-5/java.exe",
                              "$Recycle.Bin/S-1-5/jdk/bin/java.exe", "recycle.bin/java.exe",
                              "System Volume Information/java.exe", "apps/RECYCLED/java.exe",
                              "apps/$RECYCLE.BIN/java.exe", "tmp/LRE1.tmp/java.exe",
                              "other/Java.Exe", "other/notjava.exe", "java.exe"}) {
            std::ofstream(drive.path() / f) << "x";
        }
        wiz::setTempDirectory(lstr(drive.path() / "tmp"));
        root = lstr(drive.path());
    }

    std::vector<std::string> sorted(std::vector<std::string> v) {
        std::sort(v.begin(), v.end());
        return v;
    }

    wiztest::FsStateGuard state;
    wiztest::TempDir drive;
    LString root;
};

TEST_F(DriveSearchTest, FindsNamesAtSeparatorsSkippingRecycleFoldersAndTheTemporaryDirectory) {
    StringList names;
    names.append("java.exe");
    Collector collector;
    EXPECT_FALSE(wiz::searchDrive(root, names, collector));
    EXPECT_EQ(sorted(collector.found),
              sorted({drive.file("java.exe"), (drive.path() / "jdk" / "bin" / "java.exe").string(),
                      (drive.path() / "other" / "Java.Exe").string(),
                      // The recycle bins count only at the drive's root.
                      (drive.path() / "apps" / "RECYCLED" / "java.exe").string(),
                      (drive.path() / "apps" / "$RECYCLE.BIN" / "java.exe").string()}));
}

TEST_F(DriveSearchTest, EachNameIsTestedInOrderAndTheVisitorEndsTheSearch) {
    StringList names;
    names.append("bin" + wiz::pathSeparator() + "java.exe");
    names.append("java.exe");
    Collector all;
    EXPECT_FALSE(wiz::searchDrive(root, names, all));
    const std::string jdkJava = (drive.path() / "jdk" / "bin" / "java.exe").string();
    // A path matching both names is offered twice.
    EXPECT_EQ(std::count(all.found.begin(), all.found.end(), jdkJava), 2);

    Collector stopping;
    stopping.stopAt = jdkJava;
    EXPECT_TRUE(wiz::searchDrive(root, names, stopping));
    EXPECT_EQ(stopping.found.back(), jdkJava);
    EXPECT_EQ(std::count(stopping.found.begin(), stopping.found.end(), jdkJava), 1);
}

TEST_F(DriveSearchTest, CancelledSearchOffersNothing) {
    StringList names;
    names.append("java.exe");
    Collector collector;
    wiz::hostState().cancelRequested = true;
    EXPECT_FALSE(wiz::searchDrive(root, names, collector));
    EXPECT_TRUE(collector.found.empty());
}

TEST_F(DriveSearchTest, EveryHundredthFileStepsTheProgress) {
    fs::create_directory(drive.path() / "many");
    for (int i = 0; i < 94; ++i) std::ofstream(drive.path() / "many" / std::to_string(i)) << "";
    wiztest::RecordingHost host;
    wiztest::ScopedHost scoped(host);
    StringList names;
    names.append("nothing-matches");
    Collector collector;
    wiz::searchDrive(root, names, collector);
    // 94 files here and 6 in the rest of the tree outside the skipped folders: the 100th steps.
    EXPECT_EQ(host.calls, std::vector<std::string>{"step:1"});
}

TEST(SearchDrives, NoMatchingNameLeavesTheVisitorUncalled) {
    wiztest::FsStateGuard state;
    wiz::hostState().cancelRequested = true;  // walks no directory, but lists the drives
    StringList names;
    names.append("java.exe");
    Collector collector;
    wiz::searchDrives(names, collector);
    EXPECT_TRUE(collector.found.empty());
}

TEST_F(TempFilesTest, DeletePathOfFilesTreesAndMissingPaths) {
    const std::string file = temp.write("f.txt", "x");
    fs::create_directories(temp.path() / "t" / "u");
    std::ofstream(temp.path() / "t" / "u" / "g.txt") << "y";
    EXPECT_EQ(wiz::deletePath(LString(file)), 0);
    EXPECT_EQ(wiz::deletePath(lstr(temp.path() / "t")), 0);
    EXPECT_EQ(wiz::deletePath(lstr(temp.path() / "t")), -1);
    EXPECT_EQ(wiz::deletePath(lstr(temp.path() / "never")), -1);
    EXPECT_TRUE(fs::is_empty(temp.path()));
}

}  // namespace

// The run's directories are used through the handles opened when they were made. Moving the
// run's directory away and putting something else at its path (a link to elsewhere, or a
// directory) sends nothing there; Windows does not even let the held directory be moved.
TEST_F(TempFilesTest, FilesAreMadeInTheDirectoriesTheRunOpenedNotByPath) {
    const LString inner = wiz::createTempDirectory();
    const fs::path run = wiz::tempFiles().runDirectory.str();
    const std::string innerName = fileName(inner);
    const fs::path moved = temp.path() / "moved";
    const fs::path elsewhere = temp.path() / "elsewhere";
    fs::create_directory(elsewhere);
    std::error_code ec;
    fs::rename(run, moved, ec);
    const bool wasMoved = !ec;
    const bool windows = wiz::kPathSeparator == '\\';
    EXPECT_NE(wasMoved, windows) << "the held run directory was moved: " << ec.message();
    fs::path real = run;
    if (wasMoved) {
        real = moved;
        fs::create_directory_symlink(elsewhere, run, ec);
        if (ec) fs::create_directories(run / innerName);
    }

    bool isLink = false;
    uint32_t error = 0;
    wiz::FilePtr file =
        wiz::createFileForWriting(wiz::joinPath(inner, "entry.bin"), false, isLink, error);
    ASSERT_TRUE(file) << "error " << error << (isLink ? ", refused as a link" : "");
    EXPECT_GE(std::fputs("payload", file.get()), 0);
    EXPECT_TRUE(wiz::closeFile(std::move(file)));
    const LString name = wiz::createTempFileName();
    const LString sub = wiz::createTempDirectory();

    EXPECT_EQ(wiztest::TempDir::read((real / innerName / "entry.bin").string()), "payload");
    EXPECT_TRUE(fs::is_regular_file(real / fileName(name)));
    EXPECT_TRUE(fs::is_directory(real / fileName(sub)));
    EXPECT_TRUE(fs::is_empty(elsewhere));
    if (wasMoved) {
        EXPECT_FALSE(fs::exists(run / innerName / "entry.bin"));
    }

    // A second name of a file outside, at an entry's name: refused, the outside file unchanged.
    const fs::path outsideFile = temp.path() / "outside.txt";
    std::ofstream(outsideFile) << "keep me";
    fs::create_hard_link(outsideFile, real / innerName / "linked.bin", ec);
    if (!ec) {
        file = wiz::createFileForWriting(wiz::joinPath(inner, "linked.bin"), false, isLink, error);
        EXPECT_FALSE(file);
        EXPECT_TRUE(isLink);
        EXPECT_EQ(wiztest::TempDir::read(outsideFile.string()), "keep me");
    }
    wiz::removeTemporaryFiles();
    EXPECT_FALSE(fs::exists(fs::symlink_status(run))) << "left at the run's path";
}

TEST_F(TempFilesTest, KeptFileLeavesTheRunDirectoryAndOutlivesTheRun) {
    const LString made = wiz::createTempFileName();
    std::ofstream(made.str()) << "jvm";
    const LString kept = wiz::keepTempFile(made);
    EXPECT_EQ(fs::path(kept.str()).parent_path(), temp.path());
    EXPECT_FALSE(fs::exists(made.str()));
    EXPECT_EQ(wiztest::TempDir::read(kept.str()), "jvm");
    EXPECT_EQ(wiz::tempFiles().files.count(), 0);
    wiz::removeTemporaryFiles();
    // Only the kept file is left: the run's own directory is gone.
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(temp.path())) {
        left.push_back(entry.path().string());
    }
    EXPECT_EQ(left, std::vector<std::string>{kept.str()});
}
