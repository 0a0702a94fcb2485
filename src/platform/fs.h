// The file-system calls of the operating system, one step each (fs_win32.cpp, fs_posix.cpp). The
// algorithms made of them (tree removal, unique directories, the directory walks) are portable
// code above this layer, so they run the same on every system. Every call that can fail returns
// a SysStatus and gives its results through out-parameters.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/file.h"
#include "platform/system_error.h"

namespace wiz {

// Attribute bits, with the values of the Windows file attributes.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrDirectory = 0x10;
// A symbolic link (POSIX) or reparse point (Windows). A link is never followed when a tree is
// walked or removed: removing it removes only the link.
constexpr uint32_t kAttrLink = 0x400;

// A real directory, not a link to one.
inline bool isPlainDirectory(uint32_t attributes) {
    return (attributes & kAttrDirectory) != 0 && (attributes & kAttrLink) == 0;
}

// The attributes of the entry at `path` itself (a final link is not followed).
SysStatus readAttributes(const LString& path, uint32_t& attributes);
// Removes the entry at `path` itself, as `attributes` (read before) describe it: with the
// directory call when they say directory (an empty directory; on Windows also a link to a
// directory), otherwise with the file call, so that a link goes and never what it leads to.
// Windows first clears a read-only attribute (never a link's); POSIX has nothing to clear, there
// removal depends on the permissions of the directory that holds the entry.
SysStatus removeEntry(const LString& path, uint32_t attributes);
// Creates a directory that only this user may use (POSIX: mode 0700). Fails with
// ErrorKind::Exists when anything already has the name, a link included.
SysStatus makeDirectory(const LString& path);
// Whether `path` is a real directory, not a link, that belongs to this user alone (POSIX: owned
// by this user with no permission for anybody else; Windows: not a reparse point), checked
// through a handle to the object itself.
bool isOwnDirectory(const LString& path);
// Moves the file at `from` to `to`, replacing the file there (on one volume).
SysStatus replaceFile(const LString& from, const LString& to);
// Lets the file be started as a program (POSIX: execute permission wherever it is readable;
// Windows decides by the name, so nothing to do there).
SysStatus makeExecutable(const LString& path);

struct DirectoryEntry {
    LString name;
    // kAttr* bits: a link to a directory is a link, not a directory, so that a walk never leaves
    // the tree it started in. Only Windows reports read-only entries here.
    uint32_t attributes = 0;
    bool isPlainDirectory() const { return wiz::isPlainDirectory(attributes); }
};

// The entries of the directory at a path, one at a time, "." and ".." left out: the listing of a
// walk that only reads.
class DirectoryListing {
public:
    explicit DirectoryListing(const LString& directory);
    ~DirectoryListing();
    DirectoryListing(const DirectoryListing&) = delete;
    DirectoryListing& operator=(const DirectoryListing&) = delete;

    // Whether the directory could be opened (status() says why not).
    bool isOpen() const;
    // The next entry; false at the end of the listing and when reading failed (status()).
    bool next(DirectoryEntry& entry);
    SysStatus status() const { return status_; }

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    SysStatus status_;
};

// An open directory. Its operations name entries relative to it, so they act on this very
// directory even when the path that led to it changes meanwhile: POSIX holds a descriptor and
// uses the *at calls; Windows holds a handle without delete sharing, which keeps the directory
// from being renamed or removed while it is open, creates files and subdirectories relative to
// that handle (NtCreateFile with it as the root) and composes the other names under its path
// (the Windows 9x family has no handles to directories: there only the path is held).
class Directory {
public:
    virtual ~Directory() = default;
    Directory(const Directory&) = delete;
    Directory& operator=(const Directory&) = delete;

    // The path it was opened by, for messages.
    const LString& path() const { return path_; }

    // Every entry but "." and "..".
    virtual SysStatus list(std::vector<DirectoryEntry>& entries) = 0;
    // Opens the subdirectory `name` without following a link. When something else has the name
    // (a link, a file), nothing is opened: `child` stays empty and `attributes` say what is there.
    virtual SysStatus openChild(const LString& name, std::unique_ptr<Directory>& child,
                                uint32_t& attributes) = 0;
    // removeEntry for the entry `name` of this directory.
    virtual SysStatus removeChild(const LString& name, uint32_t attributes) = 0;
    // Makes the subdirectory `name` for this user alone (as makeDirectory) and opens it, relative
    // to this directory. Fails with ErrorKind::Exists when anything has the name already, or when
    // what is there afterwards is not a directory that can be opened.
    virtual SysStatus makeChild(const LString& name, std::unique_ptr<Directory>& child) = 0;
    // createFileNoLink for the entry `name` of this directory, created relative to it: a rename
    // of the path that led here cannot send the file elsewhere. With `mustBeNew` an entry that
    // is there already (whatever it is) is left alone and `error` is EEXIST.
    virtual FilePtr createFile(const LString& name, bool text, bool mustBeNew, bool& isLink,
                               uint32_t& error) = 0;

protected:
    explicit Directory(const LString& path) : path_(path) {}

private:
    LString path_;
};

// Opens the directory at `path` without following a final link; as Directory::openChild when
// something else is there.
SysStatus openDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                        uint32_t& attributes);

// Whether users other than this one (and the administrator, the system) may rename or remove
// what this user makes in the directory at `path`, and then `why`, for the log. POSIX: a
// directory writable for all without the sticky bit, or one that belongs to another user.
// Windows: a directory that belongs to another user, has no access list, or whose access list
// lets Everyone, Authenticated Users or Users delete, delete children, or change the access list
// or the owner (the Windows 9x family has no access lists: false there).
bool othersMayReplaceEntries(const LString& path, LString& why);

// The system's temporary directory, ending with a separator.
LString systemTempPath();

// A name for a new temporary entry in `directory`: prefix + unique hexadecimal digits + ".tmp".
// Nothing is created; a name may repeat after many calls, so the caller creates the entry in a way
// that fails when the name is taken.
SysStatus uniqueTempName(const LString& directory, const char* prefix, LString& name);
// Creates a new empty file named like uniqueTempName in `directory` (Windows: GetTempFileNameA,
// which picks the name itself) and gives its path.
SysStatus createUniqueTempFile(const LString& directory, const char* prefix, LString& path);

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
SysStatus queryDiskGeometry(const LString& root, DiskGeometry& geometry);

// Drives worth searching: on Windows the roots of the fixed and network drives ("C:"); on
// POSIX the mount points of local and network file systems ("/", "/home"), pseudo file systems
// left out. `anyDrive` tells whether the system reported any drive at all.
void listDriveRoots(StringList& roots, bool& anyDrive);
// An identifier of the volume holding path, so that a walk can stay on one volume; 0 when the
// platform keeps volumes apart by drive letter anyway.
uint64_t volumeId(const LString& path);

// Opens an existing file for reading without sharing and closes it again (on POSIX a directory
// fails too, as on Windows).
SysStatus openExclusive(const LString& path);

// The path made absolute against the current directory (an absolute path is kept as it is).
LString fullPath(const LString& path);

// The short (8.3) form of an existing path; the path itself where the platform has none.
LString shortPathName(const LString& path);

}  // namespace wiz
