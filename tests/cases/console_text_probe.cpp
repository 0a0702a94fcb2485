// Test driver for the launcher's console output: runs a launcher on this program's console and
// reports the characters the console shows.
//
//   console_text_probe REPORT LAUNCHER [ARGUMENT]...
//
// The launcher inherits the console and its standard handles. When it has ended, the rows it
// wrote (from the row the cursor was on when it started to the row it is on now) are read back
// with ReadConsoleOutputCharacterW and written to REPORT in UTF-8, one line per row with the
// trailing blanks dropped; a row that is full to its last column continues on the next one.
// The launcher's exit code follows as a last line "exit=N".
//
// Exit code 0 when the report is written, 2 for usage errors, 3 when standard output is not a
// console (the caller must provide one), 4 when the launcher cannot be run.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

std::string quoted(const char* arg) {
    std::string out = "\"";
    for (const char* p = arg; *p; ++p) {
        if (*p == '"') out += '\\';
        out += *p;
    }
    return out + "\"";
}

std::string utf8(const std::wstring& text) {
    if (text.empty()) return std::string();
    const int size = static_cast<int>(text.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), size, &out[0], n, nullptr, nullptr);
    return out;
}

// The rows from `first` to `last`, joined as described above.
std::string screenText(HANDLE console, SHORT first, SHORT last, SHORT width) {
    std::wstring text;
    for (SHORT row = first; row <= last; ++row) {
        std::wstring cells(static_cast<size_t>(width), L' ');
        DWORD got = 0;
        const COORD at = {0, row};
        ReadConsoleOutputCharacterW(console, &cells[0], static_cast<DWORD>(width), at, &got);
        cells.resize(got);
        const bool full = got == static_cast<DWORD>(width) && cells.back() != L' ';
        const size_t end = cells.find_last_not_of(L' ');
        text += end == std::wstring::npos ? std::wstring() : cells.substr(0, end + 1);
        if (!full) text += L'\n';
    }
    return utf8(text);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: console_text_probe REPORT LAUNCHER [ARGUMENT]...\n");
        return 2;
    }
    HANDLE console = GetStdHandle(STD_OUTPUT_HANDLE);
    CONSOLE_SCREEN_BUFFER_INFO before;
    if (!GetConsoleScreenBufferInfo(console, &before)) return 3;

    std::string commandLine = quoted(argv[2]);
    for (int i = 3; i < argc; ++i) commandLine += " " + quoted(argv[i]);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION child = {};
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                        &startup, &child)) {
        return 4;
    }
    WaitForSingleObject(child.hProcess, 60000);
    DWORD code = 0;
    GetExitCodeProcess(child.hProcess, &code);
    CloseHandle(child.hThread);
    CloseHandle(child.hProcess);

    CONSOLE_SCREEN_BUFFER_INFO after;
    GetConsoleScreenBufferInfo(console, &after);
    const std::string text =
        screenText(console, before.dwCursorPosition.Y, after.dwCursorPosition.Y, after.dwSize.X);
    std::FILE* report = std::fopen(argv[1], "wb");
    if (!report) return 4;
    std::fprintf(report, "%sexit=%lu\n", text.c_str(), code);
    std::fclose(report);
    return 0;
}
