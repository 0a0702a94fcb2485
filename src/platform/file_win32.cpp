#include <cerrno>

#include "platform/file.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

namespace {

// Opens (creating when missing) the object at the path itself and checks it through the handle:
// a reparse point, a file with more than one name or anything but a file on a disk is refused.
// While the returned handle is held the object cannot be replaced, so the C runtime then opens
// this very file.
bool holdPlainFile(const LString& path, FileHandle& held, bool& isLink) {
    isLink = false;
    // Where the system cannot open a reparse point itself, its attributes still show it.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        isLink = true;
        return false;
    }
    held.reset(CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                           nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (held &&
        ((GetFileType(held.get()) != FILE_TYPE_DISK) ||
         (GetFileInformationByHandle(held.get(), &info) &&
          ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) || info.nNumberOfLinks > 1)))) {
        isLink = true;
        return false;
    }
    return true;
}

}  // namespace

FilePtr createFileNoLink(const LString& path, bool text, bool& isLink, uint32_t& error) {
    error = 0;
    FileHandle held;
    if (!holdPlainFile(path, held, isLink)) return nullptr;
    errno = 0;
    FilePtr file = openFile(path, text ? "w" : "wb");
    if (!file) error = static_cast<uint32_t>(errno);
    return file;
}

FilePtr appendFileNoLink(const LString& path, bool& isLink) {
    FileHandle held;
    if (!holdPlainFile(path, held, isLink)) return nullptr;
    return openFile(path, "a");
}

}  // namespace wiz
