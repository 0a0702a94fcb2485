// POSIX: the mark is locked with flock, which the kernel releases when the last descriptor of the
// process closes, however the process ends. It is written under a temporary name and renamed to
// run.lock only once it is locked, so no other run can find it unlocked before its owner holds it.
#include <errno.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <ctime>

#include "platform/file_at_posix.h"
#include "platform/handle_posix.h"
#include "platform/path.h"
#include "platform/run_mark.h"

namespace wiz {

namespace {

class PosixRunMark : public RunMark {
public:
    explicit PosixRunMark(UniqueFd fd) : fd_(std::move(fd)) {}

private:
    UniqueFd fd_;
};

}  // namespace

SysStatus markRunDirectory(const Directory& directory, std::unique_ptr<RunMark>& mark) {
    const int dirFd = directoryDescriptor(directory);
    if (dirFd < 0) return SysStatus::of(ErrorKind::Other);
    const char fresh[] = "run.lock.new";
    UniqueFd fd(::openat(dirFd, fresh, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd.valid()) return lastSystemError();
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) return lastSystemError();
    char text[96];
    const int n =
        std::snprintf(text, sizeof text, "process %ld, started %lld", static_cast<long>(::getpid()),
                      static_cast<long long>(std::time(nullptr)));
    if (n > 0 && ::write(fd.get(), text, static_cast<size_t>(n)) != n) return lastSystemError();
    if (::renameat(dirFd, fresh, dirFd, kRunMarkName) != 0) return lastSystemError();
    mark.reset(new PosixRunMark(std::move(fd)));
    return SysStatus();
}

MarkOwner runMarkOwner(const LString& directory, LString& owner) {
    const LString path = joinPath(directory, kRunMarkName);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st;
    if (!fd.valid() || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid() || st.st_nlink != 1) {
        return MarkOwner::None;
    }
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return errno == EWOULDBLOCK ? MarkOwner::Alive : MarkOwner::None;
    }
    char text[96];
    const ssize_t n = ::read(fd.get(), text, sizeof text - 1);
    owner = n > 0 ? LString(text, static_cast<LString::size_type>(n)) : LString();
    return MarkOwner::Gone;
}

}  // namespace wiz
