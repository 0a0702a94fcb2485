// Plain child processes on POSIX: posix_spawnp, then wait4 for the exit status and the child's
// resource usage. Captured output comes through two pipes read with poll until both end.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

#include "bench_process.h"
#include "launch/command_line_split.h"

extern char** environ;

namespace wizbench {

Command makeCommand(const std::string& line, Output output, const std::string& workingDirectory) {
    Command command;
    command.line = line;
    command.output = output;
    command.workingDirectory = workingDirectory;
    wiz::StringList args = wiz::splitCommandLine(wiz::LString(line));
    for (int32_t i = 0; i < args.count(); ++i) command.argv.push_back(args.at(i).str());
    return command;
}

Finished runPlain(const Command& command) {
    std::vector<char*> argv;
    for (const std::string& a : command.argv) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    if (argv.size() < 2) throw std::runtime_error("empty command line");

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    int out[2] = {-1, -1}, err[2] = {-1, -1};
    if (command.output == Output::Capture) {
        if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    } else {
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    }
    if (!command.workingDirectory.empty())
        posix_spawn_file_actions_addchdir_np(&actions, command.workingDirectory.c_str());

    pid_t pid = 0;
    int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (out[1] >= 0) ::close(out[1]);
    if (err[1] >= 0) ::close(err[1]);
    if (error != 0) {
        if (out[0] >= 0) ::close(out[0]);
        if (err[0] >= 0) ::close(err[0]);
        throw std::runtime_error("cannot start " + command.argv[0] + ": " + std::strerror(error));
    }

    Finished finished;
    if (command.output == Output::Capture) {
        std::string errText;
        pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
        std::string* texts[2] = {&finished.output, &errText};
        int open = 2;
        while (open > 0) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                throw std::runtime_error(std::string("poll: ") + std::strerror(errno));
            }
            for (int i = 0; i < 2; ++i) {
                if (fds[i].fd < 0 || fds[i].revents == 0) continue;
                char chunk[4096];
                ssize_t n = ::read(fds[i].fd, chunk, sizeof chunk);
                if (n > 0) {
                    texts[i]->append(chunk, static_cast<size_t>(n));
                } else if (n == 0 || errno != EINTR) {
                    ::close(fds[i].fd);
                    fds[i].fd = -1;
                    --open;
                }
            }
        }
        finished.output += errText;
    }

    int status = 0;
    rusage usage = {};
    while (::wait4(pid, &status, 0, &usage) < 0) {
        if (errno != EINTR) throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    }
    finished.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    finished.peakRssKb = usage.ru_maxrss;
    return finished;
}

double seconds() {
    timespec t;
    ::clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

std::string selfPath() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) throw std::runtime_error("cannot tell this program's path");
    return std::string(buffer, static_cast<size_t>(n));
}

void removeFileIfAny(const std::string& path) { ::unlink(path.c_str()); }

}  // namespace wizbench
