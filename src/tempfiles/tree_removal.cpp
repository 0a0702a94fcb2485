#include "tempfiles/tree_removal.h"

#include <memory>
#include <vector>

#include "platform/path.h"

namespace wiz {

namespace {

// The path without trailing separators; a root ("/", "C:\") stays whole.
LString withoutTrailingSeparators(const LString& path) {
    LString trimmed = path;
    while (trimmed.length() > 1 && isPathSeparator(trimmed[trimmed.length() - 1]) &&
           !(trimmed.length() == 3 && trimmed[1] == ':')) {
        trimmed.erase(trimmed.length() - 1);
    }
    return trimmed;
}

}  // namespace

bool TreeRemoval::run(const LString& path) {
    const LString root = withoutTrailingSeparators(path);
    std::unique_ptr<Directory> directory;
    uint32_t attributes = 0;
    const SysStatus opened = fs_.openDirectory(root, directory, attributes);
    if (opened.is(ErrorKind::NotFound)) return true;
    if (!opened.ok()) {
        failedToRemove(root, opened);
        return false;
    }
    if (!directory) {
        // A link or a file is removed itself.
        const SysStatus removed = fs_.removeEntry(root, attributes);
        if (removed.ok() || removed.is(ErrorKind::NotFound)) return true;
        failedToRemove(root, removed);
        return false;
    }
    const bool emptied = removeContents(*directory);
    directory.reset();
    if (!emptied) return false;
    const SysStatus removed = fs_.removeEntry(root, attributes);
    if (removed.ok() || removed.is(ErrorKind::NotFound)) return true;
    failedToRemove(root, removed);
    keptDirectory(root);
    return false;
}

bool TreeRemoval::removeContents(Directory& directory) {
    std::vector<DirectoryEntry> entries;
    const SysStatus listed = fs_.list(directory, entries);
    if (!listed.ok()) {
        failedToRemove(directory.path(), listed);
        return false;
    }
    bool all = true;          // everything below is gone
    bool ownFailure = false;  // something directly inside stays
    for (const DirectoryEntry& entry : entries) {
        uint32_t attributes = entry.attributes;
        if (entry.isPlainDirectory()) {
            std::unique_ptr<Directory> child;
            const SysStatus opened = fs_.openChild(directory, entry.name, child, attributes);
            if (opened.is(ErrorKind::NotFound)) continue;  // gone since it was listed
            if (!opened.ok()) {
                failedToRemove(joinPath(directory.path(), entry.name), opened);
                all = false;
                ownFailure = true;
                continue;
            }
            if (child) {
                const bool emptied = removeContents(*child);
                child.reset();
                if (!emptied) {
                    all = false;
                } else if (!removeChild(directory, entry.name, attributes)) {
                    keptDirectory(joinPath(directory.path(), entry.name));
                    all = false;
                }
                continue;
            }
            // Replaced since it was listed (by a link or a file): only the entry itself goes.
        }
        if (!removeChild(directory, entry.name, attributes)) {
            all = false;
            ownFailure = true;
        }
    }
    if (ownFailure) keptDirectory(directory.path());
    return all;
}

bool TreeRemoval::removeChild(Directory& parent, const LString& name, uint32_t attributes) {
    const SysStatus removed = fs_.removeChild(parent, name, attributes);
    if (removed.ok() || removed.is(ErrorKind::NotFound)) return true;
    failedToRemove(joinPath(parent.path(), name), removed);
    return false;
}

}  // namespace wiz
