#include <memory>

#include "platform/system_error.h"
#include "platform/win32.h"

namespace wiz {

namespace {

// A buffer that FormatMessageA allocated.
struct LocalFreeDeleter {
    void operator()(char* p) const { LocalFree(p); }
};

}  // namespace

LString rawSystemErrorText(uint32_t code) {
    // Neutral language with the default sublanguage: the user's language.
    const DWORD userLanguage = MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT);
    char* raw = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER,
        nullptr, code, userLanguage, reinterpret_cast<char*>(&raw), 0, nullptr);
    std::unique_ptr<char, LocalFreeDeleter> text(raw);
    if (length == 0 || !text) return LString();
    return LString(text.get(), length);
}

const ErrorKindCode* errorKindCodes() {
    // The first code of each kind stands for it.
    static const ErrorKindCode codes[] = {
        {ERROR_FILE_NOT_FOUND, ErrorKind::NotFound},
        {ERROR_PATH_NOT_FOUND, ErrorKind::NotFound},
        {ERROR_ACCESS_DENIED, ErrorKind::AccessDenied},
        {ERROR_SHARING_VIOLATION, ErrorKind::SharingViolation},
        {ERROR_FILE_EXISTS, ErrorKind::Exists},
        {ERROR_ALREADY_EXISTS, ErrorKind::Exists},
        {ERROR_GEN_FAILURE, ErrorKind::Other},
        {0, ErrorKind::None},
    };
    return codes;
}

SysStatus lastSystemError() { return SysStatus(GetLastError()); }

}  // namespace wiz
