#include "platform/temp_files.h"

#include <chrono>
#include <mutex>
#include <thread>

#include "archive/cleanup.h"
#include "base/exceptions.h"
#include "core/log.h"
#include "core/messages.h"
#include "core/settings.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "tagdoc/text.h"

namespace wiz {

LString tempDirectory;
StringList tempDirRegistry;
StringList tempFileRegistry;
int tempRemovalAttempts = 20;

namespace {

// The registries are also emptied from the user-interface thread when the logon ends while the
// launch thread may still add to them. Recursive: the removal of the launcher file takes a
// temporary name while the removal holds the lock.
std::recursive_mutex& registryLock() {
    static std::recursive_mutex lock;
    return lock;
}

const char kTempPrefix[] = "LRE";

char lowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool isSeparator(char c) { return c == '/' || c == kPathSeparator; }

void sleepMilliseconds(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

LauncherException tempNameFailure(uint32_t error) {
    return LauncherException(LString("GetTempFileName failed  ==>  ") + systemErrorString(error));
}

bool isDirectory(const LString& path) {
    // With a trailing separator a link to a directory counts as the directory it names.
    LString p = path;
    ensureTrailingSeparator(p);
    uint32_t attributes = 0;
    return readAttributes(p, attributes) && (attributes & kAttrDirectory);
}

void unregisterFrom(StringList& registry, const LString& path) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    for (int32_t i = 0; i < registry.count(); ++i) {
        if (equalsNoCase(registry.at(i), path)) {
            registry.removeAt(i);
            return;
        }
    }
}

void removeRegistered(StringList& registry, const char* debugPrefix) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    while (registry.count() > 0) {
        const LString path = registry.last();
        for (int attempt = 1;; ++attempt) {
            if (debugLogEnabled) debugLog(LString(debugPrefix) + path);
            deletePath(path);
            uint32_t attributes = 0;
            if (!readAttributes(path, attributes)) break;
            if (attempt >= tempRemovalAttempts) {
                writeLog(LString("Could not remove ") + path + ", giving up after " +
                             numberToString(attempt) + " attempts.",
                         kLogWarning);
                break;
            }
            sleepMilliseconds(50);
        }
        registry.removeLast();
    }
}

// The drive search: a cancellable walk that leaves out the temporary directory, the recycle
// folders at the drive's root and, where volumes nest (POSIX), other mounted file systems.
class DriveSearch : public DirectoryWalker {
public:
    DriveSearch(const StringList& names, FileVisitor& visitor, const LString& root,
                const LString& tempDir)
        : names_(names),
          visitor_(visitor),
          root_(root),
          tempDir_(tempDir),
          rootVolume_(volumeId(root)) {
        cancellable = 1;
    }

    bool skipDirectory(const LString& dir) override {
        if (equalsNoCase(dir, tempDir_)) return true;
        if (dir.length() > root_.length() &&
            startsWithNoCase(dir.substr(root_.length()), "RECYCLE")) {
            return true;
        }
        return rootVolume_ != 0 && dir.length() > root_.length() && volumeId(dir) != rootVolume_;
    }

    bool visitFile(const LString& path) override {
        for (int32_t i = 0; i < names_.count(); ++i) {
            if (matchesFileName(path, names_.at(i)) && visitor_.visit(path)) return true;
        }
        return false;
    }

private:
    const StringList& names_;
    FileVisitor& visitor_;
    LString root_;
    LString tempDir_;
    uint64_t rootVolume_;
};

}  // namespace

bool equalsNoCase(const LString& a, const LString& b) {
    return a.length() == b.length() && startsWithNoCase(a, b);
}

bool startsWithNoCase(const LString& text, const LString& prefix) {
    if (prefix.length() > text.length()) return false;
    for (LString::size_type i = 0; i < prefix.length(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(prefix[i])) return false;
    }
    return true;
}

bool isWithinDirectory(const LString& path, const LString& dir) {
    if (!startsWithNoCase(path, dir)) return false;
    return path.length() == dir.length() || (!dir.empty() && isSeparator(dir[dir.length() - 1])) ||
           isSeparator(path[dir.length()]);
}

void setTempDirectory(const LString& path) { tempDirectory = path; }

