#include <errno.h>
#include <fcntl.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/handle_posix.h"

namespace wiz {

FilePtr createFileNoLink(const LString& path, bool text, bool& isLink, uint32_t& error) {
    isLink = false;
    error = 0;
    // O_NOFOLLOW: a link at the path fails with ELOOP instead of being followed.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (!fd.valid()) {
        isLink = errno == ELOOP;
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    FilePtr file(::fdopen(fd.get(), text ? "w" : "wb"));
    if (!file) {
        error = static_cast<uint32_t>(errno);
        return nullptr;
    }
    fd.release();
    return file;
}

}  // namespace wiz
