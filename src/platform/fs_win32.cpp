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

namespace {

// The attributes of the object at `path` itself (a reparse point is not followed), read through a
// handle that stays open without delete sharing, so the object cannot be renamed or replaced
// while it is held.
bool holdObject(const LString& path, FileHandle& handle, DWORD& attributes) {
    // The Windows 9x family has neither reparse points nor handles to directories.
    static const bool win9x = (GetVersion() & 0x80000000u) != 0;
    if (win9x) {
        attributes = GetFileAttributesA(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES;
    }
    handle.reset(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             nullptr, OPEN_EXISTING,
                             FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return false;
    attributes = info.dwFileAttributes;
    return true;
}

// Removes a file or a link (a directory link or junction with RemoveDirectory, which removes the
// link and not what it leads to); the read-only attribute of a file is cleared first.
bool removeEntryItself(const LString& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return RemoveDirectoryA(path.c_str()) != 0;
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesA(path.c_str(), (attributes & ~FILE_ATTRIBUTE_READONLY) &
                                             (FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                              FILE_ATTRIBUTE_SYSTEM));
    }
    return DeleteFileA(path.c_str()) != 0;
}

// Removes everything inside the directory at `path`, which the caller holds open; true when all
// is gone.
bool removeContents(TreeRemoval& removal, const LString& path) {
    struct Found {
        LString name;
        DWORD attributes;
    };
    std::vector<Found> found;
    {
        WIN32_FIND_DATAA data;
        FindHandle find(FindFirstFileA((path + "\\*").c_str(), &data));
        if (!find) {
            removal.failedToRemove(path, GetLastError());
            return false;
        }
        do {
            if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0)
                continue;
            found.push_back({LString(data.cFileName), data.dwFileAttributes});
        } while (FindNextFileA(find.get(), &data));
        const DWORD error = GetLastError();
        if (error != ERROR_NO_MORE_FILES) {
            removal.failedToRemove(path, error);
            return false;
        }
    }
    bool all = true;
    bool ownFailure = false;
    for (const Found& entry : found) {
        const LString full = path + "\\" + entry.name;
        const bool plainDirectory = (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                                    !(entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT);
        if (plainDirectory) {
            removal.beforeEntering(full);
            FileHandle held;
            DWORD attributes = 0;
            if (!holdObject(full, held, attributes)) {
                const DWORD error = GetLastError();
                if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) continue;
                removal.failedToRemove(full, error);
                all = false;
                ownFailure = true;
                continue;
            }
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
                !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
                const bool emptied = removeContents(removal, full);
                held.reset();
                if (!emptied) {
                    all = false;
                    continue;
                }
                if (!RemoveDirectoryA(full.c_str())) {
                    removal.failedToRemove(full, GetLastError());
                    removal.keptDirectory(full);
                    all = false;
                }
                continue;
            }
            // Replaced since it was listed (by a link, or a file): only the entry itself goes.
            held.reset();
            if (!removeEntryItself(full, attributes)) {
                removal.failedToRemove(full, GetLastError());
                all = false;
                ownFailure = true;
            }
            continue;
        }
        if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY) && removal.keepFile(full)) {
            all = false;
            ownFailure = true;
        } else if (!removeEntryItself(full, entry.attributes)) {
            removal.failedToRemove(full, GetLastError());
            all = false;
            ownFailure = true;
        }
    }
    if (ownFailure) removal.keptDirectory(path);
    return all;
}

}  // namespace

bool TreeRemoval::run(const LString& path) {
    LString root = path;
    while (root.length() > 3 && (root[root.length() - 1] == '\\' || root[root.length() - 1] == '/'))
        root.erase(root.length() - 1);
    FileHandle held;
    DWORD attributes = 0;
    if (!holdObject(root, held, attributes)) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return true;
        failedToRemove(root, error);
        return false;
    }
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY) || (attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        held.reset();
        if (removeEntryItself(root, attributes)) return true;
        failedToRemove(root, GetLastError());
        return false;
    }
    const bool emptied = removeContents(*this, root);
    held.reset();
    if (!emptied) return false;
    if (!RemoveDirectoryA(root.c_str())) {
        failedToRemove(root, GetLastError());
        keptDirectory(root);
        return false;
    }
    return true;
}

UniqueDirectoryHooks& uniqueDirectoryHooks() {
    static UniqueDirectoryHooks hooks;
    return hooks;
}

namespace {

// Whether `path` is a real directory, not a reparse point (a junction or a link), checked
// through a handle to the object itself.
bool isPlainDirectory(const LString& path) {
    FileHandle handle(
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return false;
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

}  // namespace

bool createUniqueDirectory(const LString& directory, const char* prefix, LString& path) {
    const UniqueDirectoryHooks& hooks = uniqueDirectoryHooks();
    // GetTempFileNameA with a unique number of our own forms the name without creating a file.
    UINT unique = (GetTickCount() ^ GetCurrentProcessId()) & 0xFFFF;
    for (int attempt = 0; attempt < 100; ++attempt) {
        unique = (unique * 69069 + 1) & 0xFFFF;
        if (unique == 0) unique = 1;
        char name[MAX_PATH + 1] = {};
        if (GetTempFileNameA(directory.c_str(), prefix, unique, name) == 0) return false;
        if (hooks.beforeCreate) hooks.beforeCreate(name);
        // CreateDirectoryA fails on anything that already has the name, a link included.
        if (!CreateDirectoryA(name, nullptr)) {
            const DWORD error = GetLastError();
            if (error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS ||
                error == ERROR_ACCESS_DENIED) {
                continue;
            }
            return false;
        }
        if (hooks.afterCreate) hooks.afterCreate(name);
        if (!isPlainDirectory(name)) continue;
        path = name;
        return true;
    }
    SetLastError(ERROR_FILE_EXISTS);
    return false;
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
