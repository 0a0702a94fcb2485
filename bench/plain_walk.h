// The reference walk of the drive-scan benchmark: a tree listed depth first with the system's
// own directory calls, written plainly (plain_walk_posix.cpp, plain_walk_win32.cpp).
#pragma once

#include <string>

namespace wizbench {

// Prints the path of every file below `root` whose name is `name` (letter case ignored), one a
// line; links to directories are not followed. Returns the exit code.
int plainWalk(const std::string& root, const std::string& name);

}  // namespace wizbench
