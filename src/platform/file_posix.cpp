#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/file_at_posix.h"
#include "platform/handle_posix.h"

namespace wiz {

namespace {

// Opens the entry `name` of the directory `directoryFd` itself for writing: O_NOFOLLOW fails on
// a link (ELOOP) and O_NONBLOCK keeps a FIFO from waiting for a reader. Only a regular file with
// one name is kept; nothing has been changed in it yet.
UniqueFd openPlainForWriting(int directoryFd, const LString& name, int flags, bool& isLink,
                             uint32_t& error) {
    isLink = false;
    error = 0;
    UniqueFd fd(::openat(directoryFd, name.c_str(),
                         O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | flags, 0666));
    if (!fd.valid()) {
        // ENXIO: a FIFO without a reader.
        isLink = errno == ELOOP || errno == ENXIO;
        error = static_cast<uint32_t>(errno);
        return UniqueFd();
    }
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) {
        error = static_cast<uint32_t>(errno);
        return UniqueFd();
    }
    if (!S_ISREG(st.st_mode) || st.st_nlink != 1) {
        isLink = true;
        return UniqueFd();
    }
    // Writes wait as usual again.
    ::fcntl(fd.get(), F_SETFL, ::fcntl(fd.get(), F_GETFL) & ~O_NONBLOCK);
    return fd;
}

}  // namespace

FilePtr createFileAt(int directoryFd, const LString& name, bool text, bool mustBeNew, bool& isLink,
                     uint32_t& error) {
    UniqueFd fd = openPlainForWriting(directoryFd, name, mustBeNew ? O_EXCL : 0, isLink, error);
    if (!fd.valid()) return nullptr;
    if (::ftruncate(fd.get(), 0) != 0) {
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

FilePtr createFileNoLink(const LString& path, bool text, bool& isLink, uint32_t& error) {
    return createFileAt(AT_FDCWD, path, text, false, isLink, error);
}

FilePtr appendFileNoLink(const LString& path, bool& isLink) {
    uint32_t error = 0;
    UniqueFd fd = openPlainForWriting(AT_FDCWD, path, O_APPEND, isLink, error);
    if (!fd.valid()) return nullptr;
    FilePtr file(::fdopen(fd.get(), "a"));
    if (file) fd.release();
    return file;
}

}  // namespace wiz
