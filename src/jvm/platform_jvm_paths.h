// The platform's own list of directories that hold a java executable, the last strategy of the
// hint search (platform_jvm_paths_win32.cpp, platform_jvm_paths_posix.cpp).
#pragma once

#include "base/ptrlist.h"

namespace wiz {

// In a stable order, each directory once.
void platformJvmPaths(StringList& directories);

// The shared part: JAVA_HOME's bin directory, then each directory of PATH that holds
// `javaName`, as `resolve` turns it (the POSIX build resolves links), each once.
void javaDirectoriesFromEnvironment(const char* javaName, char listSeparator,
                                    LString (*resolve)(const LString& directory),
                                    StringList& directories);
// Appends `directory` unless it is empty or already there (samePath).
void appendOnce(StringList& directories, const LString& directory);

}  // namespace wiz
