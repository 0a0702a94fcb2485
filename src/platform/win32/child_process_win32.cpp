// Child processes on Windows: CreateProcessA, with standard output and standard error captured
// through two anonymous pipes that are read only when PeekNamedPipe reports data.
#include <algorithm>
#include <vector>

#include "base/exceptions.h"
#include "core/host.h"
#include "core/messages.h"
#include "launch/child_process.h"
#include "platform/win32/handle.h"
#include "platform/win32/win32.h"

namespace wiz {

namespace {

constexpr DWORD kReadChunk = 4096;
constexpr DWORD kMaxPollWaitMs = 100;

[[noreturn]] void throwSystemError(const char* prefix, DWORD code) {
    throw LauncherException(LString(prefix) + systemErrorString(code));
}

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
    if (commandLine.empty())
        throwSystemError("CreateProcess failed  ==>  ", ERROR_INVALID_PARAMETER);
    CommandLineCopy line(commandLine);
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.get(), attributes, attributes, inheritHandles, flags, nullptr,
                        workingDirectory.empty() ? nullptr : workingDirectory.c_str(), &startup,
                        &info)) {
        throwSystemError("CreateProcess failed  ==>  ", GetLastError());
    }
    StartedProcess started;
    started.process.reset(info.hProcess);
    started.thread.reset(info.hThread);
    return started;
}

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        throwSystemError("CreateProcess unable to get exit code for process ==> ", GetLastError());
    }
    return static_cast<int>(code);
}

// One captured stream: the read end of its pipe and the caller's buffer (null: read and drop,
// so a child that writes a lot can never block on a full pipe).
struct CapturedStream {
    HandleHolder readEnd;
    LString* buffer = nullptr;
    bool ended = false;
};

// Reads one chunk if the pipe has data; returns the number of bytes read. A broken pipe is the
// normal end of the stream.
DWORD readAvailable(CapturedStream& stream) {
    if (stream.ended) return 0;
    DWORD available = 0;
    if (!PeekNamedPipe(stream.readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) {
            stream.ended = true;
            return 0;
        }
        throwSystemError("PeekNamedPipe failed  ==>  ", error);
    }
    if (available == 0) return 0;
    char chunk[kReadChunk];
    DWORD got = 0;
    if (!ReadFile(stream.readEnd.get(), chunk, kReadChunk, &got, nullptr)) {
        DWORD error = GetLastError();
        if (error == ERROR_BROKEN_PIPE) {
            stream.ended = true;
            uiStepProgress(1);
            return 0;
        }
        throwSystemError("ReadFile failed  ==>  ", error);
    }
    if (stream.buffer) stream.buffer->append(chunk, got);
    uiStepProgress(1);
    return got;
}

// Only the child gets the write end; the read end stays with the launcher.
void createCapturePipe(CapturedStream& stream, HandleHolder& writeEnd,
                       SECURITY_ATTRIBUTES& attributes) {
    if (!CreatePipe(stream.readEnd.receive(), writeEnd.receive(), &attributes, 0)) {
        throw LauncherException(systemErrorString(GetLastError()));
    }
    // Not available on the 9x family; there the child merely holds an unused copy.
    SetHandleInformation(stream.readEnd.get(), HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

int ChildProcess::runProcess(bool showConsole, bool capture, bool newConsole) {
    const DWORD flags = creationFlags(showConsole, newConsole);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;

    if (!capture) {
        StartedProcess child =
            createProcess(commandLine_, workingDirectory_, nullptr, FALSE, flags, startup);
        if (!wait_) return 0;
        if (WaitForSingleObject(child.process.get(), INFINITE) == WAIT_FAILED) {
            throwSystemError("CreateProcess unable to wait for completion ==> ", GetLastError());
        }
        return exitCodeOf(child.process.get());
    }

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    CapturedStream out, err;
    HandleHolder outWrite, errWrite;
    createCapturePipe(out, outWrite, attributes);
    createCapturePipe(err, errWrite, attributes);
    out.buffer = stdout_;
    err.buffer = stderr_;

    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    StartedProcess child =
        createProcess(commandLine_, workingDirectory_, &attributes, TRUE, flags, startup);

    // The launcher's copies of the write ends go at once, so the pipes break with the child.
    outWrite.reset();
    errWrite.reset();

    // Read while output flows. When both pipes are quiet, wait on the process handle for a
    // while (a few milliseconds after output, backing off to 100 ms), so the end of the child is
    // seen at once - whatever its exit code, 259 included. After the end, read what is left
    // until both pipes are empty or broken; a pipe that still has a writer then belongs to a
    // descendant that inherited it.
    bool exited = false;
    DWORD waitMs = 1;
    for (;;) {
        DWORD got = readAvailable(out);
        got += readAvailable(err);
        if (got != 0) {
            waitMs = 1;
            continue;
        }
        if (exited) break;
        DWORD wait = out.ended && err.ended ? INFINITE : waitMs;
        DWORD result = WaitForSingleObject(child.process.get(), wait);
        if (result == WAIT_FAILED) {
            throwSystemError("CreateProcess unable to wait for completion ==> ", GetLastError());
        }
        if (result == WAIT_OBJECT_0) exited = true;
        waitMs = std::min(waitMs * 2, kMaxPollWaitMs);
    }
    return exitCodeOf(child.process.get());
}

}  // namespace wiz
