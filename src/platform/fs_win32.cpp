#include "platform/fs_win32.h"

#include <direct.h>
#include <fcntl.h>
#include <io.h>

#include <cerrno>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "platform/file_at_win32.h"
#include "platform/fs.h"
#include "platform/handle_win32.h"
#include "platform/path.h"
#include "platform/win32.h"

// Need the declarations of windows.h first.
#include <aclapi.h>
#include <winternl.h>

namespace wiz {

namespace {

// Attributes that SetFileAttributesA accepts; the others describe the kind of entry.
constexpr DWORD kSettableAttributes = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                                      FILE_ATTRIBUTE_NOT_CONTENT_INDEXED | FILE_ATTRIBUTE_OFFLINE |
                                      FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM |
                                      FILE_ATTRIBUTE_TEMPORARY;

SysStatus succeededIf(BOOL succeeded) { return succeeded ? SysStatus() : lastSystemError(); }

// The attributes of the object at `path` itself (a reparse point is not followed), read through a
// handle that stays open without delete sharing, so that the object cannot be renamed or replaced
// while it is held. The Windows 9x family has neither reparse points nor handles to directories:
// there the attributes are read by the path and nothing is held.
SysStatus holdObject(const LString& path, FileHandle& handle, uint32_t& attributes) {
    static const bool win9x = (GetVersion() & 0x80000000u) != 0;
    if (win9x) {
        const DWORD found = GetFileAttributesA(path.c_str());
        if (found == INVALID_FILE_ATTRIBUTES) return lastSystemError();
        attributes = found;
        return SysStatus();
    }
    // Sharing counts only for an open that asks for more than the attributes: listing access
    // (reading, for a file) is what makes the withheld delete sharing keep the directory in
    // place. An object that cannot be opened for it (a file held without sharing, one that may
    // not be read) is opened for its attributes alone.
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT;
    handle.reset(CreateFileA(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                             nullptr));
    if (!handle) {
        handle.reset(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                                 nullptr));
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return lastSystemError();
    attributes = info.dwFileAttributes;
    return SysStatus();
}

SysStatus openHeldDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                            uint32_t& attributes);

// The C library's error number for a system error of creating a file, for the messages that
// report it as the C library would.
uint32_t errnoOf(const SysStatus& status) {
    switch (status.kind()) {
        case ErrorKind::Exists:
            return EEXIST;
        case ErrorKind::NotFound:
            return ENOENT;
        case ErrorKind::AccessDenied:
        case ErrorKind::SharingViolation:
            return EACCES;
        default:
            return status.code() == ERROR_DISK_FULL || status.code() == ERROR_HANDLE_DISK_FULL
                       ? ENOSPC
                       : EIO;
    }
}

// Whether the object behind `handle` is a file on a disk with one name and no reparse point:
// the only thing the launcher writes into.
bool isPlainFile(HANDLE handle) {
    constexpr DWORD kNotAFile = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
    BY_HANDLE_FILE_INFORMATION info;
    return GetFileType(handle) == FILE_TYPE_DISK && GetFileInformationByHandle(handle, &info) &&
           (info.dwFileAttributes & kNotAFile) == 0 && info.nNumberOfLinks == 1;
}

class Win32Directory : public Directory {
public:
    Win32Directory(const LString& path, FileHandle held)
        : Directory(path), held_(std::move(held)) {}

    // Null when it holds none (the 9x family).
    HANDLE handle() const { return held_ ? held_.get() : nullptr; }

    SysStatus list(std::vector<DirectoryEntry>& entries) override {
        DirectoryListing listing(path());
        DirectoryEntry entry;
        while (listing.next(entry)) entries.push_back(entry);
        return listing.status();
    }
    SysStatus openChild(const LString& name, std::unique_ptr<Directory>& child,
                        uint32_t& attributes) override {
        return openHeldDirectory(joinPath(path(), name), child, attributes);
    }
    SysStatus removeChild(const LString& name, uint32_t attributes) override {
        return removeEntry(joinPath(path(), name), attributes);
    }
    SysStatus makeChild(const LString& name, std::unique_ptr<Directory>& child) override;
    FilePtr createFile(const LString& name, bool text, bool mustBeNew, bool& isLink,
                       uint32_t& error) override;

private:
    FileHandle held_;  // keeps the directory where it is; empty on the 9x family
};

SysStatus openHeldDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                            uint32_t& attributes) {
    FileHandle held;
    SysStatus status = holdObject(path, held, attributes);
    if (!status.ok() || !isPlainDirectory(attributes)) return status;
    directory.reset(new Win32Directory(path, std::move(held)));
    return SysStatus();
}

