#include "tempfiles/temp_files.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <mutex>
#include <new>
#include <thread>
#include <vector>

#include "base/exceptions.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/cleanup.h"
#include "tempfiles/unique_directory.h"

namespace wiz {

TempFiles& tempFiles() {
    static TempFiles state;
    return state;
}

namespace {

// Held only to change or copy the registries, never while anything is removed or reported.
std::recursive_mutex& registryLock() {
    static std::recursive_mutex lock;
    return lock;
}

// How many removals are at work. A removal never waits for another one (the user-interface
// thread removes when the logon ends while the launching thread may be removing too); only the
// ending of a run from outside waits, a bounded time, for the others to finish before the
// process ends.
std::atomic<int>& activeRemovals() {
    static std::atomic<int> count{0};
    return count;
}

class RemovalAtWork {
public:
    RemovalAtWork() { ++activeRemovals(); }
    ~RemovalAtWork() { --activeRemovals(); }
    RemovalAtWork(const RemovalAtWork&) = delete;
    RemovalAtWork& operator=(const RemovalAtWork&) = delete;
};

// How long closeTemporaryFiles waits for another removal to finish.
constexpr int kOtherRemovalWaitMs = 10000;

const char kTempPrefix[] = "LRE";

void sleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool isDirectory(const LString& path) {
    // With a trailing separator a link to a directory counts as the directory it names.
    LString p = path;
    ensureTrailingSeparator(p);
    uint32_t attributes = 0;
    return readAttributes(p, attributes).ok() && (attributes & kAttrDirectory);
}

// A temporary directory or name could not be made in `directory`. When every name tried was
// taken (old entries fill the directory, or someone takes each name first) the system's text
// alone ("The file exists") would not tell the user what is wrong.
[[noreturn]] void throwTempNameFailure(const LString& directory, const SysStatus& status) {
    if (status.is(ErrorKind::Exists)) {
        throw TempNameException("Cannot make a new temporary name in " + directory +
                                ": every name tried is taken. Remove the LRE*.tmp entries "
                                "there that no run uses, or run the program again using the "
                                "option -cv:tempdir <temp dir> to specify another directory.");
    }
    throw TempNameException(systemFailureText(SystemCall::TempFileName, status.code()));
}

// Throws when the run is being ended (under the lock).
void refuseWhenClosed() {
    if (tempFiles().closed) throw LauncherException("The run is being ended.");
}

void unregisterFrom(StringList& registry, const LString& path) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    for (int32_t i = 0; i < registry.count(); ++i) {
        if (equalsNoCase(registry.at(i), path)) {
            registry.removeAt(i);
            const LString& run = tempFiles().runDirectory;
            if (!run.empty() && path.length() > run.length() && startsWithNoCase(path, run)) {
                tempFiles().runKept = true;
            }
            return;
        }
    }
}

// Takes every entry out of the registry, under the lock.
void takeAll(StringList& registry, StringList& taken) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    for (int32_t i = 0; i < registry.count(); ++i) taken.append(registry.at(i));
    registry.clear();
}

// Removes one entry, retrying while it is still there.
void removeEntry(const LString& path, const char* debugPrefix, FileSystem& fs) {
    for (int attempt = 1;; ++attempt) {
        if (logState().debugEnabled) debugLog(LString(debugPrefix) + path);
        deletePath(path, fs);
        uint32_t attributes = 0;
        if (!fs.readAttributes(path, attributes).ok()) return;
        if (attempt >= tempFiles().removalAttempts) {
            writeLog(LString("Could not remove ") + path + ", giving up after " +
                         numberToString(attempt) + " attempts.",
                     kLogWarning);
            return;
        }
        sleepMilliseconds(50);
    }
}

// Removes the entries last first. Every entry gets its turn: a failure of one is logged and the
// others are still removed. A lack of memory on the way (for a path or a log line) is raised
// again once every entry had its turn.
void removeAll(const StringList& entries, const char* debugPrefix, FileSystem& fs) {
    bool outOfMemory = false;
    for (int32_t i = entries.count() - 1; i >= 0; --i) {
        const LString& path = entries.at(i);
        try {
            try {
                removeEntry(path, debugPrefix, fs);
            } catch (const LauncherException& e) {
                writeLog("Could not remove " + path + ": " + e.message(), kLogWarning);
            } catch (const std::bad_alloc&) {
                throw;
            } catch (...) {
                writeLog("Could not remove " + path + ".", kLogWarning);
            }
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    }
    if (outOfMemory) throw std::bad_alloc();
}

}  // namespace

void setTempDirectory(const LString& path) { tempFiles().directory = path; }

