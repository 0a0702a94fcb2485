// ctrl_event_probe: runs a program on its own console and sends that console a Ctrl+C or
// Ctrl+Break event once the program is under way, as a user at the keyboard would; then writes
// the program's exit code to a report file. The probe itself stays alive through the event.
//
//   ctrl_event_probe REPORT MARKER c|break PROGRAM [ARGS...]
//
// The event goes out once the file MARKER exists (the program's child has started); the report
// is "exit=N", or "timeout" when the program did not end within 60 seconds of the event.
#include <windows.h>

#include <cstdio>
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
    // Ctrl+Break goes to the program's own process group (which its children join), as a
    // console sends it to the group in front; Ctrl+C to everything on the console.
    const bool brk = std::string(argv[3]) == "break";
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE,
                        brk ? CREATE_NEW_PROCESS_GROUP : 0, nullptr, nullptr, &startup, &info)) {
        std::fprintf(stderr, "CreateProcess failed: %lu\n", GetLastError());
        return 2;
    }
    for (int i = 0; i < 600 && GetFileAttributesA(argv[2]) == INVALID_FILE_ATTRIBUTES; ++i) {
        if (WaitForSingleObject(info.hProcess, 100) == WAIT_OBJECT_0) break;
    }
    if (brk) {
        GenerateConsoleCtrlEvent(CTRL_BREAK_EVENT, info.dwProcessId);
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
