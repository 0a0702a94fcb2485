// Test driver for the windowed launcher: starts a packed launcher, finds its windows from the
// outside (as a user or another program sees them) and reports what they show.
//
//   windowed_probe SCENARIO READY_FILE DONE_FILE LAUNCHER [ARGUMENT]...
//
// Scenarios:
//   dialog  wait for the visible progress dialog, report it, create READY_FILE and wait for
//           DONE_FILE (the driver takes a screenshot in between); then end the launcher.
//   message wait for the visible progress dialog, then answer the message box the launch ends
//           with.
//   cancel  wait for the progress dialog (visible or not), close it with WM_CLOSE, report that
//           it is still there, then answer the message box the cancelled launch ends with.
//   quiet   wait for the visible progress dialog, then for the launcher's end: reports whether
//           a message box came up meanwhile (message_box=0 or 1, with its text, answered).
//   close-main  wait for the progress dialog (visible or not) and then for DONE_FILE (the
//           driver's go-ahead), close the launcher's hidden main window (class "LauncherMain")
//           with WM_CLOSE, report that it is still there, then answer the message box the
//           cancelled launch ends with.
//   sleep MS  (no launcher) just run for MS milliseconds: the stand-in wizard of "hide".
//   hide    wait for the visible dialog, create READY_FILE, then sample it until it hides:
//           reports the status and whether the bar moved while it was up, and whether the
//           launcher was still running when the dialog went away.
//
// The launcher runs in its own directory, as when started from a file manager. Every finding is
// one "key=value" line on standard output; the launcher's exit code comes last as "exit=N". A
// window that does not appear within the time limit ends the probe with exit code 3 after
// killing the launcher.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
// commctrl.h needs the declarations of windows.h first.
#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

constexpr int kStatusControl = 1000;
constexpr int kProgressControl = 1001;
constexpr int kWaitTextControl = 1004;
constexpr int kMessageBoxText = 0xFFFF;
constexpr DWORD kLimitMs = 60000;

PROCESS_INFORMATION child = {};

[[noreturn]] void giveUp(const char* what) {
    std::printf("timeout=%s\n", what);
    std::fflush(stdout);
    TerminateProcess(child.hProcess, 99);
    ExitProcess(3);
}

std::string quoted(const char* arg) {
    std::string out = "\"";
    for (const char* p = arg; *p; ++p) {
        if (*p == '"') out += '\\';
        out += *p;
    }
    return out + "\"";
}

struct Search {
    bool progress;  // the progress dialog (it has a progress bar), otherwise a message box
    bool visibleOnly;
    HWND found;
};

// The launcher's hidden main window: the top-level window of its class (string 1).
BOOL CALLBACK visitMain(HWND window, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (pid != child.dwProcessId || std::string(className) != "LauncherMain") return TRUE;
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
}

HWND findMainWindow() {
    HWND found = nullptr;
    EnumWindows(visitMain, reinterpret_cast<LPARAM>(&found));
    return found;
}

BOOL CALLBACK visit(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != child.dwProcessId) return TRUE;
    char className[32] = {};
    GetClassNameA(window, className, sizeof className);
    if (std::string(className) != "#32770") return TRUE;
    if (search->visibleOnly && !IsWindowVisible(window)) return TRUE;
    const bool hasBar = GetDlgItem(window, kProgressControl) != nullptr;
    if (hasBar != search->progress) return TRUE;
    search->found = window;
    return FALSE;
}

HWND findWindow(bool progress, bool visibleOnly) {
    Search search = {progress, visibleOnly, nullptr};
    EnumWindows(visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND waitForWindow(bool progress, bool visibleOnly, const char* what) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (HWND window = findWindow(progress, visibleOnly)) return window;
        if (WaitForSingleObject(child.hProcess, 0) == WAIT_OBJECT_0) giveUp(what);
        if (GetTickCount() - start > kLimitMs) giveUp(what);
        Sleep(5);
    }
}

std::string text(HWND window) {
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    std::string out;
    for (const char* p = buffer; *p; ++p) {
        if (*p == '\n') {
            out += "\\n";
        } else if (*p != '\r') {
            out += *p;
        }
    }
    return out;
}

int position(HWND dialog) {
    return static_cast<int>(SendDlgItemMessageA(dialog, kProgressControl, PBM_GETPOS, 0, 0));
}

