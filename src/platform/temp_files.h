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
// started with -cv:orig, schedules the removal of the launcher file itself.
void removeTemporaryFiles();

bool hasEnoughDiskSpace(const LString& path, uint32_t size, uint32_t fileCount);
bool fileExists(const LString& path);
// Appends the roots of the fixed and network drives (without a trailing separator).
void listDrives(StringList& list);

// Receives each file found by searchDrives; returns true to end the search.
class FileVisitor {
public:
    virtual ~FileVisitor() = default;
    virtual bool visit(const LString& path) = 0;
};
void searchDrives(const StringList& names, FileVisitor& visitor);

// -1 when the path does not exist; removes a file, or a directory with its whole tree.
int deletePath(const LString& path);

}  // namespace wiz