LString getTempDirectory() {
    if (tempDirectory.empty()) tempDirectory = systemTempPath();
    if (isDirectory(tempDirectory)) return tempDirectory;
    throw LauncherException(formatStringId(36, {tempDirectory}));
}

LString createTempDirectory() {
    const LString dir = getTempDirectory();
    LString name;
    // Access is denied while a name the system picks belongs to a directory (or a file about to
    // be deleted), so that error is retried for a while.
    for (int attempt = 1;; ++attempt) {
        if (createUniqueTempFile(dir, kTempPrefix, name)) break;
        uint32_t error = lastFsError();
        if (classifyFsError(error) != FsError::AccessDenied || attempt >= kTempNameAttempts) {
            throw tempNameFailure(error);
        }
        sleepMilliseconds(200);
    }
    removeFile(name);
    makeDirectory(name);
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    tempDirRegistry.append(name);
    return name;
}

LString createTempFileName() {
    LString name;
    if (!createUniqueTempFile(getTempDirectory(), kTempPrefix, name)) {
        throw tempNameFailure(lastFsError());
    }
    registerTempFile(name);
    return name;
}

void registerTempFile(const LString& path) {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    tempFileRegistry.append(path);
}

void unregisterTempFile(const LString& path) { unregisterFrom(tempFileRegistry, path); }

void unregisterTempDirectory(const LString& path) { unregisterFrom(tempDirRegistry, path); }

void removeTemporaryFiles() {
    std::lock_guard<std::recursive_mutex> guard(registryLock());
    removeRegistered(tempDirRegistry, "Launcher: Deleting dir: ");
    removeRegistered(tempFileRegistry, "Launcher: Deleting file: ");
    if (origGiven) scheduleLauncherRemoval();
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
    if (!queryDiskGeometry(freeSpaceRoot(path), geometry)) {
        throw LauncherException(LString("GetDiskFreeSpace failed  ==>  ") +
                                systemErrorString(lastFsError()));
    }
    uint64_t cluster = static_cast<uint64_t>(geometry.bytesPerSector) * geometry.sectorsPerCluster;
    if (cluster > 0xFFFFFFFFu) cluster = 0xFFFFFFFFu;
    return enoughFreeClusters(geometry.freeClusters, static_cast<uint32_t>(cluster), size,
                              fileCount);
}

bool fileExists(const LString& path) {
    uint32_t error = 0;
    if (openExclusive(path, error)) return true;
    switch (classifyFsError(error)) {
        case FsError::NotFound:
            return false;
        case FsError::SharingViolation:
            return true;  // another process holds it open
        default:
            writeLog(systemErrorString(error));
            return false;
    }
}

void listDrives(StringList& list) {
    bool anyDrive = false;
    listDriveRoots(list, anyDrive);
    if (!anyDrive) throw LauncherException(loadString(17));
}

bool matchesFileName(const LString& path, const LString& name) {
    if (name.empty() || name.length() > path.length()) return false;
    const LString::size_type start = path.length() - name.length();
    if (!equalsNoCase(path.substr(start), name)) return false;
    return start == 0 || isSeparator(path[start - 1]);
}

bool searchDrive(const LString& root, const StringList& names, FileVisitor& visitor) {
    LString start = root;
    ensureTrailingSeparator(start);
    LString tempDir = tempDirectory.empty() ? systemTempPath() : tempDirectory;
    ensureTrailingSeparator(tempDir);
    DriveSearch search(names, visitor, start, tempDir);
    return search.walk(start);
}

void searchDrives(const StringList& names, FileVisitor& visitor) {
    StringList drives;
    listDrives(drives);
    for (int32_t i = 0; i < drives.count(); ++i) {
        if (searchDrive(drives.at(i), names, visitor) || cancelRequested) return;
    }
}

int deletePath(const LString& path) {
    uint32_t attributes = 0;
    if (!readAttributes(path, attributes)) return -1;
    if ((attributes & kAttrDirectory) && !(attributes & kAttrLink)) {
        TreeDeleter deleter;
        deleter.run(path);
    } else {
        deleteEntry(path);
    }
    return readAttributes(path, attributes) ? 1 : 0;
}

}  // namespace wiz