// Where the system cannot create relative to a handle (the 9x family holds none), the name is
// composed under the directory's path.
SysStatus Win32Directory::makeChild(const LString& name, std::unique_ptr<Directory>& child) {
    FileHandle made;
    SysStatus status = SysStatus::of(ErrorKind::Other);
    if (held_) {
        // Made and held in one call, without delete sharing, so it is this very directory that
        // is opened and it stays where it is.
        status = createAt(held_.get(), name, FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                          FILE_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, made);
    }
    if (status.ok()) {
        child.reset(new Win32Directory(joinPath(path(), name), std::move(made)));
        return status;
    }
    if (held_ && !status.is(ErrorKind::Other)) {
        // A name that a directory being deleted still holds answers "access denied": taken.
        return status.is(ErrorKind::AccessDenied) ? SysStatus::of(ErrorKind::Exists) : status;
    }
    const LString at = joinPath(path(), name);
    status = makeDirectory(at);
    if (!status.ok()) return status;
    uint32_t attributes = 0;
    status = openHeldDirectory(at, child, attributes);
    if (status.ok() && !child) return SysStatus::of(ErrorKind::Exists);
    return status;
}

FilePtr Win32Directory::createFile(const LString& name, bool text, bool mustBeNew, bool& isLink,
                                   uint32_t& error) {
    isLink = false;
    error = 0;
    FileHandle file;
    SysStatus status = SysStatus::of(ErrorKind::Other);
    if (held_) {
        status =
            createAt(held_.get(), name, GENERIC_WRITE | FILE_READ_ATTRIBUTES,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, mustBeNew ? FILE_CREATE : FILE_OPEN_IF,
                     FILE_NON_DIRECTORY_FILE | FILE_OPEN_REPARSE_POINT, file);
    }
    if (!held_ || status.is(ErrorKind::Other)) {
        const LString at = joinPath(path(), name);
        uint32_t attributes = 0;
        if (mustBeNew && readAttributes(at, attributes).ok()) {
            error = EEXIST;
            return nullptr;
        }
        return createFileNoLink(at, text, isLink, error);
    }
    if (!status.ok()) {
        error = errnoOf(status);
        return nullptr;
    }
    if (!isPlainFile(file.get())) {
        isLink = true;
        return nullptr;
    }
    if (!SetEndOfFile(file.get())) {
        error = errnoOf(lastSystemError());
        return nullptr;
    }
    // The C library takes the handle over: closing the stream closes it.
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.get()),
                                   _O_WRONLY | (text ? _O_TEXT : _O_BINARY));
    if (fd < 0) {
        error = EMFILE;
        return nullptr;
    }
    file.release();
    FilePtr stream(_fdopen(fd, text ? "w" : "wb"));
    if (!stream) {
        error = static_cast<uint32_t>(errno);
        _close(fd);
    }
    return stream;
}

}  // namespace

HANDLE directoryHandle(const Directory& directory) {
    const auto* own = dynamic_cast<const Win32Directory*>(&directory);
    return own ? own->handle() : nullptr;
}

SysStatus createAt(HANDLE directory, const LString& name, DWORD access, DWORD share,
                   ULONG disposition, ULONG options, FileHandle& created) {
    using NtCreateFileCall =
        NTSTATUS(NTAPI*)(PHANDLE, ACCESS_MASK, POBJECT_ATTRIBUTES, PIO_STATUS_BLOCK, PLARGE_INTEGER,
                         ULONG, ULONG, ULONG, ULONG, PVOID, ULONG);
    using StatusToErrorCall = ULONG(NTAPI*)(NTSTATUS);
    // ntdll is part of every process on the NT family; the 9x family does not have these.
    static const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    static const auto ntCreateFile =
        ntdll ? reinterpret_cast<NtCreateFileCall>(
                    reinterpret_cast<void*>(GetProcAddress(ntdll, "NtCreateFile")))
              : nullptr;
    static const auto toError = ntdll ? reinterpret_cast<StatusToErrorCall>(reinterpret_cast<void*>(
                                            GetProcAddress(ntdll, "RtlNtStatusToDosError")))
                                      : nullptr;
    if (!ntCreateFile || !toError || !directory || directory == INVALID_HANDLE_VALUE) {
        return SysStatus::of(ErrorKind::Other);
    }

    // The name in UTF-16, from the code page every other path of the launcher is in.
    const int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, nullptr, 0);
    if (length <= 1 || length > 32767) return SysStatus(ERROR_INVALID_NAME);
    std::vector<wchar_t> wide(static_cast<size_t>(length));
    if (MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide.data(), length) != length) {
        return lastSystemError();
    }
    UNICODE_STRING text;
    text.Buffer = wide.data();
    text.Length = static_cast<USHORT>((length - 1) * sizeof(wchar_t));
    text.MaximumLength = static_cast<USHORT>(length * sizeof(wchar_t));
    OBJECT_ATTRIBUTES object;
    InitializeObjectAttributes(&object, &text, OBJ_CASE_INSENSITIVE, directory, nullptr);
    IO_STATUS_BLOCK io;
    HANDLE handle = nullptr;
    const NTSTATUS status =
        ntCreateFile(&handle, access | SYNCHRONIZE, &object, &io, nullptr, FILE_ATTRIBUTE_NORMAL,
                     share, disposition, options | FILE_SYNCHRONOUS_IO_NONALERT, nullptr, 0);
    if (status < 0) return SysStatus(toError(status));
    created.reset(handle);
    return SysStatus();
}

