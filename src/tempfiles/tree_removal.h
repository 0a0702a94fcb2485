// The removal of a directory and everything below it, over the primitives of a FileSystem.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "platform/file_system.h"
#include "platform/system_error.h"

namespace wiz {

// Removes a tree without following links at any step: every directory is opened without
// following a link and its entries are removed relative to it, so a link (or junction) found in
// the tree is removed itself, never what it leads to, and a subdirectory that was replaced by a
// link after it was listed is not entered. A directory whose contents could not all be removed
// stays, with every directory above it; everything else goes.
class TreeRemoval {
public:
    explicit TreeRemoval(FileSystem& fileSystem = systemFileSystem()) : fs_(fileSystem) {}
    virtual ~TreeRemoval() = default;
    TreeRemoval(const TreeRemoval&) = delete;
    TreeRemoval& operator=(const TreeRemoval&) = delete;

    // Removes `path` (a link or a file there is removed itself); true when it is gone.
    bool run(const LString& path);

    // Each entry that could not be removed (or listed, or opened), with the system's error.
    virtual void failedToRemove(const LString& path, SysStatus error) { (void)path, (void)error; }
    // A directory that stays because something directly inside it could not be removed, or
    // because it could not be removed itself.
    virtual void keptDirectory(const LString& path) { (void)path; }

private:
    // Removes everything inside `directory`; true when all of it is gone.
    bool removeContents(Directory& directory);
    // An entry that could not be removed is reported; true when it is gone (or was already).
    bool removeChild(Directory& parent, const LString& name, uint32_t attributes);

    FileSystem& fs_;
};

}  // namespace wiz
