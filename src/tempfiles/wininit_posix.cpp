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

uint32_t editRenameSectionFile(const LString& path, const StringList& lines) {
    if (path.empty()) return ENOENT;
    UniqueFd file(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!file.valid()) return static_cast<uint32_t>(errno);
    off_t end = ::lseek(file.get(), 0, SEEK_END);
    if (end < 0 || end > 0x7FFFFFFF) return end < 0 ? static_cast<uint32_t>(errno) : EFBIG;
    const uint32_t oldSize = static_cast<uint32_t>(end);
    std::vector<char> bytes(oldSize + renameSectionGrowth(lines), '\0');
    for (uint32_t done = 0; done < oldSize;) {
        ssize_t n = ::pread(file.get(), bytes.data() + done, oldSize - done, done);
        if (n <= 0) return n < 0 ? static_cast<uint32_t>(errno) : EIO;
        done += static_cast<uint32_t>(n);
    }
    const uint32_t newSize = insertRenameLines(bytes.data(), oldSize, lines);
    for (uint32_t done = 0; done < newSize;) {
        ssize_t n = ::pwrite(file.get(), bytes.data() + done, newSize - done, done);
        if (n <= 0) return n < 0 ? static_cast<uint32_t>(errno) : EIO;
        done += static_cast<uint32_t>(n);
    }
    return ::ftruncate(file.get(), newSize) == 0 ? 0 : static_cast<uint32_t>(errno);
}

}  // namespace wiz
