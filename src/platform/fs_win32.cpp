#include <direct.h>

#include <cstring>
#include <vector>

#include "platform/fs.h"
#include "platform/handle_win32.h"
#include "platform/win32.h"

namespace wiz {

namespace {

// Attributes that SetFileAttributesA accepts; the others describe the kind of entry.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_TEMPORARY;

}  // namespace

uint32_t lastFsError() { return GetLastError(); }

FsError classifyFsError(uint32_t code) {
    switch (code) {
        case ERROR_SUCCESS:
            return FsError::None;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
            return FsError::NotFound;
        case ERROR_ACCESS_DENIED:
            return FsError::AccessDenied;
        case ERROR_SHARING_VIOLATION:
            return FsError::SharingViolation;
        default:
            return FsError::Other;
    }
}

bool readAttributes(const LString& path, uint32_t& attributes) {
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    attributes = a;
    return true;
}

bool setReadOnly(const LString& path, bool readOnly) {
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return false;
    a &= kSettableAttributes;
    a = readOnly ? (a | FILE_ATTRIBUTE_READONLY) : (a & ~FILE_ATTRIBUTE_READONLY);
    return SetFileAttributesA(path.c_str(), a == 0 ? FILE_ATTRIBUTE_NORMAL : a) != 0;
}

bool removeFile(const LString& path) { return DeleteFileA(path.c_str()) != 0; }
bool removeDirectory(const LString& path) { return RemoveDirectoryA(path.c_str()) != 0; }
bool makeDirectory(const LString& path) { return CreateDirectoryA(path.c_str(), nullptr) != 0; }

bool makeExecutable(const LString&) { return true; }

struct DirectoryListing::Impl {
    FindHandle find;
    WIN32_FIND_DATAA data{};
    bool pending = false;  // `data` holds the first entry, not handed out yet
};

DirectoryListing::DirectoryListing(const LString& directory) : impl_(new Impl) {
    LString pattern = directory;
    if (!pattern.empty() && pattern[pattern.length() - 1] != '\\' &&
        pattern[pattern.length() - 1] != '/') {
        pattern += '\\';
    }
    pattern += '*';
    HANDLE h = FindFirstFileA(pattern.c_str(), &impl_->data);
    if (h == INVALID_HANDLE_VALUE) {
        error_ = GetLastError();
        return;
    }
    impl_->find.reset(h);
    impl_->pending = true;
}

DirectoryListing::~DirectoryListing() = default;

bool DirectoryListing::open() const { return impl_->find.valid(); }

bool DirectoryListing::next(Entry& entry) {
    if (!open()) return false;
    for (;;) {
        if (impl_->pending) {
            impl_->pending = false;
        } else if (!FindNextFileA(impl_->find.get(), &impl_->data)) {
            DWORD e = GetLastError();
            error_ = e == ERROR_NO_MORE_FILES ? 0 : e;
            return false;
        }
        const char* name = impl_->data.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        DWORD a = impl_->data.dwFileAttributes;
        entry.name = name;
        entry.isDirectory =
            (a & FILE_ATTRIBUTE_DIRECTORY) != 0 && (a & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
        return true;
    }
}

LString systemTempPath() {
    DWORD size = GetTempPathA(0, nullptr);
    if (size == 0) return LString();
    std::vector<char> buf(size + 1, '\0');
    DWORD got = GetTempPathA(size, buf.data());
    buf[size] = '\0';
    if (got == 0 || got >= size) return LString();
    return LString(buf.data(), got);
}

bool createUniqueTempFile(const LString& directory, const char* prefix, LString& path) {
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), prefix, 0, name) == 0) return false;
    path = name;
    return true;
}

LString freeSpaceRoot(const LString& path) {
    if (path.length() > 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
    int drive = _getdrive();  // 1 = A; 0 when the current directory is a network path
    if (drive <= 0) return LString();
    return LString(1, static_cast<char>('A' + drive - 1)) + ":\\";
}

bool queryDiskGeometry(const LString& root, DiskGeometry& geometry) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    // An empty root measures the volume of the current directory.
    if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster,
                           &bytesPerSector, &freeClusters, &totalClusters)) {
        return false;
    }
    geometry.bytesPerSector = bytesPerSector;
    geometry.sectorsPerCluster = sectorsPerCluster;
    geometry.freeClusters = freeClusters;
    geometry.totalClusters = totalClusters;
    return true;
}

void listDriveRoots(StringList& roots, bool& anyDrive) {
    anyDrive = false;
    DWORD size = GetLogicalDriveStringsA(0, nullptr);
    if (size == 0) return;
    std::vector<char> buf(size + 1, '\0');
    DWORD got = GetLogicalDriveStringsA(size, buf.data());
    if (got == 0 || got > size) return;
    for (const char* root = buf.data(); *root; root += std::strlen(root) + 1) {
        anyDrive = true;
        UINT type = GetDriveTypeA(root);
        if (type != DRIVE_FIXED && type != DRIVE_REMOTE) continue;
        LString r(root);
        if (!r.empty() && r[r.length() - 1] == '\\') r.erase(r.length() - 1);
        roots.append(r);
    }
}

uint64_t volumeId(const LString&) { return 0; }

bool openExclusive(const LString& path, uint32_t& error) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        error = GetLastError();
        return false;
    }
    error = 0;
    return true;
}

LString fullPath(const LString& path) {
    DWORD size = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
    if (size == 0) return path;
    std::vector<char> buf(size + 1, '\0');
    DWORD got = GetFullPathNameA(path.c_str(), size, buf.data(), nullptr);
    if (got == 0 || got >= size) return path;
    return LString(buf.data(), got);
}

LString shortPathName(const LString& path) {
    DWORD size = GetShortPathNameA(path.c_str(), nullptr, 0);
    if (size == 0) return path;
    std::vector<char> buf(size + 1, '\0');
    DWORD got = GetShortPathNameA(path.c_str(), buf.data(), size);
    if (got == 0 || got >= size) return path;
    return LString(buf.data(), got);
}

}  // namespace wiz
