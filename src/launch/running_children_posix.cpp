// Watching a child on POSIX: a process descriptor (pidfd) where the kernel has one, so that
// neither a signal nor a wait can reach another process that later gets the same id; the
// process id otherwise, and then only until the runner has collected the child.
#include <errno.h>
#include <poll.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "launch/running_children.h"
#include "platform/handle_posix.h"

namespace wiz {

namespace {

class PosixChildWatch : public ChildWatch {
public:
    explicit PosixChildWatch(pid_t pid)
        : pid_(pid), ownGroup_(::getpgid(pid) == pid), sharesGroup_(::getpgid(pid) == ::getpgrp()) {
        // Called directly: not every C library declares them.
        processFd_.reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    }

    bool sharesEvents() const override { return sharesGroup_; }

    bool passOn(int signal) override {
        send(signal);
        return true;
    }

    bool waitForEnd(unsigned milliseconds) override {
        const auto deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
        for (;;) {
            if (hasEnded()) return true;
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) return false;
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
            if (processFd_.valid()) {
                pollfd fd = {processFd_.get(), POLLIN, 0};
                ::poll(&fd, 1, static_cast<int>(left));
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(left < 20 ? left : 20));
            }
        }
    }

    void endNow() override {
        // The group it leads goes first, while its id is certainly still its group's.
        if (ownGroup_ && !hasEnded()) ::kill(-pid_, SIGKILL);
        send(SIGKILL);
    }

    bool exitCode(int& code) override {
        (void)code;  // the launcher's own exit code says how the run ended
        return hasEnded();
    }

    void collected() override { collected_ = true; }

private:
    // Ended means: the process descriptor says so, or the runner has collected it.
    bool hasEnded() {
        if (collected_) return true;
        if (!processFd_.valid()) return false;
        pollfd fd = {processFd_.get(), POLLIN, 0};
        return ::poll(&fd, 1, 0) > 0;
    }

    void send(int signal) {
        if (processFd_.valid()) {
            ::syscall(SYS_pidfd_send_signal, processFd_.get(), signal, nullptr, 0);
        } else if (!collected_) {
            ::kill(pid_, signal);
        }
    }

    pid_t pid_;
    bool ownGroup_;
    bool sharesGroup_;
    UniqueFd processFd_;
    std::atomic<bool> collected_{false};
};

}  // namespace

std::unique_ptr<ChildWatch> watchChild(intptr_t process, bool /*sharesConsole*/) {
    return std::make_unique<PosixChildWatch>(static_cast<pid_t>(process));
}

}  // namespace wiz
