// Windows: a console gets UTF-16 through WriteConsoleW; files and pipes get the bytes.
#include "platform/console_output_win32.h"

#include <io.h>

#include <cstring>

#include "platform/console_output.h"
#include "platform/win32.h"

namespace wiz {

namespace {

// Characters per WriteConsoleW call: older consoles refuse a call whose text does not fit
// their 64 KB buffer.
constexpr size_t kConsoleChunk = 8192;

HANDLE streamHandle(std::FILE* stream) {
    const int descriptor = stream ? _fileno(stream) : -1;
    if (descriptor < 0) return INVALID_HANDLE_VALUE;
    return reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
}

bool isConsoleHandle(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle && GetConsoleMode(handle, &mode);
}

void writeCharacters(HANDLE console, const std::vector<wchar_t>& text) {
    size_t done = 0;
    while (done < text.size()) {
        size_t count = text.size() - done < kConsoleChunk ? text.size() - done : kConsoleChunk;
        // A surrogate pair stays in one call.
        if (count > 1 && done + count < text.size() && text[done + count - 1] >= 0xD800 &&
            text[done + count - 1] <= 0xDBFF) {
            --count;
        }
        DWORD written = 0;
        if (!WriteConsoleW(console, text.data() + done, static_cast<DWORD>(count), &written,
                           nullptr) ||
            written == 0) {
            return;
        }
        done += written;
    }
}

}  // namespace

std::vector<wchar_t> ansiToWide(const char* text) {
    const int length = static_cast<int>(std::strlen(text));
    if (length == 0) return {};
    const int size = MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0);
    if (size <= 0) return {};
    std::vector<wchar_t> wide(static_cast<size_t>(size));
    MultiByteToWideChar(CP_ACP, 0, text, length, wide.data(), size);
    return wide;
}

bool isConsole(std::FILE* stream) { return isConsoleHandle(streamHandle(stream)); }

void writeConsoleText(std::FILE* stream, const char* text, bool flush) {
    HANDLE handle = streamHandle(stream);
    if (isConsoleHandle(handle)) {
        // What the C library still holds for the stream (printf output, say) comes first.
        std::fflush(stream);
        writeCharacters(handle, ansiToWide(text));
        return;
    }
    std::fputs(text, stream);
    if (flush) std::fflush(stream);
}

}  // namespace wiz
