#include <cerrno>
#include <system_error>

#include "platform/system_error.h"

namespace wiz {

LString rawSystemErrorText(uint32_t code) {
    return LString(std::system_category().message(static_cast<int>(code)));
}

const ErrorKindCode* errorKindCodes() {
    // The first code of each kind stands for it.
    static const ErrorKindCode codes[] = {
        {ENOENT, ErrorKind::NotFound},
        {ENOTDIR, ErrorKind::NotFound},
        {EACCES, ErrorKind::AccessDenied},
        {EPERM, ErrorKind::AccessDenied},
        {EBUSY, ErrorKind::SharingViolation},
        {ETXTBSY, ErrorKind::SharingViolation},
        {EEXIST, ErrorKind::Exists},
        {EIO, ErrorKind::Other},
        {0, ErrorKind::None},
    };
    return codes;
}

SysStatus lastSystemError() { return SysStatus(static_cast<uint32_t>(errno)); }

}  // namespace wiz
