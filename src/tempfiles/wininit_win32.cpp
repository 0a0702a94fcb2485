// The in-place edit of WinInit.Ini in the Windows directory, through a file mapping.
#include <cstring>
#include <memory>

#include "platform/handle_win32.h"
#include "platform/win32.h"
#include "tempfiles/wininit.h"

namespace wiz {

namespace {

struct ViewUnmapper {
    void operator()(void* view) const {
        if (view) UnmapViewOfFile(view);
    }
};

bool setFileEnd(HANDLE file, DWORD size) {
    return SetFilePointer(file, static_cast<LONG>(size), nullptr, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER &&
           SetEndOfFile(file);
}

}  // namespace

LString defaultWininitPath() {
    char dir[MAX_PATH + 1] = {};
    UINT n = GetWindowsDirectoryA(dir, MAX_PATH);
    if (n == 0 || n > MAX_PATH) return LString("\\WinInit.Ini");
    return LString(dir, n) + "\\WinInit.Ini";
}

SysStatus editRenameSectionFile(const LString& path, const StringList& lines) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!file.valid()) return lastSystemError();
    DWORD oldSize = GetFileSize(file.get(), nullptr);
    if (oldSize == INVALID_FILE_SIZE) return lastSystemError();
    const DWORD mappedSize = oldSize + renameSectionGrowth(lines);

    // Mapping beyond the end grows the file; a failure puts the old length back.
    HandleHolder mapping(
        CreateFileMappingA(file.get(), nullptr, PAGE_READWRITE, 0, mappedSize, nullptr));
    if (!mapping.valid()) {
        const SysStatus failed = lastSystemError();
        setFileEnd(file.get(), oldSize);
        return failed;
    }
    DWORD newSize;
    {
        std::unique_ptr<void, ViewUnmapper> view(
            MapViewOfFile(mapping.get(), FILE_MAP_WRITE, 0, 0, 0));
        if (!view) {
            const SysStatus failed = lastSystemError();
            mapping.reset();
            setFileEnd(file.get(), oldSize);
            return failed;
        }
        char* bytes = static_cast<char*>(view.get());
        std::memset(bytes + oldSize, 0, mappedSize - oldSize);
        newSize = insertRenameLines(bytes, oldSize, lines);
    }
    mapping.reset();
    if (!setFileEnd(file.get(), newSize)) return lastSystemError();
    return SysStatus();
}

}  // namespace wiz
