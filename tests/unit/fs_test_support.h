// Shared pieces of the temporary-file, clean-up and extraction tests: a guard that gives each
// test a clean process-wide state and puts the old one back, a current-directory guard, a file
// system that keeps chosen files from being removed, and the per-platform way of making a file
// impossible to remove (fs_win32_test.cpp, fs_posix_test.cpp).
#pragma once

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/file_system.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/log.h"
#include "services/settings.h"
#include "tempfiles/temp_files.h"

namespace wiztest {

class FsStateGuard {
public:
    FsStateGuard()
        : tempDirectory_(wiz::tempFiles().directory),
          launcherPath_(wiz::runSettings().launcherPath),
          logFilePath_(wiz::logState().filePath),
          debugLogPath_(wiz::logState().debugPath),
          debugLogEnabled_(wiz::logState().debugEnabled),
          silent_(wiz::hostState().silent),
          separatorWritten_(wiz::logState().separatorWritten),
          attempts_(wiz::tempFiles().removalAttempts) {
        wiz::tempFiles().directories.clear();
        wiz::tempFiles().files.clear();
        forgetRunDirectory();
        wiz::hostState().cancelRequested = false;
        wiz::hostState().silent = false;
        wiz::runSettings().origGiven = false;
        wiz::logState().separatorWritten = false;  // each test's log starts with the separator line
    }
    ~FsStateGuard() {
        wiz::tempFiles().directories.clear();
        wiz::tempFiles().files.clear();
        forgetRunDirectory();
        wiz::hostState().cancelRequested = false;
        wiz::tempFiles().directory = tempDirectory_;
        wiz::runSettings().launcherPath = launcherPath_;
        wiz::logState().filePath = logFilePath_;
        wiz::logState().debugPath = debugLogPath_;
        wiz::logState().debugEnabled = debugLogEnabled_;
        wiz::hostState().silent = silent_;
        wiz::logState().separatorWritten = separatorWritten_;
        wiz::tempFiles().removalAttempts = attempts_;
    }
    FsStateGuard(const FsStateGuard&) = delete;
    FsStateGuard& operator=(const FsStateGuard&) = delete;

    // The run's own directory of an earlier test is not this test's.
    static void forgetRunDirectory() {
        wiz::tempFiles().runDirectory = wiz::LString();
        wiz::tempFiles().runRoot = wiz::LString();
        wiz::tempFiles().runMark.reset();
        wiz::tempFiles().openDirectories.clear();
        wiz::tempFiles().runKept = false;
        wiz::tempFiles().closed = false;
    }

private:
    wiz::LString tempDirectory_, launcherPath_, logFilePath_, debugLogPath_;
    bool debugLogEnabled_, silent_, separatorWritten_;
    int attempts_;
};

class CurrentDirectoryGuard {
public:
    explicit CurrentDirectoryGuard(const std::filesystem::path& dir)
        : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(dir);
    }
    ~CurrentDirectoryGuard() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
    }
    CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
    CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

private:
    std::filesystem::path old_;
};

// The system's file system, except that the paths in `kept` cannot be removed: the removal
// fails as if another process held them open.
class KeepingFileSystem : public wiz::SystemFileSystem {
public:
    std::vector<std::string> kept;

    wiz::SysStatus removeEntry(const wiz::LString& path, uint32_t attributes) override {
        if (isKept(path)) return held();
        return SystemFileSystem::removeEntry(path, attributes);
    }
    wiz::SysStatus removeChild(wiz::Directory& parent, const wiz::LString& name,
                               uint32_t attributes) override {
        if (isKept(wiz::joinPath(parent.path(), name))) return held();
        return SystemFileSystem::removeChild(parent, name, attributes);
    }

private:
    bool isKept(const wiz::LString& path) const {
        return std::find(kept.begin(), kept.end(), path.str()) != kept.end();
    }
    static wiz::SysStatus held() { return wiz::SysStatus::of(wiz::ErrorKind::SharingViolation); }
};

// Keeps `file` from being removed while the object lives, by the code that is handed
// fileSystem(): on Windows the file is really held open without sharing (and fileSystem() is the
// system's); on POSIX, which has no such lock, fileSystem() is a KeepingFileSystem. Null when the
// file cannot be held (the caller skips the test).
class RemovalBlocker {
public:
    virtual ~RemovalBlocker() = default;
    virtual wiz::FileSystem& fileSystem() = 0;
};
std::unique_ptr<RemovalBlocker> blockRemoval(const std::string& file);
// Why blockRemoval gave null.
extern const char* const kNoRemovalBlocker;

// Takes the write permission away (on Windows: sets the read-only attribute).
inline void makeReadOnly(const std::filesystem::path& path) {
    std::filesystem::permissions(path,
                                 std::filesystem::perms::owner_write |
                                     std::filesystem::perms::group_write |
                                     std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
}

inline wiz::LString lstr(const std::filesystem::path& p) { return wiz::LString(p.string()); }

inline std::vector<std::string> toVector(const wiz::StringList& list) {
    std::vector<std::string> v;
    for (int32_t i = 0; i < list.count(); ++i) v.push_back(list.at(i).str());
    return v;
}

// The lines of a text file, carriage returns dropped.
inline std::vector<std::string> readLines(const std::string& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

}  // namespace wiztest
