// The creation of a new directory under a name nobody else can have handed the launcher.
#pragma once

#include <memory>

#include "base/lstring.h"
#include "platform/file_system.h"
#include "platform/system_error.h"

namespace wiz {

// How many names createUniqueDirectory tries before it gives up.
constexpr int kUniqueDirectoryAttempts = 100;

// Creates a new directory named prefix + unique hexadecimal digits + ".tmp" in `directory`,
// private to this user (POSIX: mode 0700 and owned by this user), and gives its path. Only a
// directory this call created itself is given: when something already has the chosen name (a
// file, a directory, a link someone planted) or the created directory is no longer a plain
// directory of ours when checked (replaced by a link in between), another name is tried. Fails
// with ErrorKind::Exists when every name tried was taken.
SysStatus createUniqueDirectory(FileSystem& fs, const LString& directory, const char* prefix,
                                LString& path);
// The same inside the open directory `parent`, made relative to it (never by its path), and
// given open: `made->path()` is its path.
SysStatus createUniqueChildDirectory(FileSystem& fs, Directory& parent, const char* prefix,
                                     std::unique_ptr<Directory>& made);

}  // namespace wiz
