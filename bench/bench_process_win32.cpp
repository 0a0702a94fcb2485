// Plain child processes on Windows: CreateProcessA and WaitForSingleObject. Captured output comes
// through two anonymous pipes, each read with blocking ReadFile calls until it breaks - enough
// for children that write little to standard error, as every benchmarked one does.
#include <windows.h>

#include <stdexcept>

#include "bench_process.h"

namespace wizbench {

namespace {

struct Handle {
    HANDLE h = nullptr;
    Handle() = default;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { reset(); }
    void reset() {
        if (h && h != INVALID_HANDLE_VALUE) CloseHandle(h);
        h = nullptr;
    }
};

std::runtime_error failure(const char* call) {
    return std::runtime_error(std::string(call) + " failed with error " +
                              std::to_string(GetLastError()));
}

void readToEnd(HANDLE pipe, std::string& text) {
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(pipe, chunk, sizeof chunk, &got, nullptr) && got > 0) text.append(chunk, got);
}

}  // namespace

Command makeCommand(const std::string& line, Output output, const std::string& workingDirectory) {
    Command command;
    command.line = line;
    command.output = output;
    command.workingDirectory = workingDirectory;
    return command;
}

Finished runPlain(const Command& command) {
    std::string line = command.line;  // CreateProcessA may write into it
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    const char* directory =
        command.workingDirectory.empty() ? nullptr : command.workingDirectory.c_str();
    Handle outRead, outWrite, errRead, errWrite;
    BOOL started;
    if (command.output == Output::Capture) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        if (!CreatePipe(&outRead.h, &outWrite.h, &inherit, 0) ||
            !CreatePipe(&errRead.h, &errWrite.h, &inherit, 0))
            throw failure("CreatePipe");
        SetHandleInformation(outRead.h, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(errRead.h, HANDLE_FLAG_INHERIT, 0);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = outWrite.h;
        startup.hStdError = errWrite.h;
        started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr, directory, &startup,
                                 &info);
    } else {
        started = CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE,
                                 CREATE_NO_WINDOW | DETACHED_PROCESS, nullptr, directory, &startup,
                                 &info);
    }
    if (!started) throw failure("CreateProcess");
    Handle process, thread;
    process.h = info.hProcess;
    thread.h = info.hThread;

    Finished finished;
    if (command.output == Output::Capture) {
        outWrite.reset();
        errWrite.reset();
        std::string errText;
        readToEnd(outRead.h, finished.output);
        readToEnd(errRead.h, errText);
        finished.output += errText;
    }
    if (WaitForSingleObject(process.h, INFINITE) != WAIT_OBJECT_0) throw failure("Wait");
    DWORD code = 0;
    if (!GetExitCodeProcess(process.h, &code)) throw failure("GetExitCodeProcess");
    finished.exitCode = static_cast<int>(code);
    return finished;
}

double seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

std::string selfPath() {
    char buffer[MAX_PATH + 1];
    DWORD n = GetModuleFileNameA(nullptr, buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) throw failure("GetModuleFileName");
    return std::string(buffer, n);
}

void removeFileIfAny(const std::string& path) { DeleteFileA(path.c_str()); }

}  // namespace wizbench
