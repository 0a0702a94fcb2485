#include "platform/system_error.h"

#include <cstdio>

namespace wiz {

// Implemented once per system: the raw text, possibly ending in a line break; empty for none.
LString rawSystemErrorText(uint32_t code);

LString systemErrorText(uint32_t code) {
    // System texts end in a line break; messages and log lines add their own.
    LString text = rawSystemErrorText(code);
    LString::size_type end = text.find_last_not_of(" \t\r\n");
    text.erase(end == LString::npos ? 0 : end + 1);
    if (text.empty()) {
        char fallback[40];
        std::snprintf(fallback, sizeof fallback, "Unknown error %lu",
                      static_cast<unsigned long>(code));
        text = fallback;
    }
    return text;
}

}  // namespace wiz
