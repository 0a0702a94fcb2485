// Child processes on POSIX: the command line is split by the Windows shell rules (never by a
// shell), the program is found before the child changes its directory (as CreateProcess does),
// and posix_spawn starts it. Captured output comes through two non-blocking pipes.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "base/exceptions.h"
#include "launch/capture_loop.h"
#include "launch/child_process.h"
#include "launch/command_line_split.h"
#include "launch/running_children.h"
#include "platform/handle_posix.h"
#include "platform/system_error.h"
#include "services/messages.h"

extern char** environ;

namespace wiz {

namespace {

// Both ends close on exec, so no other child inherits them; posix_spawn's dup2 gives the child
// its own inheritable copy.
int makePipe(UniqueFd& readEnd, UniqueFd& writeEnd) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return errno;
    readEnd.reset(fds[0]);
    writeEnd.reset(fds[1]);
    return 0;
}

// posix_spawn's file actions and attributes, destroyed with their owner.
template <typename T, int (*Init)(T*), int (*Destroy)(T*)>
class SpawnObject {
public:
    SpawnObject() { ok_ = Init(&object_) == 0; }
    ~SpawnObject() {
        if (ok_) Destroy(&object_);
    }
    SpawnObject(const SpawnObject&) = delete;
    SpawnObject& operator=(const SpawnObject&) = delete;
    bool ok() const { return ok_; }
    T* get() { return &object_; }

private:
    T object_;
    bool ok_ = false;
};
using SpawnActions = SpawnObject<posix_spawn_file_actions_t, posix_spawn_file_actions_init,
                                 posix_spawn_file_actions_destroy>;
using SpawnAttributes =
    SpawnObject<posix_spawnattr_t, posix_spawnattr_init, posix_spawnattr_destroy>;

// A started child that is waited for exactly once. If the run ends without waiting (no-wait
// mode, or a failure while reading), a detached thread collects the exit status later so the
// child does not stay behind as a zombie.
class ChildPid {
public:
    explicit ChildPid(pid_t pid) : pid_(pid) {}
    ChildPid(const ChildPid&) = delete;
    ChildPid& operator=(const ChildPid&) = delete;
    ~ChildPid() {
        if (pid_ <= 0) return;
        pid_t pid = pid_;
        try {
            std::thread([pid] {
                int status;
                while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
                }
            }).detach();
        } catch (...) {
            // Without a thread the child's status stays uncollected until the launcher exits.
        }
    }

    pid_t get() const { return pid_; }

    // Waits for the child to end; returns its exit code, 128 + signal for a signalled child.
    // Once collected, the exit code is kept: asking again never waits for another process.
    int wait() {
        if (pid_ <= 0) return exitCode_;
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0) {
            if (errno != EINTR) {
                throwSystemFailure(SystemCall::WaitForProcess, errno);
            }
        }
        collected(status);
        return exitCode_;
    }
    // Collects the child's status if it has ended.
    bool poll(int& exitCode) {
        if (pid_ > 0) {
            int status = 0;
            pid_t r = ::waitpid(pid_, &status, WNOHANG);
            if (r < 0 && errno != EINTR) {
                throwSystemFailure(SystemCall::GetExitCode, errno);
            }
            if (r != pid_) return false;
            collected(status);
        }
        exitCode = exitCode_;
        return true;
    }

private:
    void collected(int status) {
        pid_ = 0;
        if (WIFEXITED(status)) {
            exitCode_ = WEXITSTATUS(status);
        } else if (WIFSIGNALED(status)) {
            exitCode_ = 128 + WTERMSIG(status);
        } else {
            exitCode_ = status;
        }
    }

    pid_t pid_;
    int exitCode_ = 0;
};

bool isExecutableFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

std::string currentDirectory() {
    std::vector<char> buf(4096);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) return ".";
        buf.resize(buf.size() * 2);
    }
    return buf.data();
}

std::string absolute(const std::string& path) {
    if (!path.empty() && path[0] == '/') return path;
    return currentDirectory() + "/" + path;
}

