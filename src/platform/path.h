// Path texts: the platform's separator (a backslash on Windows, a slash on POSIX), and the
// comparisons the launcher makes on paths. Pure text; nothing here touches the file system.
#pragma once

#include "base/lstring.h"

namespace wiz {

extern const char kPathSeparator;
// Whether the file system takes names that differ only in letter case for the same.
extern const bool kPathsIgnoreCase;

// A one-character text holding the separator.
inline LString pathSeparator() { return LString(1, kPathSeparator); }
// The platform's separator, or a slash (which Windows accepts too).
bool isPathSeparator(char c);

// Appends the separator to a non-empty path that does not end with one.
void ensureTrailingSeparator(LString& path);
// `name` inside `directory`: joined with one separator (none when the directory ends with one, or
// is empty).
LString joinPath(const LString& directory, const LString& name);
// Text before the last separator; empty when there is none.
LString parentDirectory(const LString& path);
// Text after the last slash or backslash (either system's separator); all of it when there is none.
LString lastComponent(const LString& path);

// Whether two path texts name the same place as far as the text tells: separators at their ends
// do not count, nor, where the file system ignores it (Windows), letter case.
bool samePath(const LString& a, const LString& b);

// Letter-case-blind comparisons of path texts (single-byte, ASCII letters).
bool equalsNoCase(const LString& a, const LString& b);
bool startsWithNoCase(const LString& text, const LString& prefix);
// Whether path is dir itself or lies below it (case-insensitive, at a separator boundary).
bool isWithinDirectory(const LString& path, const LString& dir);

}  // namespace wiz
