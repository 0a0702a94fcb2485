// POSIX: files made relative to an open directory, shared by the two backend files that need it
// (file_posix.cpp, fs_posix.cpp) and the run mark.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "platform/file.h"
#include "platform/fs.h"

namespace wiz {

// The descriptor that a directory opened by this backend holds; -1 for a Directory of any other
// kind (a test's file system).
int directoryDescriptor(const Directory& directory);

// createFileNoLink for `name` relative to the directory `directoryFd` (AT_FDCWD: the current
// directory, and then `name` may be any path). With `mustBeNew` an entry that is there already
// fails with EEXIST.
FilePtr createFileAt(int directoryFd, const LString& name, bool text, bool mustBeNew, bool& isLink,
                     uint32_t& error);

}  // namespace wiz