LString getTempDirectory() {
    LString& directory = tempFiles().directory;
    if (directory.empty()) directory = systemTempPath();
    if (!isDirectory(directory))
        throw LauncherException(formatStringId(StringId::TempDirectoryMissing, {directory}));
    // Temporary paths go into the command lines of children that run in other directories, so
    // a relative -cv:tempdir is made absolute.
    directory = fullPath(directory);
    // Where other users may rename what the launcher makes, they could put their own files in
    // its place after it checked them: the system's temporary folder is taken instead.
    LString why;
    if (othersMayReplaceEntries(directory, why)) {
        const LString fallback = fullPath(systemTempPath());
        LString fallbackWhy;
        if (equalsNoCase(fallback, directory) || !isDirectory(fallback) ||
            othersMayReplaceEntries(fallback, fallbackWhy)) {
            throw LauncherException("Cannot use " + directory +
                                    " as the temp directory because other users can replace "
                                    "what the launcher puts there, and there is no private "
                                    "temporary directory to use instead. Please run the program "
                                    "again using the option -cv:tempdir <temp dir> to specify a "
                                    "directory only you can change.");
        }
        writeLog("Not using " + directory +
                     " as the temp directory: other users can replace what the launcher puts "
                     "there (" +
                     why + "). Using " + fallback + " instead.",
                 kLogWarning);
        directory = fallback;
    }
    return directory;
}

// The run's own directory, made (after the stale ones of earlier runs went) and marked at first
// use, and again when the temporary directory changed.
LString runDirectory(FileSystem& fs) {
    const LString root = getTempDirectory();
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    TempFiles& state = tempFiles();
    if (!state.runDirectory.empty() && state.runRoot == root) return state.runDirectory;
    removeStaleRunDirectories(root, fs);
    LString name;
    const SysStatus created = createUniqueDirectory(fs, root, kTempPrefix, name);
    if (!created.ok()) throwTempNameFailure(root, created);
    // From here on the directory is used through the handle: the mark and everything made in
    // the run are made relative to it.
    std::unique_ptr<Directory> opened;
    uint32_t attributes = 0;
    SysStatus status = fs.openDirectory(name, opened, attributes);
    if (status.ok() && !opened) status = SysStatus::of(ErrorKind::Exists);
    std::unique_ptr<RunMark> mark;
    if (status.ok()) status = markRunDirectory(*opened, mark);
    if (!status.ok()) {
        mark.reset();
        opened.reset();
        deletePath(name, fs);
        throwSystemFailure(SystemCall::TempFileName, status.code());
    }
    state.runDirectory = name;
    state.runRoot = root;
    state.runMark = std::move(mark);
    state.openDirectories.clear();
    state.openDirectories.push_back(std::move(opened));
    return name;
}

// The run's own directory, open (made at first use).
std::shared_ptr<Directory> openRunDirectory(FileSystem& fs) {
    const LString path = runDirectory(fs);
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    for (const auto& held : tempFiles().openDirectories) {
        if (held && held->path() == path) return held;
    }
    throw LauncherException("The run is being ended.");
}

// The open directory among the run's own ones whose path is `path`; null when there is none.
std::shared_ptr<Directory> heldDirectory(const LString& path) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    for (const auto& held : tempFiles().openDirectories) {
        if (held && samePath(held->path(), path)) return held;
    }
    return nullptr;
}

// Lets go of the open directory at `path` (all of them when `path` is empty).
void releaseHeldDirectories(const LString& path) {
    std::vector<std::shared_ptr<Directory>> released;
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        auto& held = tempFiles().openDirectories;
        for (auto it = held.begin(); it != held.end();) {
            if (path.empty() || (*it && samePath((*it)->path(), path))) {
                released.push_back(std::move(*it));
                it = held.erase(it);
            } else {
                ++it;
            }
        }
    }
}

// Whether a directory entry's name is one of a run's own directories: "LRE" + hexadecimal
// digits + ".tmp", in any letter case.
bool isRunDirectoryName(const LString& name) {
    const LString::size_type n = name.length();
    if (n < 8 || !startsWithNoCase(name, kTempPrefix) ||
        !equalsNoCase(name.substr(n - 4), ".tmp")) {
        return false;
    }
    for (LString::size_type i = 3; i < n - 4; ++i) {
        if (!std::isxdigit(static_cast<unsigned char>(name[i]))) return false;
    }
    return true;
}

