// wizbench_child: the trivial child and the runner side of bench/child_overhead.sh.
//   wizbench_child                         exit 0 at once (the trivial child)
//   wizbench_child run N capture|plain CMD run CMD N times through runCommand, captured or
//                                          not, and print the seconds per run
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/exceptions.h"
#include "launch/child_process.h"
#include "runtime/host.h"

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    if (argc != 5 || std::strcmp(argv[1], "run") != 0) {
        std::fputs("usage: wizbench_child [run N capture|plain COMMAND]\n", stderr);
        return 2;
    }
    const int runs = std::atoi(argv[2]);
    const bool capture = std::strcmp(argv[3], "capture") == 0;
    const wiz::LString command(argv[4]);
    wiz::setSilent(true);  // no host: progress steps go nowhere

    auto start = std::chrono::steady_clock::now();
    try {
        for (int i = 0; i < runs; ++i) {
            wiz::LString out, err;
            wiz::RunOptions options;
            options.capture = capture;
            options.stdoutBuffer = &out;
            options.stderrBuffer = &err;
            int code = wiz::runCommand(command, options);
            if (code != 0) {
                std::fprintf(stderr, "child exited with %d\n", code);
                return 1;
            }
        }
    } catch (const wiz::LauncherException& e) {
        std::fprintf(stderr, "%s\n", e.message().c_str());
        return 1;
    }
    std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    std::printf("%.6f\n", runs > 0 ? elapsed.count() / runs : 0.0);
    return 0;
}
