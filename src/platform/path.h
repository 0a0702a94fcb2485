// The path separator of the platform: a backslash on Windows, a slash on POSIX.
#pragma once

#include "base/lstring.h"

namespace wiz {

extern const char kPathSeparator;

// A one-character text holding the separator.
inline LString pathSeparator() { return LString(1, kPathSeparator); }

}  // namespace wiz
