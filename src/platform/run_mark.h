// The mark of a run's own temporary directory: a file inside it, "run.lock", that the run holds
// locked for as long as it lives (POSIX: an exclusive lock; Windows: opened without sharing) and
// that names its process id and start time. The system drops the lock when the process ends,
// however it ends, so a later run can tell a directory whose owner is gone from one whose owner
// still runs (run_mark_posix.cpp, run_mark_win32.cpp).
#pragma once

#include <memory>

#include "base/lstring.h"
#include "platform/fs.h"
#include "platform/system_error.h"

namespace wiz {

// The mark's file name inside the directory.
constexpr char kRunMarkName[] = "run.lock";

// The held mark; releasing it (the destructor) unlocks the file and leaves it in place.
class RunMark {
public:
    virtual ~RunMark() = default;
};

// Marks `directory` (a new, empty directory of this run, open) as this run's own; the mark is
// made relative to the open directory. Fails with ErrorKind::Other for a directory that the
// system's file system did not open.
SysStatus markRunDirectory(const Directory& directory, std::unique_ptr<RunMark>& mark);

enum class MarkOwner {
    None,   // no mark (or not a plain file of this user): not a directory of a run
    Alive,  // the run that marked it still holds the mark
    Gone,   // the run that marked it has ended
};

// Who marked `directory`; `owner` gets the mark's text (process id and start time) when the
// owner is gone.
MarkOwner runMarkOwner(const LString& directory, LString& owner);

}  // namespace wiz
