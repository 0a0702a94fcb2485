#include <vector>

#include "platform/process_info.h"
#include "platform/win32.h"

namespace wiz {

LString modulePath() {
    // GetModuleFileNameA truncates silently when the buffer is too small (and older systems then
    // leave the text unterminated), so grow the buffer until the name fits with room to spare.
    std::vector<char> buffer(MAX_PATH);
    while (true) {
        DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return LString();
        if (n < buffer.size() - 1) return LString(buffer.data(), n);
        if (buffer.size() >= 32768) return LString(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace wiz