SysStatus readAttributes(const LString& path, uint32_t& attributes) {
    const DWORD found = GetFileAttributesA(path.c_str());
    if (found == INVALID_FILE_ATTRIBUTES) return lastSystemError();
    attributes = found;
    return SysStatus();
}

SysStatus removeEntry(const LString& path, uint32_t attributes) {
    // The attributes of a link are left alone: changing them could reach what it leads to.
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        const DWORD cleared = attributes & kSettableAttributes & ~FILE_ATTRIBUTE_READONLY;
        SetFileAttributesA(path.c_str(), cleared == 0 ? FILE_ATTRIBUTE_NORMAL : cleared);
    }
    // RemoveDirectoryA removes a directory link or junction itself, not what it leads to.
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) return succeededIf(RemoveDirectoryA(path.c_str()));
    return succeededIf(DeleteFileA(path.c_str()));
}

SysStatus makeDirectory(const LString& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return SysStatus();
    const SysStatus failed = lastSystemError();
    // A name that a directory being deleted still holds answers "access denied": taken as well.
    if (failed.is(ErrorKind::AccessDenied)) return SysStatus(ERROR_ALREADY_EXISTS);
    return failed;
}

bool isOwnDirectory(const LString& path) {
    FileHandle handle(
        CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION info;
    if (!handle || !GetFileInformationByHandle(handle.get(), &info)) return false;
    return isPlainDirectory(info.dwFileAttributes);
}

namespace {

// A security identifier of at most two sub-authorities, laid out like the system's SID.
struct SmallSid {
    BYTE revision;
    BYTE count;
    SID_IDENTIFIER_AUTHORITY authority;
    DWORD sub[2];
};

const SmallSid kEveryone = {SID_REVISION, 1, SECURITY_WORLD_SID_AUTHORITY, {SECURITY_WORLD_RID, 0}};
const SmallSid kAuthenticatedUsers = {
    SID_REVISION, 1, SECURITY_NT_AUTHORITY, {SECURITY_AUTHENTICATED_USER_RID, 0}};
const SmallSid kUsers = {
    SID_REVISION, 2, SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_USERS}};
const SmallSid kSystem = {SID_REVISION, 1, SECURITY_NT_AUTHORITY, {SECURITY_LOCAL_SYSTEM_RID, 0}};
const SmallSid kAdministrators = {
    SID_REVISION, 2, SECURITY_NT_AUTHORITY, {SECURITY_BUILTIN_DOMAIN_RID, DOMAIN_ALIAS_RID_ADMINS}};

bool isSid(PSID sid, const SmallSid& known) {
    return EqualSid(sid, const_cast<SmallSid*>(&known)) != FALSE;
}

// The name of a group that stands for every user (or every user of the machine); null for any
// other identifier.
const char* everybodyGroupName(PSID sid) {
    if (isSid(sid, kEveryone)) return "Everyone";
    if (isSid(sid, kAuthenticatedUsers)) return "Authenticated Users";
    if (isSid(sid, kUsers)) return "Users";
    return nullptr;
}

// Releases what the security functions hand out with LocalAlloc.
struct LocalFreeDeleter {
    void operator()(void* p) const { LocalFree(p); }
};

// The user of this process's token, in `buffer`; null when it cannot be read.
PSID processUser(std::vector<BYTE>& buffer) {
    HANDLE raw = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &raw)) return nullptr;
    HandleHolder token(raw);
    DWORD size = 0;
    GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
    if (size < sizeof(TOKEN_USER)) return nullptr;
    buffer.assign(size, 0);
    if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size)) return nullptr;
    return reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
}

}  // namespace

LString othersWhoMayReplaceEntries(PSID owner, PACL dacl, PSID user) {
    if (owner && user && !EqualSid(owner, user) && !isSid(owner, kSystem) &&
        !isSid(owner, kAdministrators)) {
        return "it belongs to another user";
    }
    if (!dacl) return "it has no access list, which lets everybody change what is in it";
    constexpr DWORD kReplacing = DELETE | FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER | GENERIC_ALL;
    for (DWORD i = 0; i < dacl->AceCount; ++i) {
        void* ace = nullptr;
        if (!GetAce(dacl, i, &ace) || !ace) continue;
        if (static_cast<const ACE_HEADER*>(ace)->AceType != ACCESS_ALLOWED_ACE_TYPE) continue;
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if ((allowed->Mask & kReplacing) == 0) continue;
        if (const char* group = everybodyGroupName(&allowed->SidStart)) {
            return LString("its access list lets ") + group + " delete or rename what is in it";
        }
    }
    return LString();
}

