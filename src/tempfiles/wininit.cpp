#include "tempfiles/wininit.h"

#include <cstring>

#include "platform/fs.h"

namespace wiz {

namespace {

const char kSectionHeader[] = "[Rename]";
constexpr uint32_t kHeaderLength = sizeof kSectionHeader - 1;

// Position of the first "[Rename]" in the first `size` bytes (the file may hold NUL bytes, so
// this is no C string search); `size` when there is none.
uint32_t findHeader(const char* buffer, uint32_t size) {
    if (size < kHeaderLength) return size;
    for (uint32_t i = 0; i + kHeaderLength <= size; ++i) {
        if (std::memcmp(buffer + i, kSectionHeader, kHeaderLength) == 0) return i;
    }
    return size;
}

}  // namespace

void WininitRenameList::addPath(const LString& path) {
    lines.append(LString("NUL=") + shortPathName(path));
}

SysStatus WininitRenameList::writeRenameSection(const LString& iniPath) {
    if (lines.count() == 0) return SysStatus();
    const SysStatus written =
        editRenameSectionFile(iniPath.empty() ? defaultWininitPath() : iniPath, lines);
    if (written.ok()) lines.clear();
    return written;
}

uint32_t renameSectionGrowth(const StringList& lines) {
    uint32_t needed = 0;
    for (int32_t i = 0; i < lines.count(); ++i) needed += lines.at(i).length() + 1;
    return needed + kHeaderLength + 2;
}

uint32_t insertRenameLines(char* buffer, uint32_t oldSize, const StringList& lines) {
    uint32_t size = oldSize;
    uint32_t insertAt;
    uint32_t header = findHeader(buffer, oldSize);
    if (header == oldSize) {
        std::memcpy(buffer + size, kSectionHeader, kHeaderLength);
        size += kHeaderLength;
        buffer[size++] = '\n';
        insertAt = size;
    } else {
        uint32_t afterHeader = header + kHeaderLength;
        const void* lf = std::memchr(buffer + afterHeader, '\n', oldSize - afterHeader);
        if (lf) {
            insertAt = static_cast<uint32_t>(static_cast<const char*>(lf) - buffer) + 1;
        } else {
            // The header ends the file without a line feed: give it one.
            insertAt = afterHeader;
            std::memmove(buffer + insertAt + 1, buffer + insertAt, size - insertAt);
            buffer[insertAt++] = '\n';
            ++size;
        }
    }
    uint32_t added = 0;
    for (int32_t i = 0; i < lines.count(); ++i) added += lines.at(i).length() + 1;
    std::memmove(buffer + insertAt + added, buffer + insertAt, size - insertAt);
    for (int32_t i = 0; i < lines.count(); ++i) {
        const LString& line = lines.at(i);
        std::memcpy(buffer + insertAt, line.c_str(), line.length());
        insertAt += line.length();
        buffer[insertAt++] = '\n';
    }
    return size + added;
}

}  // namespace wiz