LString createTempDirectory(FileSystem& fs) {
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        refuseWhenClosed();
    }
    const std::shared_ptr<Directory> run = openRunDirectory(fs);
    // The directory is created under a new name inside the run's own one, relative to it, and
    // kept open: nothing done to the paths on the way can hand the launcher another directory.
    std::unique_ptr<Directory> made;
    const SysStatus created = createUniqueChildDirectory(fs, *run, kTempPrefix, made);
    if (!created.ok()) throwTempNameFailure(run->path(), created);
    const LString name = made->path();
    std::unique_lock<std::recursive_mutex> guard(registryLock());
    if (tempFiles().closed) {
        // Made while the registries were being emptied: it goes at once.
        guard.unlock();
        made.reset();
        deletePath(name, fs);
        refuseWhenClosed();
    }
    tempFiles().directories.append(name);
    tempFiles().openDirectories.push_back(std::move(made));
    return name;
}

LString createLastingTempDirectory(FileSystem& fs) {
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        refuseWhenClosed();
    }
    LString name;
    const LString root = getTempDirectory();
    const SysStatus created = createUniqueDirectory(fs, root, kTempPrefix, name);
    if (!created.ok()) throwTempNameFailure(root, created);
    return name;
}

LString createTempFileName() {
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        refuseWhenClosed();
    }
    FileSystem& fs = systemFileSystem();
    const std::shared_ptr<Directory> run = openRunDirectory(fs);
    // A new empty file, created relative to the run's open directory; a name in use is never
    // taken over.
    for (int attempt = 0; attempt < kUniqueDirectoryAttempts; ++attempt) {
        LString name;
        const SysStatus named = fs.uniqueTempName(run->path(), kTempPrefix, name);
        if (!named.ok()) throwTempNameFailure(run->path(), named);
        bool isLink = false;
        uint32_t error = 0;
        FilePtr file = run->createFile(lastComponent(name), false, true, isLink, error);
        if (file) {
            file.reset();
            registerTempFile(name);
            return name;
        }
        if (error != EEXIST && !isLink) {
            throw TempNameException("Cannot create a temporary file in " + run->path() + ": " +
                                    std::strerror(static_cast<int>(error)));
        }
    }
    throwTempNameFailure(run->path(), SysStatus::of(ErrorKind::Exists));
}

FilePtr createFileForWriting(const LString& path, bool text, bool& isLink, uint32_t& error) {
    const LString name = lastComponent(path);
    if (!name.empty() && name != "." && name != ".." && name.length() < path.length()) {
        if (const std::shared_ptr<Directory> held = heldDirectory(parentDirectory(path))) {
            return held->createFile(name, text, false, isLink, error);
        }
    }
    return createFileNoLink(path, text, isLink, error);
}

bool writeDocument(const TagDocument& document, const LString& path) {
    bool isLink = false;
    uint32_t error = 0;
    FilePtr file = createFileForWriting(path, true, isLink, error);
    return file && document.writeTo(std::move(file));
}

LString createUnregisteredTempFile() {
    LString name;
    const LString root = getTempDirectory();
    const SysStatus created = createUniqueTempFile(root, kTempPrefix, name);
    if (!created.ok()) throwTempNameFailure(root, created);
    return name;
}

void registerTempFile(const LString& path) {
    std::unique_lock<std::recursive_mutex> guard(registryLock());
    if (tempFiles().closed) {
        guard.unlock();
        deletePath(path);
        throw LauncherException("The run is being ended.");
    }
    tempFiles().files.append(path);
}

void unregisterTempFile(const LString& path) { unregisterFrom(tempFiles().files, path); }

LString keepTempFile(const LString& path) {
    LString run;
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        run = tempFiles().runDirectory;
        bool registered = false;
        StringList& files = tempFiles().files;
        for (int32_t i = 0; i < files.count() && !registered; ++i) {
            if (equalsNoCase(files.at(i), path)) {
                files.removeAt(i);
                registered = true;
            }
        }
        if (!registered) return path;
    }
    if (run.empty() || path.length() <= run.length() || !startsWithNoCase(path, run)) return path;
    const LString kept = createUnregisteredTempFile();
    const SysStatus moved = replaceFile(path, kept);
    if (!moved.ok()) {
        deletePath(kept);
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        tempFiles().runKept = true;  // it stays where it is, and the run's directory with it
        return path;
    }
    return kept;
}

void unregisterTempDirectory(const LString& path) {
    unregisterFrom(tempFiles().directories, path);
    // Whoever takes it over may rename or remove it.
    releaseHeldDirectories(path);
}