void reportDialog(HWND dialog) {
    HWND waitText = GetDlgItem(dialog, kWaitTextControl);
    std::printf("title=%s\n", text(dialog).c_str());
    std::printf("status=%s\n", text(GetDlgItem(dialog, kStatusControl)).c_str());
    std::printf("wait_text=%s\n", text(waitText).c_str());
    std::printf("wait_text_visible=%d\n", waitText && IsWindowVisible(waitText) ? 1 : 0);
    // The icon control is the static control that shows an icon.
    HWND icon = nullptr;
    for (HWND c = GetWindow(dialog, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        if ((GetWindowLongA(c, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
            SendMessageA(c, STM_GETICON, 0, 0)) {
            icon = c;
        }
    }
    std::printf("icon=%d\n", icon && IsWindowVisible(icon) ? 1 : 0);
    // The template by its shape: 277 x 90 dialog units (101) or 277 x 58 (103). Dialog units
    // cannot be mapped from another process, so the height-to-width ratio decides: with the
    // usual base units about 0.35 for the large form and 0.23 for the small one.
    RECT client;
    GetClientRect(dialog, &client);
    std::printf("client=%ldx%ld\n", client.right, client.bottom);
    const double ratio = client.right ? static_cast<double>(client.bottom) / client.right : 0;
    const char* form = ratio > 0.29 && ratio < 0.45   ? "large"
                       : ratio > 0.15 && ratio < 0.27 ? "small"
                                                      : "other";
    std::printf("form=%s\n", form);
    std::printf("progress=%d\n", position(dialog));
}

void waitForFile(const char* path) {
    const DWORD start = GetTickCount();
    while (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
        if (GetTickCount() - start > kLimitMs) giveUp("done file");
        Sleep(20);
    }
}

void createFile(const char* path) {
    if (FILE* f = std::fopen(path, "w")) std::fclose(f);
}

// Reports the message box the launch shows and presses its OK button.
void answerMessageBox() {
    HWND box = waitForWindow(false, true, "message box");
    Sleep(100);  // let the box finish laying itself out
    std::printf("message=%s\n", text(GetDlgItem(box, kMessageBoxText)).c_str());
    std::printf("message_caption=%s\n", text(box).c_str());
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

int main(int argc, char** argv) {
    // Stand-in for the wizard in the hide scenario: runs for the given milliseconds.
    if (argc == 3 && std::string(argv[1]) == "sleep") {
        Sleep(static_cast<DWORD>(std::atoi(argv[2])));
        return 0;
    }
    if (argc < 5) {
        std::fprintf(stderr,
                     "usage: windowed_probe SCENARIO READY_FILE DONE_FILE LAUNCHER [ARG]...\n");
        return 2;
    }
    const std::string scenario = argv[1];
    std::string commandLine = quoted(argv[4]);
    for (int i = 5; i < argc; ++i) commandLine += " " + quoted(argv[i]);

    const std::string launcher = argv[4];
    const std::string::size_type slash = launcher.find_last_of("/\\");
    const std::string directory = slash == std::string::npos ? "" : launcher.substr(0, slash);

    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        directory.empty() ? nullptr : directory.c_str(), &startup, &child)) {
        std::printf("start_error=%lu\n", GetLastError());
        return 3;
    }

    if (scenario == "dialog") {
        HWND dialog = waitForWindow(true, true, "progress dialog");
        Sleep(200);  // the launch sets the status right after showing the dialog
        reportDialog(dialog);
        std::fflush(stdout);
        createFile(argv[2]);
        waitForFile(argv[3]);
        TerminateProcess(child.hProcess, 0);
        WaitForSingleObject(child.hProcess, kLimitMs);
        return 0;
    } else if (scenario == "message") {
        waitForWindow(true, true, "progress dialog");
        answerMessageBox();
    } else if (scenario == "quiet") {
        waitForWindow(true, true, "progress dialog");
        const DWORD start = GetTickCount();
        bool box = false;
        while (WaitForSingleObject(child.hProcess, 20) == WAIT_TIMEOUT) {
            if (GetTickCount() - start > kLimitMs) giveUp("exit");
            if (!box && findWindow(false, true)) {
                box = true;
                answerMessageBox();
            }
        }
        std::printf("message_box=%d\n", box ? 1 : 0);
    } else if (scenario == "cancel") {
        HWND dialog = waitForWindow(true, false, "progress dialog");
        SendMessageA(dialog, WM_CLOSE, 0, 0);
        std::printf("still_there=%d\n", IsWindow(dialog) ? 1 : 0);
        answerMessageBox();
    } else if (scenario == "close-main") {
        waitForWindow(true, false, "progress dialog");
        waitForFile(argv[3]);
        HWND main = findMainWindow();
        if (!main) giveUp("main window");
        SendMessageA(main, WM_CLOSE, 0, 0);
        std::printf("main_still_there=%d\n", IsWindow(main) ? 1 : 0);
        answerMessageBox();
    } else if (scenario == "hide") {
        HWND dialog = waitForWindow(true, true, "progress dialog");
        createFile(argv[2]);
        int last = position(dialog);
        bool moved = false;
        std::string status;
        const DWORD start = GetTickCount();
        while (IsWindow(dialog) && IsWindowVisible(dialog)) {
            if (GetTickCount() - start > kLimitMs) giveUp("hide");
            if (findWindow(false, true)) {
                answerMessageBox();  // a failed launch: report why
                giveUp("hide");
            }
            const int now = position(dialog);
            if (now != last) moved = true;
            last = now;
            status = text(GetDlgItem(dialog, kStatusControl));
            Sleep(20);
        }
        const bool running = WaitForSingleObject(child.hProcess, 0) == WAIT_TIMEOUT;
        std::printf("status_while_up=%s\n", status.c_str());
        std::printf("moved_while_up=%d\n", moved ? 1 : 0);
        std::printf("hidden_while_running=%d\n", running ? 1 : 0);
        std::printf("hidden_after_ms=%lu\n", GetTickCount() - start);
        std::fflush(stdout);
    } else {
        std::fprintf(stderr, "unknown scenario %s\n", scenario.c_str());
        TerminateProcess(child.hProcess, 99);
        return 2;
    }

    if (WaitForSingleObject(child.hProcess, kLimitMs) != WAIT_OBJECT_0) giveUp("exit");
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    std::printf("exit=%lu\n", code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);
    return 0;
}
