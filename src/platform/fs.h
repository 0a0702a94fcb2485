// The file-system calls of the operating system that the temporary-file helpers, the clean-up
// and the drive search need, behind one portable interface (fs_win32.cpp, fs_posix.cpp).
//
// Every failing call leaves its system error code in lastFsError() (GetLastError on Windows,
// errno on POSIX); systemErrorText() turns it into text.
#pragma once

#include <cstdint>
#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/system_error.h"

namespace wiz {

// Attribute bits, with the values of the Windows file attributes.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrDirectory = 0x10;
// A symbolic link (POSIX) or reparse point (Windows). A link is never followed when a tree is
// walked or removed: removing it removes only the link.
constexpr uint32_t kAttrLink = 0x400;

// The system error code of the last failed call of this header, on this thread.
uint32_t lastFsError();

// Error classes the portable code needs to tell apart.
enum class FsError { None, NotFound, AccessDenied, SharingViolation, Other };
FsError classifyFsError(uint32_t code);

// The attributes of path (not following a final link); false when they cannot be read.
bool readAttributes(const LString& path, uint32_t& attributes);
// Sets or clears the read-only attribute.
bool setReadOnly(const LString& path, bool readOnly);
bool removeFile(const LString& path);
// Removes an empty directory (or a directory link).
bool removeDirectory(const LString& path);
bool makeDirectory(const LString& path);
// Lets the file be started as a program (POSIX: execute permission wherever it is readable;
// Windows decides by the name, so nothing to do there).
bool makeExecutable(const LString& path);

// The entries of one directory, "." and ".." left out. A directory that cannot be opened at all
// gives open() == false; a failure while reading gives next() == false with error() != 0.
class DirectoryListing {
public:
    struct Entry {
        LString name;
        // A real subdirectory: links to directories are reported as files, so that a walk never
        // leaves the tree it started in.
        bool isDirectory = false;
    };

    explicit DirectoryListing(const LString& directory);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    bool open() const;
    // The next entry; false at the end of the listing (error() == 0) or on a failure.
    bool next(Entry& entry);
    uint32_t error() const { return error_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    uint32_t error_ = 0;
};

// The removal of a directory and everything below it, without following links at any step: a
// link (or junction) found in the tree is removed itself, never what it leads to, and a
// subdirectory that was replaced by a link after it was listed is not entered. A directory whose
// contents could not all be removed stays, with every directory above it.
class TreeRemoval {
public:
    virtual ~TreeRemoval() = default;

    // Removes `path` (a link or a file there is removed itself); true when it is gone.
    bool run(const LString& path);

    // Each entry that could not be removed, with the system's error code.
    virtual void failedToRemove(const LString& path, uint32_t error) { (void)path, (void)error; }
    // A directory that stays because something directly inside it could not be removed.
    virtual void keptDirectory(const LString& path) { (void)path; }
    // Test seams: called before a subdirectory is opened (the moment to swap it for a link), and
    // before a file is removed (true keeps it, as if another process held it open).
    virtual void beforeEntering(const LString& directory) { (void)directory; }
    virtual bool keepFile(const LString& path) {
        (void)path;
        return false;
    }
};

// The system's temporary directory, ending with a separator.
LString systemTempPath();

// Creates a new empty file named prefix + unique hexadecimal digits + ".tmp" in directory and
// returns its path; false with lastFsError() when no name could be created.
bool createUniqueTempFile(const LString& directory, const char* prefix, LString& path);

// Creates a new directory named prefix + unique hexadecimal digits + ".tmp" in `directory`,
// private to this user (POSIX: mode 0700 and owned by this user), and returns its path. Only a
// directory this call created itself is returned: when something already has the chosen name (a
// file, a directory, a link someone planted) or the created directory is no longer a plain
// directory of ours when checked (replaced by a link in between), another name is tried. False
// with lastFsError() when no directory could be created.
bool createUniqueDirectory(const LString& directory, const char* prefix, LString& path);

// Test seams for the moments of createUniqueDirectory that a local attacker would use: called
// with the chosen name just before the directory is created, and just after it was created
// (before the check). Null in normal runs.
struct UniqueDirectoryHooks {
    void (*beforeCreate)(const LString& path) = nullptr;
    void (*afterCreate)(const LString& path) = nullptr;
};
UniqueDirectoryHooks& uniqueDirectoryHooks();

// Free-space figures of the volume that holds `root`.
struct DiskGeometry {
    uint32_t bytesPerSector = 0;
    uint32_t sectorsPerCluster = 0;
    uint64_t freeClusters = 0;
    uint64_t totalClusters = 0;
};
// The path whose volume hasEnoughDiskSpace measures for a destination path: on Windows the
// destination's drive root ("X:\") or the current drive's root, on POSIX the path itself.
LString freeSpaceRoot(const LString& path);
bool queryDiskGeometry(const LString& root, DiskGeometry& geometry);

// Drives worth searching: on Windows the roots of the fixed and network drives ("C:"); on
// POSIX the mount points of local and network file systems ("/", "/home"), pseudo file systems
// left out. `anyDrive` tells whether the system reported any drive at all.
void listDriveRoots(StringList& roots, bool& anyDrive);
// An identifier of the volume holding path, so that a walk can stay on one volume; 0 when the
// platform keeps volumes apart by drive letter anyway.
uint64_t volumeId(const LString& path);

// Opens an existing file for reading without sharing and closes it again; false with the system
// error code when it cannot be opened (on POSIX a directory fails too, as on Windows).
bool openExclusive(const LString& path, uint32_t& error);

// The path made absolute against the current directory (an absolute path is kept as it is).
LString fullPath(const LString& path);

// The short (8.3) form of an existing path; the path itself where the platform has none.
LString shortPathName(const LString& path);

}  // namespace wiz