void removeTemporaryFiles(FileSystem& fs) {
    // The entries are taken out under the lock and removed without it: the user-interface thread
    // may run this when the logon ends while the launching thread is still at work, and neither
    // may wait for the other while it holds the lock.
    RemovalAtWork atWork;
    // Nothing more is created in the directories through their handles, and Windows could not
    // remove them while they are held.
    releaseHeldDirectories(LString());
    StringList directories, files;
    takeAll(tempFiles().directories, directories);
    takeAll(tempFiles().files, files);
    // A lack of memory while removing some entries still lets the others go; it is raised again
    // at the end.
    bool outOfMemory = false;
    const auto removeAllOf = [&](const StringList& entries, const char* debugPrefix) {
        try {
            removeAll(entries, debugPrefix, fs);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        }
    };
    removeAllOf(directories, "Launcher: Deleting dir: ");
    removeAllOf(files, "Launcher: Deleting file: ");
    // The run's own directory goes last, its mark released first (Windows cannot remove a file
    // that is held open without sharing).
    StringList own;
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        TempFiles& state = tempFiles();
        if (!state.runDirectory.empty()) {
            // What was kept stays where it is; only the mark goes.
            own.append(state.runKept ? joinPath(state.runDirectory, kRunMarkName)
                                     : state.runDirectory);
        }
        state.runDirectory = LString();
        state.runRoot = LString();
        state.runMark.reset();
        state.runKept = false;
    }
    removeAllOf(own, "Launcher: Deleting dir: ");
    if (runSettings().origGiven) {
        try {
            scheduleLauncherRemoval();
        } catch (const LauncherException& e) {
            writeLog("Could not arrange the removal of the launcher: " + e.message(), kLogWarning);
        } catch (const std::bad_alloc&) {
            outOfMemory = true;
        } catch (...) {
            writeLog("Could not arrange the removal of the launcher.", kLogWarning);
        }
    }
    if (outOfMemory) throw std::bad_alloc();
}

void removeStaleRunDirectories(const LString& root, FileSystem& fs) {
    std::vector<LString> stale;
    {
        DirectoryListing listing(root);
        DirectoryEntry entry;
        while (listing.next(entry)) {
            if (entry.isPlainDirectory() && isRunDirectoryName(entry.name)) {
                stale.push_back(joinPath(root, entry.name));
            }
        }
    }
    for (const LString& path : stale) {
        // Only a real directory of this user, never a link or somebody else's.
        if (!fs.isOwnDirectory(path)) continue;
        LString owner;
        if (runMarkOwner(path, owner) != MarkOwner::Gone) continue;
        trim(owner);
        const int removed = deletePath(path, fs);
        writeLog(LString(removed == 0 ? "Removed " : "Could not remove all of ") +
                 "the temporary directory of an earlier run that has ended (" + owner +
                 "): " + path);
    }
}

void closeTemporaryFiles(FileSystem& fs) {
    {
        std::lock_guard<std::recursive_mutex> guard(registryLock());
        tempFiles().closed = true;
    }
    removeTemporaryFiles(fs);
    for (int waited = 0; activeRemovals() > 0 && waited < kOtherRemovalWaitMs; waited += 10) {
        sleepMilliseconds(10);
    }
}

bool enoughFreeClusters(uint64_t freeClusters, uint32_t clusterSize, uint32_t size,
                        uint32_t fileCount) {
    const uint64_t cluster = clusterSize == 0 ? 1 : clusterSize;
    uint64_t clusters = size / cluster;
    if (fileCount == 1) {
        if (size % cluster != 0) ++clusters;
    } else if (fileCount > 1) {
        clusters += fileCount;  // one partial cluster per file
    }
    return static_cast<double>(freeClusters) * static_cast<double>(cluster) >=
           static_cast<double>(clusters) * static_cast<double>(cluster);
}

bool hasEnoughDiskSpace(const LString& path, uint32_t size, uint32_t fileCount) {
    DiskGeometry geometry;
    const SysStatus measured = queryDiskGeometry(freeSpaceRoot(path), geometry);
    if (!measured.ok()) throwSystemFailure(SystemCall::DiskFreeSpace, measured.code());
    uint64_t cluster = static_cast<uint64_t>(geometry.bytesPerSector) * geometry.sectorsPerCluster;
    if (cluster > 0xFFFFFFFFu) cluster = 0xFFFFFFFFu;
    return enoughFreeClusters(geometry.freeClusters, static_cast<uint32_t>(cluster), size,
                              fileCount);
}

bool fileExists(const LString& path) {
    const SysStatus opened = openExclusive(path);
    switch (opened.kind()) {
        case ErrorKind::None:
            return true;
        case ErrorKind::NotFound:
            return false;
        case ErrorKind::SharingViolation:
            return true;  // another process holds it open
        default:
            writeLog(systemErrorText(opened.code()));
            return false;
    }
}

int deletePath(const LString& path, FileSystem& fs) {
    uint32_t attributes = 0;
    if (!fs.readAttributes(path, attributes).ok()) return -1;
    if (isPlainDirectory(attributes)) {
        TreeDeleter(fs).run(path);
    } else {
        deleteEntry(path, fs);
    }
    return fs.readAttributes(path, attributes).ok() ? 1 : 0;
}

}  // namespace wiz
