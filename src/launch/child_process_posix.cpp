// Child processes on POSIX: the command line is split by the Windows shell rules (never by a
// shell), the program is found before the child changes its directory (as CreateProcess does),
// and posix_spawn starts it. Captured output is read from two pipes with poll.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "launch/command_line_split.h"
#include "platform/handle_posix.h"
#include "platform/system_error.h"
#include "services/messages.h"

extern char** environ;

namespace wiz {

namespace {

constexpr int kPollTimeoutMs = 100;

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

    // Waits for the child to end; returns its exit code, 128 + signal for a signalled child.
    int wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0) {
            if (errno != EINTR) {
                throwSystemFailure(SystemCall::WaitForProcess, errno);
            }
        }
        pid_ = 0;
        return exitCodeOf(status);
    }
    // Collects the child's status if it has ended.
    bool poll(int& exitCode) {
        int status = 0;
        pid_t r = ::waitpid(pid_, &status, WNOHANG);
        if (r < 0 && errno != EINTR) {
            throwSystemFailure(SystemCall::GetExitCode, errno);
        }
        if (r != pid_) return false;
        pid_ = 0;
        exitCode = exitCodeOf(status);
        return true;
    }

private:
    static int exitCodeOf(int status) {
        if (WIFEXITED(status)) return WEXITSTATUS(status);
        if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
        return status;
    }

    pid_t pid_;
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

// One captured stream: the read end of its pipe and its capture.
struct CapturedStream {
    explicit CapturedStream(LString* buffer) : capture(buffer) {}
    UniqueFd readEnd;
    OutputCapture capture;
};

// Reads one chunk; at the end of the stream the descriptor is closed.
void readChunk(CapturedStream& stream) {
    char chunk[OutputCapture::kChunkSize];
    ssize_t n = ::read(stream.readEnd.get(), chunk, sizeof chunk);
    if (n > 0) {
        stream.capture.received(chunk, static_cast<size_t>(n));
        return;
    }
    if (n == 0) {
        stream.readEnd.reset();
        stream.capture.ended();
        return;
    }
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) return;
    throwSystemFailure(SystemCall::ReadFile, errno);
}

}  // namespace

int ChildProcess::runProcess() {
    const RunOptions& o = options_;
    StringList args = splitCommandLine(commandLine_);
    std::string program;
    int error = resolveProgram(args.count() > 0 ? args.at(0).str() : std::string(), program);
    if (error != 0) throwSystemFailure(SystemCall::StartProcess, error);

    std::vector<char*> argv;
    for (int i = 0; i < args.count(); ++i) argv.push_back(const_cast<char*>(args.at(i).c_str()));
    argv.push_back(nullptr);

    SpawnActions actions;
    SpawnAttributes attributes;
    if (!actions.ok() || !attributes.ok()) throwSystemFailure(SystemCall::StartProcess, ENOMEM);

    CapturedStream out(o.stdoutBuffer), err(o.stderrBuffer);
    UniqueFd outWrite, errWrite;
    if (o.capture) {
        if ((error = makePipe(out.readEnd, outWrite)) != 0 ||
            (error = makePipe(err.readEnd, errWrite)) != 0) {
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
    posix_spawnattr_setflags(attributes.get(), flags);

    pid_t pid = 0;
    error =
        ::posix_spawn(&pid, program.c_str(), actions.get(), attributes.get(), argv.data(), environ);
    if (error != 0) throwSystemFailure(SystemCall::StartProcess, error);
    ChildPid child(pid);

    if (!o.capture) {
        if (!o.wait) return 0;
        return child.wait();
    }

    // The launcher's copies of the write ends go at once, so the pipes end with the child.
    outWrite.reset();
    errWrite.reset();
    ::fcntl(out.readEnd.get(), F_SETFL, O_NONBLOCK);
    ::fcntl(err.readEnd.get(), F_SETFL, O_NONBLOCK);

    // Read whatever arrives; while the pipes are quiet, check for the child's end every 100 ms.
    // Once it has ended, read what is left without waiting: a pipe that stays open after that
    // belongs to a descendant that inherited it.
    bool exited = false;
    int exitCode = 0;
    CapturedStream* streams[2] = {&out, &err};
    for (;;) {
        pollfd fds[2];
        CapturedStream* polled[2];
        nfds_t count = 0;
        for (CapturedStream* s : streams) {
            if (!s->readEnd.valid()) continue;
            fds[count] = {s->readEnd.get(), POLLIN, 0};
            polled[count++] = s;
        }
        if (count == 0) break;
        int ready = ::poll(fds, count, exited ? 0 : kPollTimeoutMs);
        if (ready < 0) {
            if (errno == EINTR) continue;
            throwSystemFailure(SystemCall::PeekNamedPipe, errno);
        }
        if (ready == 0) {
            if (exited) break;
            exited = child.poll(exitCode);
            continue;
        }
        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents != 0) readChunk(*polled[i]);
        }
    }
    if (!exited) exitCode = child.wait();
    return exitCode;
}

}  // namespace wiz
