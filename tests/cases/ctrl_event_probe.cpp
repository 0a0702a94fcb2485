// ctrl_event_probe: runs a program on its own console and sends that console a Ctrl+C or
// Ctrl+Break event once the program is under way, as a user at the keyboard would; then writes
// the program's exit code to a report file. The probe itself stays alive through the event.
//
//   ctrl_event_probe REPORT MARKER c|break PROGRAM [ARGS...]
//
// The event goes out once the file MARKER exists (the program's child has started); the report
// is "exit=N", or "timeout" when the program did not end within 60 seconds of the event.
//
// Ctrl+C goes out with GenerateConsoleCtrlEvent. Ctrl+Break is delivered the way the console
// itself delivers an event on Windows: a thread started in each process of the program's group
// (the program and everything it started) at kernelbase's CtrlRoutine, with the event as its
// argument, which calls the process's handlers. Wine 8 refuses GenerateConsoleCtrlEvent for
// CTRL_BREAK_EVENT (FALSE, ERROR_INVALID_HANDLE, whatever the group).
#include <windows.h>
// Needs the declarations of windows.h first.
#include <tlhelp32.h>

#include <cstdio>
#include <set>
#include <string>

namespace {

BOOL WINAPI survive(DWORD) { return TRUE; }

std::string quoted(const char* arg) {
    std::string out = "\"";
    for (const char* p = arg; *p; ++p) {
        if (*p == '"') out += '\\';
        out += *p;
    }
    return out + "\"";
}

// When the process `pid` was created; 0 when it cannot be told.
ULONGLONG creationTime(DWORD pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
    if (!process) return 0;
    FILETIME created, exited, kernel, user;
    ULONGLONG time = 0;
    if (GetProcessTimes(process, &created, &exited, &kernel, &user)) {
        time = (static_cast<ULONGLONG>(created.dwHighDateTime) << 32) | created.dwLowDateTime;
    }
    CloseHandle(process);
    return time;
}

// The process `root` and every process it started, directly or not. A process whose parent
// has ended keeps the parent's id, which a newer process may have taken since: a process counts
// as a child only when it was created after its parent.
std::set<DWORD> processTree(DWORD root) {
    std::set<DWORD> tree{root};
    for (bool grew = true; grew;) {
        grew = false;
        HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) break;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        for (BOOL more = Process32First(snapshot, &entry); more;
             more = Process32Next(snapshot, &entry)) {
            if (!tree.count(entry.th32ParentProcessID) || tree.count(entry.th32ProcessID)) continue;
            const ULONGLONG parent = creationTime(entry.th32ParentProcessID);
            const ULONGLONG child = creationTime(entry.th32ProcessID);
            if (parent == 0 || child < parent) continue;
            tree.insert(entry.th32ProcessID);
            grew = true;
        }
        CloseHandle(snapshot);
    }
    return tree;
}

// Where kernelbase.dll is loaded in the process `pid`; null when it cannot be told.
BYTE* kernelbaseIn(DWORD pid) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE | TH32CS_SNAPMODULE32, pid);
    if (snapshot == INVALID_HANDLE_VALUE) return nullptr;
    BYTE* base = nullptr;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more && !base;
         more = Module32Next(snapshot, &module)) {
        if (lstrcmpiA(module.szModule, "kernelbase.dll") == 0) base = module.modBaseAddr;
    }
    CloseHandle(snapshot);
    return base;
}

// Calls CtrlRoutine(event) on a new thread in each process of the tree of `root`; false when it
// reached none.
bool deliverEvent(DWORD root, DWORD event) {
    HMODULE own = GetModuleHandleA("kernelbase.dll");
    FARPROC routine = own ? GetProcAddress(own, "CtrlRoutine") : nullptr;
    if (!routine) {
        std::fputs("kernelbase has no CtrlRoutine\n", stderr);
        return false;
    }
    const ULONG_PTR offset =
        reinterpret_cast<ULONG_PTR>(routine) - reinterpret_cast<ULONG_PTR>(own);
    int reached = 0;
    for (DWORD pid : processTree(root)) {
        BYTE* base = kernelbaseIn(pid);
        HANDLE process = OpenProcess(PROCESS_CREATE_THREAD | PROCESS_QUERY_INFORMATION |
                                         PROCESS_VM_OPERATION | PROCESS_VM_WRITE | PROCESS_VM_READ,
                                     FALSE, pid);
        if (!base || !process) {
            if (process) CloseHandle(process);
            continue;
        }
        HANDLE thread = CreateRemoteThread(
            process, nullptr, 0, reinterpret_cast<LPTHREAD_START_ROUTINE>(base + offset),
            reinterpret_cast<void*>(static_cast<ULONG_PTR>(event)), 0, nullptr);
        if (thread) {
            ++reached;
            CloseHandle(thread);
        }
        CloseHandle(process);
    }
    return reached > 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fputs("usage: ctrl_event_probe REPORT MARKER c|break PROGRAM [ARGS...]\n", stderr);
        return 2;
    }
    SetConsoleCtrlHandler(survive, TRUE);
    std::string commandLine;
    for (int i = 4; i < argc; ++i) commandLine += (i > 4 ? " " : "") + quoted(argv[i]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // Ctrl+C goes to everything on the console; Ctrl+Break to the program and what it started,
    // which the probe reaches itself. (The program gets no process group of its own: Wine marks
    // the processes of a new group as ignoring Ctrl+C, and its CtrlRoutine then ignores every
    // event.)
    const bool brk = std::string(argv[3]) == "break";
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 2;
    }
    for (int i = 0; i < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) {
        if (WaitForSingleObject(info.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    if (brk) {
        if (!deliverEvent(info.dwProcessId, CTRL_BREAK_EVENT)) {
            std::fputs("the Ctrl+Break event reached no process\n", stderr);
        }
    } else {
        GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
    }
    std::string report = "timeout";
    if (WaitForSingleObject(info.hProcess, 60000) == WAIT_OBJECT_0) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        report = "exit=" + std::to_string(code);
    }
    FILE* out = std::fopen(argv[1], "w");
    if (!out) return 2;
    std::fprintf(out, "%s\n", report.c_str());
    std::fclose(out);
    return 0;
}
