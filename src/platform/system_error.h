// How the platform layer reports a failure, and the operating system's own text for one of its
// error codes (GetLastError on Windows, errno on POSIX), for messages and log lines.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// The kinds of failure that portable code tells apart; everything else is Other.
enum class ErrorKind {
    None,
    NotFound,          // no such file, or a part of the path is missing or no directory
    AccessDenied,      // no permission
    SharingViolation,  // another process holds the file (Windows), the file is busy (POSIX)
    Exists,            // the name is taken
    Other,
};

// The outcome of a call into the operating system: success, or the system's error code. Every
// platform call that can fail returns one, and gives its results through out-parameters.
class [[nodiscard]] SysStatus {
public:
    SysStatus() = default;  // success
    explicit SysStatus(uint32_t code) : code_(code) {}

    // A code of the given kind on this system, for code that fails on its own account (and for
    // stand-ins of the file system in tests).
    static SysStatus of(ErrorKind kind);

    bool ok() const { return code_ == 0; }
    uint32_t code() const { return code_; }
    ErrorKind kind() const;
    bool is(ErrorKind kind) const { return this->kind() == kind; }

private:
    uint32_t code_ = 0;
};

// The codes of this system that portable code tells apart, each with its kind, ending with code 0;
// the first code of each kind stands for it in SysStatus::of (system_error_posix.cpp,
// system_error_win32.cpp).
struct ErrorKindCode {
    uint32_t code;
    ErrorKind kind;
};
const ErrorKindCode* errorKindCodes();

// The error of the system call that has just failed on this thread (errno, GetLastError), for
// the backends: read it right after the call, before anything else can change it.
SysStatus lastSystemError();

// The system's text without its trailing line break; "Unknown error <code>" when it has none.
LString systemErrorText(uint32_t code);

}  // namespace wiz
