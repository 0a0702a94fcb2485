// Temporary directory and "LRE" temporary names, the registries of everything temporary the
// launcher creates, and their removal; free space, file existence, drives and drive search.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

extern LString tempDirectory;
extern StringList tempDirRegistry;
extern StringList tempFileRegistry;

void setTempDirectory(const LString& path);
// The temporary directory (with its trailing separator when it came from the system), checked
// to exist; throws LauncherException (string 36) otherwise.
LString getTempDirectory();
// A new empty directory inside the temporary directory, registered for removal.
LString createTempDirectory();
// A new temporary file name (the empty file exists), registered for removal.
LString createTempFileName();
void registerTempFile(const LString& path);
void unregisterTempFile(const LString& path);       // case-insensitive match
void unregisterTempDirectory(const LString& path);  // case-insensitive match
// Removes every registered directory, then every registered file, last first; then, for a copy
// started with -cv:orig, schedules the removal of the launcher file itself. An entry that is
// still there after tempRemovalAttempts tries (50 ms apart) is given up with a warning in the
// log, so that a locked file cannot keep the launcher from ending.
void removeTemporaryFiles();
extern int tempRemovalAttempts;  // 20 by default
// createTempDirectory retries a denied temporary name this often, 200 ms apart.
constexpr int kTempNameAttempts = 25;

// Whether the drive (volume) of path can hold size bytes in fileCount files; throws
// LauncherException "GetDiskFreeSpace failed  ==>  " + system text when it cannot be measured.
bool hasEnoughDiskSpace(const LString& path, uint32_t size, uint32_t fileCount);
// The cluster arithmetic behind it: size bytes take size / cluster whole clusters, plus one for
// the rest when fileCount is 1, plus one partial cluster per file when fileCount is above 1.
bool enoughFreeClusters(uint64_t freeClusters, uint32_t clusterSize, uint32_t size,
                        uint32_t fileCount);
// Opens the file for reading without sharing: true when it opens or another process holds it;
// false when it does not exist, and for any other failure (logged with the system's text).
bool fileExists(const LString& path);
// Appends the roots of the fixed and network drives (without a trailing separator).
void listDrives(StringList& list);

// Receives each file found by searchDrives; returns true to end the search.
class FileVisitor {
public:
    virtual ~FileVisitor() = default;
    virtual bool visit(const LString& path) = 0;
};
// Walks every listed drive depth first, skipping the temporary directory, the recycle-bin
// folders at a drive's root and (POSIX) other file systems mounted inside it, and offers each
// file whose path ends with one of the names (at a separator boundary, case-insensitive).
void searchDrives(const StringList& names, FileVisitor& visitor);
// The search of one drive, given by its root directory; true when the visitor ended the search.
bool searchDrive(const LString& root, const StringList& names, FileVisitor& visitor);
// The name test of searchDrives.
bool matchesFileName(const LString& path, const LString& name);

// -1 when the path does not exist; removes a file, or a directory with its whole tree. Then 0
// when it is gone, 1 when something could not be removed.
int deletePath(const LString& path);

// Letter-case-blind comparisons of path texts (single-byte, ASCII letters).
bool equalsNoCase(const LString& a, const LString& b);
bool startsWithNoCase(const LString& text, const LString& prefix);
// Whether path is dir itself or lies below it (case-insensitive, at a separator boundary).
bool isWithinDirectory(const LString& path, const LString& dir);

}  // namespace wiz
