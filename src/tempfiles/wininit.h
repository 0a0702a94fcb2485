// The "[Rename]" section of WinInit.Ini, which a Windows 9x system processes at its next start:
// a line "NUL=<path>" there deletes that file or empty directory.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/system_error.h"

namespace wiz {

class WininitRenameList {
public:
    // Appends "NUL=" + the short (8.3) form of path (the path itself when it has none).
    void addPath(const LString& path);
    // Inserts the lines into the "[Rename]" section of `iniPath` (by default WinInit.Ini in the
    // Windows directory), creating the file or the section when missing. On success the lines
    // are cleared.
    SysStatus writeRenameSection(const LString& iniPath = LString());

    StringList lines;
};

// Bytes the lines add to the file at most: each line with its line feed, a new section header
// line and one separating line feed.
uint32_t renameSectionGrowth(const StringList& lines);

// Inserts the lines into the "[Rename]" section of a WinInit.Ini held in `buffer`: its first
// `oldSize` bytes are the file, and it has room for oldSize + renameSectionGrowth(lines) bytes.
// A missing section is appended at the end; otherwise the lines go directly after the header
// line, before the section's older lines. Returns the new size.
uint32_t insertRenameLines(char* buffer, uint32_t oldSize, const StringList& lines);

// The platform part: WinInit.Ini in the Windows directory, and the edit of the file in place
// (a writable file mapping on Windows).
LString defaultWininitPath();
SysStatus editRenameSectionFile(const LString& path, const StringList& lines);

}  // namespace wiz