// The program's absolute path: a name with a slash is taken relative to the launcher's current
// directory; a bare name is looked up in PATH. Returns an errno value on failure (EINVAL when the
// command line names no program, as Windows reports it).
int resolveProgram(const std::string& name, std::string& path) {
    if (name.empty()) return EINVAL;
    if (name.find('/') != std::string::npos) {
        path = absolute(name);
        return 0;
    }
    const char* env = ::getenv("PATH");
    std::string list = env ? env : "/usr/bin:/bin";
    int error = ENOENT;
    size_t start = 0;
    for (;;) {
        size_t end = list.find(':', start);
        std::string dir = list.substr(start, end == std::string::npos ? end : end - start);
        std::string candidate = (dir.empty() ? std::string(".") : dir) + "/" + name;
        if (isExecutableFile(candidate)) {
            path = absolute(candidate);
            return 0;
        }
        if (::access(candidate.c_str(), F_OK) == 0) error = EACCES;
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return error;
}

// A started child and the read ends of its pipes (runs that capture). The descriptors are
// non-blocking; a pipe is closed as soon as it is found ended, so that no wait wakes for it
// again.
class PosixChild : public RunningChild {
public:
    PosixChild(pid_t pid, UniqueFd outRead, UniqueFd errRead, bool contained)
        : pid_(pid), contained_(contained), registration_(watchChild(pid, true)) {
        pipes_[0] = std::move(outRead);
        pipes_[1] = std::move(errRead);
        for (UniqueFd& pipe : pipes_) {
            if (pipe.valid()) ::fcntl(pipe.get(), F_SETFL, O_NONBLOCK);
        }
    }

    // A contained child's group is ended once the child has ended but before it is collected:
    // until then the group's id (the child's process id) cannot be given to another process.
    bool hasEnded(int& exitCode) override {
        if (contained_ && pid_.get() > 0 && endedUncollected(WNOHANG)) endAll();
        return pid_.poll(exitCode);
    }
    int waitForEnd() override {
        if (contained_ && pid_.get() > 0 && endedUncollected(0)) endAll();
        return pid_.wait();
    }
    void endAll() override {
        if (contained_ && pid_.get() > 0) ::kill(-pid_.get(), SIGKILL);
    }

    // Polls the open pipes and, where the kernel offers one, a descriptor that becomes readable
    // when the child ends.
    void waitForActivity(unsigned milliseconds) override {
        if (!endWatchTried_ && pid_.get() > 0) {
            endWatchTried_ = true;
            // Called directly: not every C library declares it. A kernel without it (before
            // Linux 5.3) leaves the end to be seen by the next pass.
            endWatch_.reset(static_cast<int>(::syscall(SYS_pidfd_open, pid_.get(), 0)));
        }
        pollfd fds[3];
        nfds_t count = 0;
        for (UniqueFd* fd : {&pipes_[0], &pipes_[1], &endWatch_}) {
            if (fd->valid()) fds[count++] = {fd->get(), POLLIN, 0};
        }
        if (::poll(fds, count, static_cast<int>(milliseconds)) < 0 && errno != EINTR) {
            throwSystemFailure(SystemCall::PeekNamedPipe, errno);
        }
    }

    // The end is seen before the count: once the pipe has hung up nothing more can arrive, so
    // an empty pipe then is an ended one.
    PipeState peek(ChildStream stream) override {
        UniqueFd& pipe = pipeOf(stream);
        PipeState state;
        if (!pipe.valid()) {
            state.ended = true;
            return state;
        }
        pollfd fd = {pipe.get(), POLLIN, 0};
        while (::poll(&fd, 1, 0) < 0) {
            if (errno != EINTR) throwSystemFailure(SystemCall::PeekNamedPipe, errno);
        }
        int available = 0;
        if (::ioctl(pipe.get(), FIONREAD, &available) != 0) {
            throwSystemFailure(SystemCall::PeekNamedPipe, errno);
        }
        if (available > 0) {
            state.available = static_cast<size_t>(available);
        } else if ((fd.revents & (POLLHUP | POLLERR)) != 0) {
            pipe.reset();
            state.ended = true;
        }
        return state;
    }

    size_t read(ChildStream stream, char* buffer, size_t capacity) override {
        UniqueFd& pipe = pipeOf(stream);
        for (;;) {
            const ssize_t n = ::read(pipe.get(), buffer, capacity);
            if (n > 0) return static_cast<size_t>(n);
            if (n == 0) {
                pipe.reset();
                return 0;
            }
            if (errno != EINTR) throwSystemFailure(SystemCall::ReadFile, errno);
        }
    }

private:
    UniqueFd& pipeOf(ChildStream stream) { return pipes_[stream == ChildStream::Output ? 0 : 1]; }

    // Whether the child has ended, leaving it to be collected; `flags` WNOHANG: without waiting.
    bool endedUncollected(int flags) {
        siginfo_t info = {};
        while (::waitid(P_PID, static_cast<id_t>(pid_.get()), &info, WEXITED | WNOWAIT | flags) !=
               0) {
            if (errno != EINTR) return false;
        }
        return info.si_pid == pid_.get();
    }

    ChildPid pid_;
    bool contained_;
    // Declared after pid_, so it goes first: once the runner is done the child is not ended
    // with the run (a child that is not waited for runs on).
    ChildRegistration registration_;
    UniqueFd pipes_[2];
    UniqueFd endWatch_;
    bool endWatchTried_ = false;
};

}  // namespace

