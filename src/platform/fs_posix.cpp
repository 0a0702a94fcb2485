#include "platform/fs_posix.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/handle_posix.h"

namespace wiz {

namespace {

thread_local uint32_t lastError = 0;

bool fail() {
    lastError = static_cast<uint32_t>(errno);
    return false;
}

const char* const kPseudoFileSystems[] = {
    "autofs",    "binfmt_misc",     "bpf",        "cgroup",      "cgroup2",
    "configfs",  "debugfs",         "devpts",     "devtmpfs",    "efivarfs",
    "fusectl",   "hugetlbfs",       "iso9660",    "mqueue",      "nsfs",
    "proc",      "pstore",          "ramfs",      "rpc_pipefs",  "securityfs",
    "selinuxfs", "squashfs",        "sysfs",      "tmpfs",       "tracefs",
    "udf",       "fuse.gvfsd-fuse", "fuse.lxcfs", "fuse.portal", "nfsd",
};

const char* const kRuntimeTrees[] = {"/proc", "/sys", "/dev", "/run"};

bool isPseudo(const LString& type) {
    for (const char* t : kPseudoFileSystems) {
        if (type == t) return true;
    }
    return false;
}

bool inRuntimeTree(const LString& dir) {
    for (const char* t : kRuntimeTrees) {
        LString::size_type n = static_cast<LString::size_type>(std::strlen(t));
        if (dir.compare(0, n, t, n) == 0 && (dir.length() == n || dir[n] == '/')) return true;
    }
    return false;
}

// Decodes the "\ooo" escapes that the mount table uses for blanks, tabs and backslashes.
LString unescapeMountField(const LString& field) {
    LString out;
    for (LString::size_type i = 0; i < field.length(); ++i) {
        char c = field[i];
        if (c == '\\' && i + 3 < field.length() && field[i + 1] >= '0' && field[i + 1] <= '3' &&
            field[i + 2] >= '0' && field[i + 2] <= '7' && field[i + 3] >= '0' &&
            field[i + 3] <= '7') {
            out += static_cast<char>((field[i + 1] - '0') * 64 + (field[i + 2] - '0') * 8 +
                                     (field[i + 3] - '0'));
            i += 3;
        } else {
            out += c;
        }
    }
    return out;
}

LString nextField(const LString& line, LString::size_type& pos) {
    LString::size_type start = line.find_first_not_of(" \t", pos);
    if (start == LString::npos) {
        pos = line.length();
        return LString();
    }
    LString::size_type end = line.find_first_of(" \t", start);
    if (end == LString::npos) end = line.length();
    pos = end;
    return line.substr(start, end - start);
}

}  // namespace

void parseMountTable(const LString& text, StringList& mountPoints) {
    StringList seen;
    LString::size_type pos = 0;
    while (pos < text.length()) {
        LString::size_type eol = text.find('\n', pos);
        if (eol == LString::npos) eol = text.length();
        LString line = text.substr(pos, eol - pos);
        pos = eol + 1;

        LString::size_type cursor = 0;
        LString device = nextField(line, cursor);
        LString dir = unescapeMountField(nextField(line, cursor));
        LString type = nextField(line, cursor);
        if (device.empty() || dir.empty() || type.empty() || dir[0] != '/') continue;
        if (isPseudo(type) || inRuntimeTree(dir)) continue;
        bool duplicate = false;
        for (int32_t i = 0; i < mountPoints.count() && !duplicate; ++i) {
            duplicate = mountPoints.at(i) == dir;
        }
        if (!duplicate) mountPoints.append(dir);
    }
}

uint32_t lastFsError() { return lastError; }

FsError classifyFsError(uint32_t code) {
    switch (code) {
        case 0:
            return FsError::None;
        case ENOENT:
        case ENOTDIR:
            return FsError::NotFound;
        case EACCES:
        case EPERM:
            return FsError::AccessDenied;
        case EBUSY:
        case ETXTBSY:
            return FsError::SharingViolation;
        default:
            return FsError::Other;
    }
}

bool readAttributes(const LString& path, uint32_t& attributes) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return fail();
    uint32_t a = 0;
    if (S_ISDIR(st.st_mode)) a |= kAttrDirectory;
    if (S_ISLNK(st.st_mode))
        a |= kAttrLink;
    else if ((st.st_mode & S_IWUSR) == 0)
        a |= kAttrReadOnly;
    attributes = a;
    return true;
}

