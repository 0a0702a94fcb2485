// User-visible texts: the string table (the ids of services/string_ids.h, in the user's
// language), insert formatting with "%1!s!"-style inserts, and system error texts.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "base/lstring.h"
#include "base/zeroed_buffer.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/string_ids.h"

namespace wiz {

// A growable text buffer bound to a module instance. A new MessageText reads as empty.
class MessageText {
public:
    // Bound to the process's resource module (hostState().moduleInstance).
    MessageText();
    // Bound to `instance` (null: the executable itself; unused on POSIX).
    explicit MessageText(void* instance);

    // Loads string `id`; returns its length, 0 (and an empty text) when it does not exist.
    int load(int id);
    // The same with the markers {PRODUCT} and {COMPANY} replaced by strings 106 and 107.
    int load(StringId id);
    // Loads string `id` and formats it with the inserts; throws LauncherException
    // "Format message failed. Err = <n>" when the formatter yields no text.
    void formatById(int id, std::initializer_list<LString> inserts);
    void formatString(const LString& format, std::initializer_list<LString> inserts);
    // The operating system's text for an error code.
    void systemErrorText(uint32_t code);
    const char* text() const;
    LString str() const { return LString(text()); }

private:
    char* data() { return reinterpret_cast<char*>(buffer_.data()); }
    int capacity() const { return static_cast<int>(buffer_.byteSize()); }
    void setText(const LString& text);

    // Implemented once per operating system:
    // LoadStringA's contract: copies at most capacity - 1 bytes of string `id` with a
    // terminator and returns the number copied, 0 when there is no such string.
    static int loadResource(void* instance, int id, char* buffer, int capacity);
    // The system formatter; on failure returns false and the system's error code.
    static bool systemFormat(const LString& format, std::initializer_list<LString> inserts,
                             LString& out, unsigned long& error);

    ZeroedBuffer buffer_;
    void* instance_;
};

// Convenience wrappers.
LString loadString(StringId id);
LString formatStringId(StringId id, std::initializer_list<LString> inserts);

// The system calls whose failures the launcher reports, each with its fixed prefix. (Not named
// exactly like the calls: several of those names are macros where <windows.h> is included.)
enum class SystemCall {
    None,            // the system's text alone
    StartProcess,    // "CreateProcess failed  ==>  "
    WaitForProcess,  // "CreateProcess unable to wait for completion ==> "
    GetExitCode,     // "CreateProcess unable to get exit code for process ==> "
    PeekNamedPipe,   // "PeekNamedPipe failed  ==>  "
    ReadFile,        // "ReadFile failed  ==>  "
    TempFileName,    // "GetTempFileName failed  ==>  "
    DiskFreeSpace,   // "GetDiskFreeSpace failed  ==>  "
};
// A system failure as the launcher reports it: the call's prefix (ending in "==>" and blanks),
// then the system's text for the error code (GetLastError on Windows, errno on POSIX).
LString systemFailureText(SystemCall call, uint32_t code);
// Throws that text: a failure to start a process as ProcessStartException, any other as
// LauncherException.
[[noreturn]] void throwSystemFailure(SystemCall call, uint32_t code);

}  // namespace wiz
