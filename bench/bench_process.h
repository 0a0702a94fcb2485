// Plain process starts for the benchmarks: posix_spawn and wait4 natively, CreateProcess and
// WaitForSingleObject on Windows (bench_process_posix.cpp, bench_process_win32.cpp). They are
// written the way any small program would start a child, without the launcher's runner, so they
// serve as the references the runner is measured against and as the driver that times the
// launcher's own programs and their references alike.
#pragma once

#include <string>
#include <vector>

namespace wizbench {

enum class Output {
    Null,     // no input, output thrown away (the runner's uncaptured, detached mode)
    Capture,  // standard output and error through two pipes, read to their end
};

struct Command {
    std::string line;               // a Windows command line, as the launcher writes its own
    std::vector<std::string> argv;  // POSIX: the line split by the Windows rules
    std::string workingDirectory;   // empty: the current one
    Output output = Output::Null;
};

struct Finished {
    int exitCode = -1;
    std::string output;  // captured standard output, then standard error
    long peakRssKb = 0;  // POSIX: the child's ru_maxrss; 0 where the system does not tell
};

// A command from a Windows command line (split for POSIX once, here, outside any timing).
Command makeCommand(const std::string& line, Output output, const std::string& workingDirectory);

// Starts the command, waits for its end and reads what it wrote when captured. Throws
// std::runtime_error when it cannot be started.
Finished runPlain(const Command& command);

// Seconds on a monotonic clock.
double seconds();

// The path of this program's own file.
std::string selfPath();

// Removes a file if it exists (untimed preparation between runs).
void removeFileIfAny(const std::string& path);

}  // namespace wizbench
