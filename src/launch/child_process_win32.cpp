// Child processes on Windows: CreateProcessA, with standard output and standard error captured
// through two anonymous pipes that are read only when PeekNamedPipe reports data.
#include <algorithm>
#include <vector>

#include "launch/child_process.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"
#include "services/messages.h"

namespace wiz {

namespace {

// While both pipes are quiet the runner waits on the process handle, which returns the moment
// the child ends, for a time that doubles up to kMaxPollWaitMs. The first wait lasts about as
// long as a child takes to start, before which it cannot have written anything: shorter ones
// only wake the runner for nothing (under Wine each wake-up costs a few server calls, about 5%
// of a short child's run). Once output has come, the waits start again at 1 ms, so a child
// that keeps writing is read promptly.
constexpr DWORD kFirstPollWaitMs = 10;
constexpr DWORD kPollWaitAfterOutputMs = 1;
constexpr DWORD kMaxPollWaitMs = 100;

DWORD creationFlags(bool showConsole, bool newConsole) {
    if (!showConsole) return CREATE_NO_WINDOW | DETACHED_PROCESS;
    return newConsole ? CREATE_NEW_CONSOLE : 0;
}

// CreateProcessA may write into the command line, so it gets a copy.
class CommandLineCopy {
public:
    explicit CommandLineCopy(const LString& text)
        : chars_(text.c_str(), text.c_str() + text.length() + 1) {}
    char* get() { return chars_.data(); }

private:
    std::vector<char> chars_;
};

struct StartedProcess {
    HandleHolder process;
    HandleHolder thread;
};

StartedProcess createProcess(const LString& commandLine, const LString& workingDirectory,
                             SECURITY_ATTRIBUTES* attributes, BOOL inheritHandles, DWORD flags,
                             STARTUPINFOA& startup) {
    // Without an application name the command line names the program. Some systems fault on
    // a null one instead of failing, so an empty command line is refused here.
    if (commandLine.empty()) throwSystemFailure(SystemCall::StartProcess, ERROR_INVALID_PARAMETER);
    CommandLineCopy line(commandLine);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.get(), attributes, attributes, inheritHandles, flags, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &info)) {
        throwSystemFailure(SystemCall::StartProcess, GetLastError());
    }
    StartedProcess started;
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    return started;
}

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        throwSystemFailure(SystemCall::GetExitCode, GetLastError());
    }
    return static_cast<int>(code);
}

// One captured stream: the read end of its pipe and its capture.
struct CapturedStream {
    explicit CapturedStream(LString* buffer) : capture(buffer) {}
    HandleHolder readEnd;
    OutputCapture capture;
};

// Reads one chunk if the pipe has data; returns the number of bytes read. A broken pipe is the
// normal end of the stream.
DWORD readAvailable(CapturedStream& stream) {
    if (stream.capture.isEnded()) return 0;
    DWORD available = 0;
    if (!PeekNamedPipe(stream.readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) {
        DWORD error = GetLastError();
        if (error != ERROR_BROKEN_PIPE) throwSystemFailure(SystemCall::PeekNamedPipe, error);
        stream.capture.ended();
        return 0;
    }
    if (available == 0) return 0;
    char chunk[OutputCapture::kChunkSize];
    DWORD got = 0;
    if (!ReadFile(stream.readEnd.get(), chunk, sizeof chunk, &got, nullptr)) {
        DWORD error = GetLastError();
        if (error != ERROR_BROKEN_PIPE) throwSystemFailure(SystemCall::ReadFile, error);
        stream.capture.ended();
        return 0;
    }
    stream.capture.received(chunk, got);
    return got;
}

// Only the child gets the write end; the read end stays with the launcher.
void createCapturePipe(CapturedStream& stream, HandleHolder& writeEnd,
                       SECURITY_ATTRIBUTES& attributes) {
    if (!CreatePipe(stream.readEnd.receive(), writeEnd.receive(), &attributes, 0)) {
        throwSystemFailure(SystemCall::None, GetLastError());
    }
    // Not available on the 9x family; there the child merely holds an unused copy.
    SetHandleInformation(stream.readEnd.get(), HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

int ChildProcess::runProcess() {
    const RunOptions& o = options_;
    const DWORD flags = creationFlags(o.showConsole, o.newConsole);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;

    if (!o.capture) {
        StartedProcess child =
            createProcess(commandLine_, o.workingDirectory, nullptr, FALSE, flags, startup);
        if (!o.wait) return 0;
        if (WaitForSingleObject(child.process.get(), INFINITE) == WAIT_FAILED) {
            throwSystemFailure(SystemCall::WaitForProcess, GetLastError());
        }
        return exitCodeOf(child.process.get());
    }

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    CapturedStream out(o.stdoutBuffer), err(o.stderrBuffer);
    HandleHolder outWrite, errWrite;
    createCapturePipe(out, outWrite, attributes);
    createCapturePipe(err, errWrite, attributes);

    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    StartedProcess child =
        createProcess(commandLine_, o.workingDirectory, &attributes, TRUE, flags, startup);

    // The launcher's copies of the write ends go at once, so the pipes break with the child.
    outWrite.reset();
    errWrite.reset();

    // Read while output flows. When both pipes are quiet, wait on the process handle for a
    // while (see kFirstPollWaitMs), so the end of the child is seen at once - whatever its exit
    // code, 259 included. After the end, read what is left until both pipes are empty or
    // broken; a pipe that still has a writer then belongs to a descendant that inherited it.
    bool exited = false;
    DWORD waitMs = kFirstPollWaitMs;
    for (;;) {
        DWORD got = readAvailable(out);
        got += readAvailable(err);
        if (got != 0) {
            waitMs = kPollWaitAfterOutputMs;
            continue;
        }
        if (exited) break;
        DWORD wait = out.capture.isEnded() && err.capture.isEnded() ? INFINITE : waitMs;
        DWORD result = WaitForSingleObject(child.process.get(), wait);
        if (result == WAIT_FAILED) {
            throwSystemFailure(SystemCall::WaitForProcess, GetLastError());
        }
        if (result == WAIT_OBJECT_0) exited = true;
        waitMs = std::min(waitMs * 2, kMaxPollWaitMs);
    }
    return exitCodeOf(child.process.get());
}

}  // namespace wiz
