#include <cerrno>

#include "platform/file.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

FilePtr createFileNoLink(const LString& path, bool text, bool& isLink, uint32_t& error) {
    isLink = false;
    error = 0;
    // Where the system cannot open a reparse point itself, its attributes still show it.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        isLink = true;
        return nullptr;
    }
    // The object at the path itself (a reparse point is not followed) is opened, created if need
    // be, and checked through the handle; while the handle is held the object cannot be replaced,
    // so the C runtime then opens this very file.
    FileHandle held(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (held && GetFileInformationByHandle(held.get(), &info) &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        isLink = true;
        return nullptr;
    }
    errno = 0;
    FilePtr file = openFile(path, text ? "w" : "wb");
    if (!file) error = static_cast<uint32_t>(errno);
    return file;
}

}  // namespace wiz
