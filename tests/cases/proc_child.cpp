// wizchild: the child program of the process tests. Its first argument selects what it does:
//   (none)                  exit 0 at once
//   exit N                  exit with code N
//   write OUT ERR [CODE]    write OUT bytes to stdout and ERR to stderr in alternating chunks
//   args A B ...            print each argument as <A><B>...
//   cwd                     print the current directory
//   env NAME                print the variable's value, or "(unset)"
//   nul                     print "a", a zero byte and "b"
//   handshake GO DONE       wait for file GO to exist, then create file DONE (exit 1 if GO never
//                           comes within 30 s)
//   spawn MODE GO           print "spawned", start "MODE GO" in the background sharing stdout
//                           and stderr, wait until it has started (file GO.started), exit 0
//                           (exit 1 if it does not start within 30 s)
//   late GO                 create GO.started, wait for file GO (at most 20 s), create GO.late,
//                           print "late"
//   spew GO                 write to stdout without end until file GO exists or a write fails
//                           (GO.started after the first write); after 60 s print "gave up"
//   signal N                raise signal N
#include "cases/proc_child.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "launch/command_line_quote.h"

namespace {

void put(std::FILE* f, const std::string& s) {
    std::fwrite(s.data(), 1, s.size(), f);
    std::fflush(f);
}

bool waitForFile(const std::string& path, int seconds) {
    for (int i = 0; i < seconds * 100; ++i) {
        std::error_code ec;
        if (std::filesystem::exists(path, ec)) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

int writeInterleaved(size_t outBytes, size_t errBytes) {
    const std::string out = wiztest::childPattern('o', outBytes);
    const std::string err = wiztest::childPattern('e', errBytes);
    size_t o = 0, e = 0;
    while (o < out.size() || e < err.size()) {
        size_t n = std::min<size_t>(3000, out.size() - o);
        put(stdout, out.substr(o, n));
        o += n;
        n = std::min<size_t>(500, err.size() - e);
        put(stderr, err.substr(e, n));
        e += n;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    const std::string mode = argv[1];
    auto arg = [&](int i) { return i < argc ? std::string(argv[i]) : std::string(); };

    if (mode == "exit") return std::atoi(arg(2).c_str());
    if (mode == "write") {
        writeInterleaved(std::strtoul(arg(2).c_str(), nullptr, 10),
                         std::strtoul(arg(3).c_str(), nullptr, 10));
        return std::atoi(arg(4).c_str());
    }
    if (mode == "args") {
        for (int i = 2; i < argc; ++i) put(stdout, "<" + std::string(argv[i]) + ">");
        return 0;
    }
    if (mode == "cwd") {
        put(stdout, std::filesystem::current_path().string());
        return 0;
    }
    if (mode == "env") {
        const char* v = std::getenv(arg(2).c_str());
        put(stdout, v ? v : "(unset)");
        return 0;
    }
    if (mode == "nul") {
        std::fwrite("a\0b", 1, 3, stdout);
        return 0;
    }
    if (mode == "handshake") {
        if (!waitForFile(arg(2), 30)) return 1;
        std::ofstream(arg(3)) << "done";
        return 0;
    }
    if (mode == "spawn") {
        put(stdout, "spawned");
        wiz::LString command = wiz::quoteArgument(argv[0]);
        wiz::appendQuotedArgument(command, arg(2).c_str());
        wiz::appendQuotedArgument(command, arg(3).c_str());
        if (!wiztest::startInBackground(command.str())) return 2;
        return waitForFile(arg(3) + ".started", 30) ? 0 : 1;
    }
    if (mode == "late") {
        std::ofstream(arg(2) + ".started") << "late";
        waitForFile(arg(2), 20);
        std::ofstream(arg(2) + ".late") << "late";
        put(stdout, "late");
        return 0;
    }
    if (mode == "spew") {
        const std::string chunk(512, 's');
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        std::error_code ec;
        while (!std::filesystem::exists(arg(2), ec)) {
            if (std::chrono::steady_clock::now() > giveUp) {
                put(stdout, "gave up");
                return 1;
            }
            if (std::fwrite(chunk.data(), 1, chunk.size(), stdout) != chunk.size() ||
                std::fflush(stdout) != 0) {
                return 0;
            }
            if (!std::filesystem::exists(arg(2) + ".started", ec)) {
                std::ofstream(arg(2) + ".started") << "spew";
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return 0;
    }
    if (mode == "signal") {
        std::raise(std::atoi(arg(2).c_str()));
        return 0;
    }
    put(stderr, "wizchild: unknown mode " + mode + "\n");
    return 2;
}
