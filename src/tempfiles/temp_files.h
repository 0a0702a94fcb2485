// Temporary directory and "LRE" temporary names, the registries of everything temporary the
// launcher creates and their removal; free space and file existence.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/file.h"
#include "platform/file_system.h"
#include "platform/run_mark.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// The process-wide temporary-file state. The registries are also emptied from the
// user-interface thread when the logon ends while the launching thread may still add to them:
// every operation below takes one lock (the plain fields are for tests to set up and inspect).
struct TempFiles {
    // "-cv:tempdir", or the system's temporary path filled in at first use and then kept.
    LString directory;
    // What createTempDirectory made and createTempFileName handed out (or registerTempFile was
    // given), in creation order.
    StringList directories;
    StringList files;
    // Removal gives an entry up with a warning after this many attempts, 50 ms apart, so that
    // a locked file cannot keep the launcher from ending.
    int removalAttempts = 20;
    // Set when the run is being ended from outside: nothing new is made from then on.
    bool closed = false;
    // The run's own directory inside `directory`, made at first use with the run's mark in it;
    // every temporary directory and name of the run is made inside it, and it goes last.
    // `runRoot` is the `directory` it was made in.
    LString runDirectory;
    LString runRoot;
    std::shared_ptr<RunMark> runMark;
    // The run's own directory and the temporary directories made in it, held open from their
    // creation on: what the launcher creates in them is created relative to the open directory,
    // never by a path that could lead elsewhere by then. Let go before they are removed (Windows
    // cannot remove a directory that is held open) or handed over.
    std::vector<std::shared_ptr<Directory>> openDirectories;
    // Something inside the run's directory was unregistered to outlive the run: the directory
    // then stays, without its mark, for whoever took it over.
    bool runKept = false;
};

// The process-wide state (tests start from a fresh value: tempFiles() = TempFiles()).
TempFiles& tempFiles();

void setTempDirectory(const LString& path);
// The temporary directory (with its trailing separator when it came from the system), checked
// to exist; throws LauncherException (string 36) otherwise.
LString getTempDirectory();
// Removes the directories that earlier runs left in `root` (killed before they could remove
// them): only directories of this user named like the run's own ones whose mark says that their
// run has ended. Everything else (a directory without the mark, one whose run still lives, a
// link, another user's directory) is left alone. Each removal is logged.
void removeStaleRunDirectories(const LString& root, FileSystem& fs = systemFileSystem());
// Every failure to make a temporary directory or name below is a LauncherException; when every
// name tried was taken, it says so ("Cannot make a new temporary name in DIR: every name tried
// is taken. ...") instead of giving the system's text alone.
// A new empty directory inside the temporary directory, registered for removal.
LString createTempDirectory(FileSystem& fs = systemFileSystem());
// A new empty directory inside the temporary directory itself, not registered: for what must
// outlive the run (an embedded launcher that removes itself and its directory).
LString createLastingTempDirectory(FileSystem& fs = systemFileSystem());
// A new temporary file name (the empty file exists), registered for removal.
LString createTempFileName();
// A new temporary file name, not registered: for what must outlive the run (the batch file that
// removes the launcher file). Made even while the run is being ended.
LString createUnregisteredTempFile();
// Creates (or empties) the file at `path` for writing, never through a link, into a file with
// other names, a FIFO or a device (then null with `isLink` set), as createFileNoLink. A file in
// one of the run's own directories is created relative to the directory the launcher holds
// open, not by its path; any other path (a destination the user chose) by the path.
FilePtr createFileForWriting(const LString& path, bool text, bool& isLink, uint32_t& error);
// TagDocument::write for a document written by the launcher (a JVM file): created as above.
bool writeDocument(const TagDocument& document, const LString& path);
void registerTempFile(const LString& path);
void unregisterTempFile(const LString& path);  // case-insensitive match
// Hands a registered temporary file over to the caller for good: unregisters it and moves it
// out of the run's own directory into the temporary directory itself, so that it outlives the
// run. Returns its path from then on.
LString keepTempFile(const LString& path);
void unregisterTempDirectory(const LString& path);  // case-insensitive match
// Removes every registered directory, then every registered file, last first; then, for a copy
// started with -cv:orig, schedules the removal of the launcher file itself. An entry that is
// still there after TempFiles::removalAttempts tries is given up with a warning in the log.
void removeTemporaryFiles(FileSystem& fs = systemFileSystem());

// Removes every registered entry like removeTemporaryFiles and refuses every later request for
// a temporary directory or name (LauncherException): the run is being ended from another thread
// while the launching thread may still be at work.
void closeTemporaryFiles(FileSystem& fs = systemFileSystem());

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

// -1 when the path does not exist; removes a file, or a directory with its whole tree. Then 0
// when it is gone, 1 when something could not be removed.
int deletePath(const LString& path, FileSystem& fs = systemFileSystem());

}  // namespace wiz
