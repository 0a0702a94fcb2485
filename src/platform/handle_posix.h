// Owning holders for POSIX descriptors: each closes what it holds when released or destroyed, so
// no error path has to close one by hand.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <memory>

namespace wiz {

// A file descriptor; -1 holds nothing.
class UniqueFd {
public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Closes the current descriptor (if any) and takes ownership of `fd`.
    void reset(int fd = -1) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = fd;
    }
    // Gives up ownership without closing.
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_ = -1;
};

// A directory stream from opendir or fdopendir.
struct DirectoryStreamCloser {
    void operator()(DIR* dir) const {
        if (dir) ::closedir(dir);
    }
};
using UniqueDir = std::unique_ptr<DIR, DirectoryStreamCloser>;

}  // namespace wiz
