#include "platform/system_error.h"

#include <cstdio>

namespace wiz {

// Implemented once per system: the raw text, possibly ending in a line break; empty for none.
LString rawSystemErrorText(uint32_t code);

ErrorKind SysStatus::kind() const {
    if (code_ == 0) return ErrorKind::None;
    for (const ErrorKindCode* c = errorKindCodes(); c->code != 0; ++c) {
        if (c->code == code_ && c->kind != ErrorKind::Other) return c->kind;
    }
    return ErrorKind::Other;
}

SysStatus SysStatus::of(ErrorKind kind) {
    if (kind == ErrorKind::None) return SysStatus();
    for (const ErrorKindCode* c = errorKindCodes(); c->code != 0; ++c) {
        if (c->kind == kind) return SysStatus(c->code);
    }
    return SysStatus();  // not reached: every kind has a code
}

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