std::unique_ptr<RunningChild> startChild(const LString& commandLine, const RunOptions& o) {
    StringList args = splitCommandLine(commandLine);
    std::string program;
    int error = resolveProgram(args.count() > 0 ? args.at(0).str() : std::string(), program);
    if (error != 0) throwSystemFailure(SystemCall::StartProcess, error);

    std::vector<char*> argv;
    for (int i = 0; i < args.count(); ++i) argv.push_back(const_cast<char*>(args.at(i).c_str()));
    argv.push_back(nullptr);

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) throwSystemFailure(SystemCall::StartProcess, ENOMEM);

    UniqueFd outRead, outWrite, errRead, errWrite;
    if (o.capture) {
        if ((error = makePipe(outRead, outWrite)) != 0 ||
            (error = makePipe(errRead, errWrite)) != 0) {
            throwSystemFailure(SystemCall::None, error);
        }
        posix_spawn_file_actions_adddup2(actions.get(), outWrite.get(), STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(actions.get(), errWrite.get(), STDERR_FILENO);
    } else if (!o.showConsole) {
        // A child without a console of its own reads and writes nothing.
        posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(actions.get(), STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(actions.get(), STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (!o.workingDirectory.empty()) {
        posix_spawn_file_actions_addchdir_np(actions.get(), o.workingDirectory.c_str());
    }

    // The child starts with default signal handling and nothing blocked, whatever the launcher
    // itself has set up; a console of its own becomes a session of its own.
    sigset_t empty, defaults;
    sigemptyset(&empty);
    sigemptyset(&defaults);
    for (int sig : {SIGPIPE, SIGINT, SIGQUIT, SIGTERM, SIGHUP, SIGCHLD}) sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(attributes.get(), &empty);
    posix_spawnattr_setsigdefault(attributes.get(), &defaults);
    short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
    if (o.newConsole && o.showConsole) flags |= POSIX_SPAWN_SETSID;
    // A contained child leads a process group of its own, which its descendants join.
    const bool contained = o.capture && o.contain;
    if (contained) {
        posix_spawnattr_setpgroup(attributes.get(), 0);
        flags |= POSIX_SPAWN_SETPGROUP;
    }
    posix_spawnattr_setflags(attributes.get(), flags);

    pid_t pid = 0;
    error =
        ::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) throwSystemFailure(SystemCall::StartProcess, error);
    // The launcher's copies of the write ends go at once (when the holders do), so the pipes
    // end with the child.
    return std::make_unique<PosixChild>(pid, std::move(outRead), std::move(errRead), contained);
}

}  // namespace wiz
