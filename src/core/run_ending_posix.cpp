// POSIX: SIGINT, SIGTERM, SIGHUP and SIGQUIT are written into a pipe by the handler (the only
// thing a handler may safely do) and read by a thread that ends the run. A signal the terminal
// sent to the whole process group reached a child in that group already; any other one is
// passed on. The exit code is 128 + the signal's number, as shells report a signal.
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <thread>

#include "core/run_ending.h"
#include "platform/handle_posix.h"

namespace wiz {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};

// What the handler writes: small enough to be written and read whole.
struct SignalNote {
    int signal;  // 0 stops the watching thread
    int code;    // si_code: SI_KERNEL when the terminal sent it
};

int writeEnd = -1;

void onSignal(int signal, siginfo_t* info, void*) {
    const int saved = errno;
    const SignalNote note = {signal, info ? info->si_code : 0};
    if (writeEnd >= 0) (void)!::write(writeEnd, &note, sizeof note);
    errno = saved;
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "SIGQUIT";
    }
}

}  // namespace

struct RunEndingWatch::Impl {
    UniqueFd readFd, writeFd;
    struct sigaction previous[sizeof kSignals / sizeof kSignals[0]];
    std::thread watcher;
};

RunEndingWatch::RunEndingWatch(bool /*windowed*/) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    impl_.reset(new Impl);
    impl_->readFd.reset(fds[0]);
    impl_->writeFd.reset(fds[1]);
    ::fcntl(fds[1], F_SETFL, O_NONBLOCK);
    writeEnd = fds[1];
    try {
        const int readFd = fds[0];
        impl_->watcher = std::thread([readFd] {
            for (;;) {
                SignalNote note;
                const ssize_t n = ::read(readFd, &note, sizeof note);
                if (n < 0 && errno == EINTR) continue;
                if (n != static_cast<ssize_t>(sizeof note) || note.signal == 0) return;
                RunEnding ending;
                ending.event = signalName(note.signal);
                ending.children.signal = note.signal;
                ending.children.sentToGroup = note.code == SI_KERNEL;
                ending.exitCode = 128 + note.signal;
                endRun(ending);
            }
        });
    } catch (...) {
        writeEnd = -1;
        impl_.reset();
        return;
    }
    struct sigaction action = {};
    action.sa_sigaction = onSignal;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    int i = 0;
    for (int signal : kSignals) ::sigaction(signal, &action, &impl_->previous[i++]);
}

RunEndingWatch::~RunEndingWatch() {
    if (!impl_) return;
    int i = 0;
    for (int signal : kSignals) ::sigaction(signal, &impl_->previous[i++], nullptr);
    const SignalNote stop = {0, 0};
    (void)!::write(impl_->writeFd.get(), &stop, sizeof stop);
    impl_->watcher.join();
    writeEnd = -1;
}

}  // namespace wiz
