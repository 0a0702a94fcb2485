// The user's own pick of a java program when no JVM was found (java_pick_win32.cpp: the
// file-open dialog; java_pick_posix.cpp: a question on the console).
#pragma once

#include "base/lstring.h"

namespace wiz {

// Asks the user for the java program; false when the user gave none. Not called in silent mode.
bool askForJavaProgram(LString& path);

// The end of a java program's path that marks a JVM home: bin\java.exe on Windows, bin/java on
// POSIX.
extern const char* const kPickedJavaProgram;
// The class-path separator of the picked JVM's descriptor.
extern const char* const kPickedClasspathSeparator;

}  // namespace wiz
