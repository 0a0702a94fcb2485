// Child processes on Windows: CreateProcessA, with standard output and standard error captured
// through two anonymous pipes that are read only when PeekNamedPipe reports data.
#include <vector>

#include "launch/capture_loop.h"
#include "launch/child_process.h"
#include "launch/running_children.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"
#include "services/messages.h"

namespace wiz {

namespace {

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

// The job functions, which the 9x family lacks: looked up at run time.
template <typename Function>
Function kernelJobFunction(const char* name) {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    FARPROC found = kernel ? GetProcAddress(kernel, name) : nullptr;
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(found));
}

// A job that ends every process in it when its last handle closes, with `process` (started
// suspended) in it; an invalid holder where the system has no jobs or refuses this one (the
// child then runs on its own and only it can be ended).
HandleHolder containInJob(HANDLE process) {
    using Create = HANDLE(WINAPI*)(LPSECURITY_ATTRIBUTES, LPCSTR);
    using SetInformation = BOOL(WINAPI*)(HANDLE, JOBOBJECTINFOCLASS, LPVOID, DWORD);
    using Assign = BOOL(WINAPI*)(HANDLE, HANDLE);
    const auto create = kernelJobFunction<Create>("CreateJobObjectA");
    const auto setInformation = kernelJobFunction<SetInformation>("SetInformationJobObject");
    const auto assign = kernelJobFunction<Assign>("AssignProcessToJobObject");
    HandleHolder job;
    if (!create || !setInformation || !assign) return job;
    job.reset(create(nullptr, nullptr));
    if (!job.valid()) return HandleHolder();
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!setInformation(job.get(), JobObjectExtendedLimitInformation, &limits, sizeof limits) ||
        !assign(job.get(), process)) {
        return HandleHolder();
    }
    return job;
}

int exitCodeOf(HANDLE process) {
    DWORD code = 0;
    if (!GetExitCodeProcess(process, &code)) {
        throwSystemFailure(SystemCall::GetExitCode, GetLastError());
    }
    return static_cast<int>(code);
}

// A started child and the read ends of its pipes (runs that capture). A wait is a wait on the
// process handle, which ends the moment the child does, whatever its exit code (259, the
// STILL_ACTIVE of GetExitCodeProcess, included); an anonymous pipe cannot be waited on.
class Win32Child : public RunningChild {
public:
    Win32Child(StartedProcess process, bool sharesConsole, HandleHolder outRead = HandleHolder(),
               HandleHolder errRead = HandleHolder(), bool contained = false,
               HandleHolder job = HandleHolder())
        : process_(std::move(process)),
          contained_(contained),
          job_(std::move(job)),
          registration_(
              watchChild(reinterpret_cast<intptr_t>(process_.process.get()), sharesConsole)) {
        pipes_[0] = std::move(outRead);
        pipes_[1] = std::move(errRead);
    }

    bool hasEnded(int& exitCode) override {
        if (!waitFor(0)) return false;
        endAll();
        exitCode = exitCodeOf(process_.process.get());
        return true;
    }
    int waitForEnd() override {
        waitFor(INFINITE);
        endAll();
        return exitCodeOf(process_.process.get());
    }
    // The job ends the child and all it started; without one, the child alone can be ended.
    void endAll() override {
        if (!contained_) return;
        if (job_.valid()) {
            using Terminate = BOOL(WINAPI*)(HANDLE, UINT);
            const auto terminate = kernelJobFunction<Terminate>("TerminateJobObject");
            if (terminate && terminate(job_.get(), 1)) return;
        }
        if (!waitFor(0)) TerminateProcess(process_.process.get(), 1);
    }
    void waitForActivity(unsigned milliseconds) override { waitFor(milliseconds); }

    // A broken pipe is the normal end of the stream.
    PipeState peek(ChildStream stream) override {
        HandleHolder& readEnd = pipe(stream);
        PipeState state;
        DWORD available = 0;
        if (!readEnd.valid()) {
            state.ended = true;
        } else if (!PeekNamedPipe(readEnd.get(), nullptr, 0, nullptr, &available, nullptr)) {
            DWORD error = GetLastError();
            if (error != ERROR_BROKEN_PIPE) throwSystemFailure(SystemCall::PeekNamedPipe, error);
            readEnd.reset();
            state.ended = true;
        }
        state.available = available;
        return state;
    }

    size_t read(ChildStream stream, char* buffer, size_t capacity) override {
        HandleHolder& readEnd = pipe(stream);
        DWORD got = 0;
        if (!ReadFile(readEnd.get(), buffer, static_cast<DWORD>(capacity), &got, nullptr)) {
            DWORD error = GetLastError();
            if (error != ERROR_BROKEN_PIPE) throwSystemFailure(SystemCall::ReadFile, error);
            readEnd.reset();
            return 0;
        }
        return got;
    }

private:
    HandleHolder& pipe(ChildStream stream) { return pipes_[stream == ChildStream::Output ? 0 : 1]; }

    // True when the child has ended.
    bool waitFor(DWORD milliseconds) {
        DWORD result = WaitForSingleObject(process_.process.get(), milliseconds);
        if (result == WAIT_FAILED) throwSystemFailure(SystemCall::WaitForProcess, GetLastError());
        return result == WAIT_OBJECT_0;
    }

    StartedProcess process_;
    bool contained_;
    HandleHolder job_;
    // While the runner waits, an ending run can reach the child; a child that is not waited
    // for runs on.
    ChildRegistration registration_;
    HandleHolder pipes_[2];
};

// Only the child gets the write end; the read end stays with the launcher.
void createCapturePipe(HandleHolder& readEnd, HandleHolder& writeEnd,
                       SECURITY_ATTRIBUTES& attributes) {
    if (!CreatePipe(readEnd.receive(), writeEnd.receive(), &attributes, 0)) {
        throwSystemFailure(SystemCall::None, GetLastError());
    }
    // Not available on the 9x family; there the child merely holds an unused copy.
    SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);
}

}  // namespace

std::unique_ptr<RunningChild> startChild(const LString& commandLine, const RunOptions& o) {
    const DWORD flags = creationFlags(o.showConsole, o.newConsole);
    const bool sharesConsole = o.showConsole && !o.newConsole;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;

    if (!o.capture) {
        return std::make_unique<Win32Child>(
            createProcess(commandLine, o.workingDirectory, nullptr, FALSE, flags, startup),
            sharesConsole);
    }

    SECURITY_ATTRIBUTES attributes = {};
    attributes.nLength = sizeof attributes;
    attributes.bInheritHandle = TRUE;
    HandleHolder outRead, outWrite, errRead, errWrite;
    createCapturePipe(outRead, outWrite, attributes);
    createCapturePipe(errRead, errWrite, attributes);

    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = outWrite.get();
    startup.hStdError = errWrite.get();
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    // A contained child starts suspended, so that it is in its job before it can start anything.
    StartedProcess process = createProcess(commandLine, o.workingDirectory, &attributes, TRUE,
                                           flags | (o.contain ? CREATE_SUSPENDED : 0), startup);
    HandleHolder job;
    if (o.contain) {
        job = containInJob(process.process.get());
        ResumeThread(process.thread.get());
    }
    // The launcher's copies of the write ends go at once (when the holders do), so the pipes
    // break with the child.
    return std::make_unique<Win32Child>(std::move(process), sharesConsole, std::move(outRead),
                                        std::move(errRead), o.contain, std::move(job));
}

}  // namespace wiz