bool setReadOnly(const LString& path, bool readOnly) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return fail();
    if (S_ISLNK(st.st_mode)) return true;  // a link has no permissions of its own
    mode_t mode = st.st_mode & 07777;
    mode = readOnly ? (mode & ~static_cast<mode_t>(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (::chmod(path.c_str(), mode) != 0) return fail();
    return true;
}

bool removeFile(const LString& path) { return ::unlink(path.c_str()) == 0 || fail(); }
bool removeDirectory(const LString& path) { return ::rmdir(path.c_str()) == 0 || fail(); }
// Temporary directories are private to the user.
bool makeDirectory(const LString& path) { return ::mkdir(path.c_str(), 0700) == 0 || fail(); }

bool makeExecutable(const LString& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return fail();
    const mode_t readable = st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    return ::chmod(path.c_str(), (st.st_mode & 07777) | (readable >> 2)) == 0 || fail();
}

struct DirectoryListing::Impl {
    UniqueDir dir;
    LString path;  // with a trailing separator
};

DirectoryListing::DirectoryListing(const LString& directory) : impl_(new Impl) {
    impl_->path = directory;
    if (impl_->path.empty() || impl_->path[impl_->path.length() - 1] != '/') impl_->path += '/';
    impl_->dir.reset(::opendir(directory.empty() ? "." : directory.c_str()));
    if (!impl_->dir) {
        error_ = static_cast<uint32_t>(errno);
        lastError = error_;
    }
}

DirectoryListing::~DirectoryListing() = default;

bool DirectoryListing::open() const { return impl_->dir != nullptr; }

bool DirectoryListing::next(Entry& entry) {
    if (!open()) return false;
    for (;;) {
        errno = 0;
        struct dirent* d = ::readdir(impl_->dir.get());
        if (!d) {
            error_ = static_cast<uint32_t>(errno);
            if (error_) lastError = error_;
            return false;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        entry.name = d->d_name;
        if (d->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (d->d_type != DT_UNKNOWN) {
            entry.isDirectory = false;
        } else {
            struct stat st;
            LString full = impl_->path + entry.name;
            entry.isDirectory = ::lstat(full.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        return true;
    }
}

LString systemTempPath() {
    LString dir = getEnvironmentText("TMPDIR");
    if (dir.empty()) dir = "/tmp";
    if (dir[dir.length() - 1] != '/') dir += '/';
    return dir;
}

bool createUniqueTempFile(const LString& directory, const char* prefix, LString& path) {
    static thread_local std::mt19937 random{std::random_device{}()};
    LString dir = directory;
    if (!dir.empty() && dir[dir.length() - 1] != '/') dir += '/';
    // Eight hexadecimal digits, retried on a clash like the system's unique names.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(random()));
        LString name = dir + prefix + hex + ".tmp";
        UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.valid()) {
            path = name;
            return true;
        }
        if (errno != EEXIST) return fail();
    }
    errno = EEXIST;
    return fail();
}

namespace {

// Removes everything inside the open directory `dirFd` (at `path`); true when all is gone.
bool removeContents(TreeRemoval& removal, int dirFd, const LString& path) {
    std::vector<std::string> names;
    {
        UniqueFd listed(::dup(dirFd));
        UniqueDir dir(listed.valid() ? ::fdopendir(listed.get()) : nullptr);
        if (!dir) {
            removal.failedToRemove(path, static_cast<uint32_t>(errno));
            return false;
        }
        listed.release();  // the stream owns it now
        errno = 0;
        while (struct dirent* d = ::readdir(dir.get())) {
            if (std::strcmp(d->d_name, ".") != 0 && std::strcmp(d->d_name, "..") != 0) {
                names.push_back(d->d_name);
            }
        }
        if (errno != 0) {
            removal.failedToRemove(path, static_cast<uint32_t>(errno));
            return false;
        }
    }
    bool all = true;
    bool ownFailure = false;
    for (const std::string& name : names) {
        const LString full = path + "/" + LString(name);
        struct stat st;
        if (::fstatat(dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) {
            if (errno == ENOENT) continue;
            removal.failedToRemove(full, static_cast<uint32_t>(errno));
            all = false;
            ownFailure = true;
            continue;
        }
        if (S_ISDIR(st.st_mode)) {
            removal.beforeEntering(full);
            // O_NOFOLLOW: a directory swapped for a link since it was listed is not entered.
            UniqueFd sub(
                ::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
            if (!sub.valid() && (errno == ELOOP || errno == ENOTDIR)) {
                if (::unlinkat(dirFd, name.c_str(), 0) != 0) {
                    removal.failedToRemove(full, static_cast<uint32_t>(errno));
                    all = false;
                    ownFailure = true;
                }
                continue;
            }
            if (!sub.valid()) {
                removal.failedToRemove(full, static_cast<uint32_t>(errno));
                all = false;
                ownFailure = true;
                continue;
            }
            if (!removeContents(removal, sub.get(), full)) {
                all = false;
                continue;
            }
            if (::unlinkat(dirFd, name.c_str(), AT_REMOVEDIR) != 0) {
                removal.failedToRemove(full, static_cast<uint32_t>(errno));
                removal.keptDirectory(full);
                all = false;
            }
            continue;
        }
        if (removal.keepFile(full)) {
            all = false;
            ownFailure = true;
        } else if (::unlinkat(dirFd, name.c_str(), 0) != 0) {
            removal.failedToRemove(full, static_cast<uint32_t>(errno));
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
    while (root.length() > 1 && root[root.length() - 1] == '/') root.erase(root.length() - 1);
    UniqueFd dir(::open(root.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!dir.valid()) {
        if (errno == ENOENT) return true;
        // A link or a file is removed itself.
        if (errno == ELOOP || errno == ENOTDIR) {
            if (::unlink(root.c_str()) == 0) return true;
        }
        failedToRemove(root, static_cast<uint32_t>(errno));
        return false;
    }
    if (!removeContents(*this, dir.get(), root)) return false;
    dir.reset();
    if (::rmdir(root.c_str()) != 0) {
        failedToRemove(root, static_cast<uint32_t>(errno));
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

// Whether `path` is a real directory (not a link) of this user that only this user may use.
bool isOwnPrivateDirectory(const LString& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    return fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

}  // namespace

bool createUniqueDirectory(const LString& directory, const char* prefix, LString& path) {
    static thread_local std::mt19937 random{std::random_device{}()};
    LString dir = directory;
    if (!dir.empty() && dir[dir.length() - 1] != '/') dir += '/';
    const UniqueDirectoryHooks& hooks = uniqueDirectoryHooks();
    for (int attempt = 0; attempt < 100; ++attempt) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(random()));
        const LString name = dir + prefix + hex + ".tmp";
        if (hooks.beforeCreate) hooks.beforeCreate(name);
        // mkdir fails on anything that already has the name, a link included.
        if (::mkdir(name.c_str(), 0700) != 0) {
            if (errno == EEXIST) continue;
            return fail();
        }
        if (hooks.afterCreate) hooks.afterCreate(name);
        if (!isOwnPrivateDirectory(name)) continue;
        path = name;
        return true;
    }
    errno = EEXIST;
    return fail();
}

LString freeSpaceRoot(const LString& path) { return path.empty() ? LString(".") : path; }

bool queryDiskGeometry(const LString& root, DiskGeometry& geometry) {
    struct statvfs vfs;
    if (::statvfs(root.c_str(), &vfs) != 0) return fail();
    unsigned long block = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    geometry.bytesPerSector = static_cast<uint32_t>(block);
    geometry.sectorsPerCluster = 1;
    geometry.freeClusters = vfs.f_bavail;
    geometry.totalClusters = vfs.f_blocks;
    return true;
}

void listDriveRoots(StringList& roots, bool& anyDrive) {
    anyDrive = true;
    StringList points;
    FilePtr f = openFile("/proc/self/mounts", "r");
    if (f) {
        LString text;
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f.get())) > 0) {
            text.append(buf, static_cast<LString::size_type>(n));
        }
        parseMountTable(text, points);
    } else {
        points.append("/");  // without a mount table, the whole tree is one drive
    }
    for (int32_t i = 0; i < points.count(); ++i) {
        struct stat st;
        // Single files can be mount points too (a container's /etc/hosts): not a drive.
        if (::stat(points.at(i).c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
            roots.append(points.at(i));
        }
    }
}

uint64_t volumeId(const LString& path) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return 0;
    return static_cast<uint64_t>(st.st_dev) + 1;
}

bool openExclusive(const LString& path, uint32_t& error) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) {
        error = static_cast<uint32_t>(errno);
        lastError = error;
        return false;
    }
    struct stat st;
    bool directory = ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode);
    // A directory is not a file, as on Windows, where it cannot be opened this way.
    error = directory ? EISDIR : 0;
    if (directory) lastError = error;
    return !directory;
}

LString fullPath(const LString& path) {
    if (!path.empty() && path[0] == '/') return path;
    std::vector<char> buffer(4096);
    while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
        if (errno != ERANGE) return path;
        buffer.resize(buffer.size() * 2);
    }
    LString full(buffer.data());
    if (path.empty()) return full;
    if (full[full.length() - 1] != '/') full += '/';
    return full + path;
}

LString shortPathName(const LString& path) { return path; }

}  // namespace wiz
