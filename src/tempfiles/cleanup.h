// Removal of what the launcher leaves on disk: single entries, whole directory trees, and the
// running launcher file itself, which the operating system removes after the process ended.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/file_system.h"
#include "tempfiles/tree_removal.h"

namespace wiz {

// Removes one file or one empty directory (a link itself), clearing a read-only attribute first.
// A failure is logged as a warning ("Could not delete <path> :  <system text>") and gives false.
bool deleteEntry(const LString& path, FileSystem& fs = systemFileSystem());

// A depth-first walk over a directory tree. Subdirectories are read after their parent, the
// most recently found first; links to directories are offered as files and never entered.
class DirectoryWalker {
public:
    virtual ~DirectoryWalker() = default;

    // Walks the tree below `start`; true when visitFile stopped the walk. A directory that
    // cannot be listed at all is passed over; any other listing failure throws
    // LauncherException with the system's text.
    virtual bool walk(const LString& start);
    // Receives the full path of each file that wantsFile accepted; true stops the walk.
    virtual bool visitFile(const LString& path);
    // Whether visitFile wants the file of this name (no directory part). A walk that looks for
    // a few names tests them here, so that the full path is put together only for those.
    virtual bool wantsFile(const LString& name);
    // True leaves the directory unread.
    virtual bool skipDirectory(const LString& directory);

    StringList visited;       // every directory taken from the stack, in the order taken
    StringList pending;       // directories still to be read (a stack)
    int32_t cancellable = 0;  // non-zero: stop as soon as hostState().cancelRequested is set

private:
    int32_t filesSeen_ = 0;  // every 100th file steps the progress
};

// Removes a directory and everything below it, as far as possible and without following links:
// a directory that cannot be removed is kept together with all directories above it. Each
// failure is logged as a warning ("Could not delete <path> :  <system text>").
class TreeDeleter : public TreeRemoval {
public:
    explicit TreeDeleter(FileSystem& fs = systemFileSystem()) : TreeRemoval(fs) {}
    void run(const LString& directory);
    void failedToRemove(const LString& path, SysStatus error) override;
    void keptDirectory(const LString& path) override { failed.append(path); }

    // Directories that stayed because something directly inside them could not be removed.
    StringList failed;
};

// How many times the removal batch file tries to delete the launcher file, one second apart,
// before it gives up and goes on with its remaining lines.
constexpr int kBatchDeleteAttempts = 60;

// The text of the batch file that removes `launcher`, then its directory `directory` (when not
// empty), then itself (`batchPath`); with a non-empty
// `debugLogFile` it reports to that file.
LString removalBatchText(const LString& launcher, const LString& directory,
                         const LString& batchPath, const LString& debugLogFile);
// A temporary name with its extension (from the last dot of the file name) replaced by ".bat".
LString batchFileName(const LString& tempName);

// Arranges the removal of the running launcher file and its directory once this process has
// ended.
void scheduleLauncherRemoval();

}  // namespace wiz
