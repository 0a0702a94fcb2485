#include "platform/path.h"

#include "base/chars.h"

namespace wiz {

bool isPathSeparator(char c) { return c == '/' || c == kPathSeparator; }

void ensureTrailingSeparator(LString& path) {
    if (!path.empty() && path[path.length() - 1] != kPathSeparator) path += kPathSeparator;
}

LString joinPath(const LString& directory, const LString& name) {
    if (directory.empty()) return name;
    if (isPathSeparator(directory[directory.length() - 1])) return directory + name;
    return directory + kPathSeparator + name;
}

LString parentDirectory(const LString& path) {
    LString::size_type pos = path.rfind(kPathSeparator);
    return pos == LString::npos ? LString() : path.substr(0, pos);
}

LString lastComponent(const LString& path) {
    const LString::size_type at = path.find_last_of("/\\");
    return at == LString::npos ? path : path.substr(at + 1);
}

namespace {

// The length without the separators at the end (a lone separator, the root, stays).
LString::size_type withoutTrailingSeparators(const LString& path) {
    LString::size_type length = path.length();
    while (length > 1 && isPathSeparator(path[length - 1])) --length;
    return length;
}

}  // namespace

bool samePath(const LString& a, const LString& b) {
    const LString::size_type length = withoutTrailingSeparators(a);
    if (length != withoutTrailingSeparators(b)) return false;
    for (LString::size_type i = 0; i < length; ++i) {
        const char x = a[i];
        const char y = b[i];
        if (x == y) continue;
        if (!kPathsIgnoreCase || lowerAscii(x) != lowerAscii(y)) return false;
    }
    return true;
}

bool equalsNoCase(const LString& a, const LString& b) {
    return a.length() == b.length() && startsWithNoCase(a, b);
}

bool startsWithNoCase(const LString& text, const LString& prefix) {
    if (prefix.length() > text.length()) return false;
    for (LString::size_type i = 0; i < prefix.length(); ++i) {
        if (lowerAscii(text[i]) != lowerAscii(prefix[i])) return false;
    }
    return true;
}

bool isWithinDirectory(const LString& path, const LString& dir) {
    if (!startsWithNoCase(path, dir)) return false;
    return path.length() == dir.length() ||
           (!dir.empty() && isPathSeparator(dir[dir.length() - 1])) ||
           isPathSeparator(path[dir.length()]);
}

}  // namespace wiz