bool othersMayReplaceEntries(const LString& path, LString& why) {
    // The Windows 9x family keeps no access lists.
    if (GetVersion() & 0x80000000u) return false;
    PSID owner = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR raw = nullptr;
    // Security that cannot be read gives no reason to refuse the directory; what cannot be
    // created or written there fails later with its own message.
    if (GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT,
                              OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &owner,
                              nullptr, &dacl, nullptr, &raw) != ERROR_SUCCESS) {
        return false;
    }
    const std::unique_ptr<void, LocalFreeDeleter> descriptor(raw);
    std::vector<BYTE> userBuffer;
    why = othersWhoMayReplaceEntries(owner, dacl, processUser(userBuffer));
    return !why.empty();
}

// The Windows 9x family has no MoveFileEx: there the file at `to` goes first.
SysStatus replaceFile(const LString& from, const LString& to) {
    if (MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING)) return SysStatus();
    if (GetLastError() != ERROR_CALL_NOT_IMPLEMENTED) return lastSystemError();
    DeleteFileA(to.c_str());
    return succeededIf(MoveFileA(from.c_str(), to.c_str()));
}

SysStatus makeExecutable(const LString&) { return SysStatus(); }

struct DirectoryListing::Impl {
    FindHandle find;
    WIN32_FIND_DATAA data{};
    bool pending = false;  // `data` holds the first entry, not handed out yet
};

DirectoryListing::DirectoryListing(const LString& directory) : impl_(new Impl) {
    HANDLE h = FindFirstFileA(joinPath(directory, "*").c_str(), &impl_->data);
    if (h == INVALID_HANDLE_VALUE) {
        status_ = lastSystemError();
        return;
    }
    impl_->find.reset(h);
    impl_->pending = true;
}

DirectoryListing::~DirectoryListing() = default;

bool DirectoryListing::isOpen() const { return impl_->find.valid(); }

bool DirectoryListing::next(DirectoryEntry& entry) {
    if (!isOpen()) return false;
    for (;;) {
        if (impl_->pending) {
            impl_->pending = false;
        } else if (!FindNextFileA(impl_->find.get(), &impl_->data)) {
            const SysStatus failed = lastSystemError();
            if (failed.code() != ERROR_NO_MORE_FILES) status_ = failed;
            return false;
        }
        const char* name = impl_->data.cFileName;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
        entry.name = name;
        entry.attributes = impl_->data.dwFileAttributes;
        return true;
    }
}

SysStatus openDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                        uint32_t& attributes) {
    return openHeldDirectory(path, directory, attributes);
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

SysStatus uniqueTempName(const LString& directory, const char* prefix, LString& name) {
    // GetTempFileNameA with a unique number of our own forms the name without creating a file.
    static thread_local UINT unique = (GetTickCount() ^ GetCurrentProcessId()) & 0xFFFF;
    unique = (unique * 69069 + 1) & 0xFFFF;
    if (unique == 0) unique = 1;
    char formed[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), prefix, unique, formed) == 0) return lastSystemError();
    name = formed;
    return SysStatus();
}

SysStatus createUniqueTempFile(const LString& directory, const char* prefix, LString& path) {
    char name[MAX_PATH + 1] = {};
    if (GetTempFileNameA(directory.c_str(), prefix, 0, name) == 0) return lastSystemError();
    path = name;
    return SysStatus();
}

LString freeSpaceRoot(const LString& path) {
    if (path.length() > 3 && path[1] == ':' && path[2] == '\\') return path.substr(0, 3);
    int drive = _getdrive();  // 1 = A; 0 when the current directory is a network path
    if (drive <= 0) return LString();
    return LString(1, static_cast<char>('A' + drive - 1)) + ":\\";
}

SysStatus queryDiskGeometry(const LString& root, DiskGeometry& geometry) {
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    // An empty root measures the volume of the current directory.
    if (!GetDiskFreeSpaceA(root.empty() ? nullptr : root.c_str(), &sectorsPerCluster,
                           &bytesPerSector, &freeClusters, &totalClusters)) {
        return lastSystemError();
    }
    geometry.bytesPerSector = bytesPerSector;
    geometry.sectorsPerCluster = sectorsPerCluster;
    geometry.freeClusters = freeClusters;
    geometry.totalClusters = totalClusters;
    return SysStatus();
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

SysStatus openExclusive(const LString& path) {
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    return file ? SysStatus() : lastSystemError();
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
