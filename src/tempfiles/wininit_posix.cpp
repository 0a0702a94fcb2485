// POSIX: WinInit.Ini is edited with plain file calls; there is no Windows directory, so the file
// must be named.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <vector>

#include "platform/handle_posix.h"
#include "tempfiles/wininit.h"

namespace wiz {

LString defaultWininitPath() { return LString(); }

SysStatus editRenameSectionFile(const LString& path, const StringList& lines) {
    if (path.empty()) return SysStatus(ENOENT);
    UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!file.valid()) return lastSystemError();
    off_t end = ::lseek(file.get(), 0, SEEK_END);
    if (end < 0) return lastSystemError();
    if (end > 0x7FFFFFFF) return SysStatus(EFBIG);
    const uint32_t oldSize = static_cast<uint32_t>(end);
    std::vector<char> bytes(oldSize + renameSectionGrowth(lines), '\0');
    for (uint32_t done = 0; done < oldSize;) {
        ssize_t n = ::pread(file.get(), bytes.data() + done, oldSize - done, done);
        if (n <= 0) return n < 0 ? lastSystemError() : SysStatus(EIO);
        done += static_cast<uint32_t>(n);
    }
    const uint32_t newSize = insertRenameLines(bytes.data(), oldSize, lines);
    for (uint32_t done = 0; done < newSize;) {
        ssize_t n = ::pwrite(file.get(), bytes.data() + done, newSize - done, done);
        if (n <= 0) return n < 0 ? lastSystemError() : SysStatus(EIO);
        done += static_cast<uint32_t>(n);
    }
    return ::ftruncate(file.get(), newSize) == 0 ? SysStatus() : lastSystemError();
}

}  // namespace wiz
