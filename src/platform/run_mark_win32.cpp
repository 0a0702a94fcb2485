// Windows: the mark is created and held without sharing in one call, so nobody else can open it
// while its owner lives; the system closes the handle when the process ends, however it ends.
#include <cstdio>
#include <ctime>

#include "platform/file_at_win32.h"
#include "platform/handle_win32.h"
#include "platform/path.h"
#include "platform/run_mark.h"
#include "platform/win32.h"

namespace wiz {

namespace {

class Win32RunMark : public RunMark {
public:
    explicit Win32RunMark(FileHandle file) : file_(std::move(file)) {}

private:
    FileHandle file_;
};

}  // namespace

SysStatus markRunDirectory(const Directory& directory, std::unique_ptr<RunMark>& mark) {
    // Created relative to the open directory and held without sharing in one call. Where the
    // directory holds no handle (the Windows 9x family) the name is composed under its path.
    FileHandle file;
    const HANDLE held = directoryHandle(directory);
    SysStatus created = SysStatus::of(ErrorKind::Other);
    if (held) {
        created = createAt(held, kRunMarkName, GENERIC_WRITE, 0, FILE_CREATE,
                           FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, file);
    }
    if (created.is(ErrorKind::Other)) {
        const LString path = joinPath(directory.path(), kRunMarkName);
        file.reset(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.valid()) return lastSystemError();
    } else if (!created.ok()) {
        return created;
    }
    char text[96];
    const int n = std::snprintf(text, sizeof text, "process %lu, started %lld",
                                static_cast<unsigned long>(GetCurrentProcessId()),
                                static_cast<long long>(std::time(nullptr)));
    DWORD written = 0;
    if (n > 0 && !WriteFile(file.get(), text, static_cast<DWORD>(n), &written, nullptr)) {
        return lastSystemError();
    }
    mark.reset(new Win32RunMark(std::move(file)));
    return SysStatus();
}

MarkOwner runMarkOwner(const LString& directory, LString& owner) {
    const LString path = joinPath(directory, kRunMarkName);
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file.valid()) {
        return GetLastError() == ERROR_SHARING_VIOLATION ? MarkOwner::Alive : MarkOwner::None;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(file.get(), &info) ||
        (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) ||
        info.nNumberOfLinks != 1) {
        return MarkOwner::None;
    }
    char text[96];
    DWORD got = 0;
    owner =
        ReadFile(file.get(), text, sizeof text - 1, &got, nullptr) ? LString(text, got) : LString();
    return MarkOwner::Gone;
}

}  // namespace wiz
