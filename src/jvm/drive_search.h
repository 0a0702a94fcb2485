// The drive search of the exhaustive JVM scan: the drives worth searching, and a walk over them
// that offers every file with one of the wanted names to a visitor.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// Appends the roots of the fixed and network drives (without a trailing separator); throws
// LauncherException (string 17) when the system reports no drive at all. In a build with the
// test seams (WIZ_TEST_SEAMS) the environment variable WIZ_SEARCH_DRIVES, when set, names the
// drives instead.
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

}  // namespace wiz
