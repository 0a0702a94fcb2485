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
#include <utility>
#include <vector>

#include "platform/environment.h"
#include "platform/file.h"
#include "platform/file_at_posix.h"
#include "platform/fs.h"
#include "platform/handle_posix.h"
#include "platform/path.h"

namespace wiz {

namespace {

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

namespace {

SysStatus succeededOr(int result) { return result == 0 ? SysStatus() : lastSystemError(); }

// The kind of entry a file mode gives: directory, link or anything else.
uint32_t kindAttributes(mode_t mode) {
    if (S_ISDIR(mode)) return kAttrDirectory;
    if (S_ISLNK(mode)) return kAttrLink;
    return 0;
}

// The next entry of `stream` but "." and ".."; false at the end of the stream (status stays
// success) or on a failure (status).
bool readEntry(DIR* stream, DirectoryEntry& entry, SysStatus& status) {
    for (;;) {
        errno = 0;
        struct dirent* d = ::readdir(stream);
        if (!d) {
            status = SysStatus(static_cast<uint32_t>(errno));
            return false;
        }
        if (std::strcmp(d->d_name, ".") == 0 || std::strcmp(d->d_name, "..") == 0) continue;
        entry.name = d->d_name;
        if (d->d_type == DT_DIR) {
            entry.attributes = kAttrDirectory;
        } else if (d->d_type == DT_LNK) {
            entry.attributes = kAttrLink;
        } else if (d->d_type != DT_UNKNOWN) {
            entry.attributes = 0;
        } else {
            // Some file systems leave the kind to a stat call.
            struct stat st;
            const bool known = ::fstatat(::dirfd(stream), d->d_name, &st, AT_SYMLINK_NOFOLLOW) == 0;
            entry.attributes = known ? kindAttributes(st.st_mode) : 0;
        }
        return true;
    }
}

class PosixDirectory : public Directory {
public:
    PosixDirectory(const LString& path, UniqueFd fd) : Directory(path), fd_(std::move(fd)) {}

    SysStatus list(std::vector<DirectoryEntry>& entries) override;
    SysStatus openChild(const LString& name, std::unique_ptr<Directory>& child,
                        uint32_t& attributes) override;
    SysStatus removeChild(const LString& name, uint32_t attributes) override {
        // A link, even one to a directory, is unlinked; only a real directory needs rmdir.
        const int flags = isPlainDirectory(attributes) ? AT_REMOVEDIR : 0;
        return succeededOr(::unlinkat(fd_.get(), name.c_str(), flags));
    }
    SysStatus makeChild(const LString& name, std::unique_ptr<Directory>& child) override;
    FilePtr createFile(const LString& name, bool text, bool mustBeNew, bool& isLink,
                       uint32_t& error) override {
        return createFileAt(fd_.get(), name, text, mustBeNew, isLink, error);
    }

    int descriptor() const { return fd_.get(); }

private:
    UniqueFd fd_;
};

// Opens `name` relative to `dirFd` as a directory, never through a link.
SysStatus openDirectoryAt(int dirFd, const LString& name, const LString& path,
                          std::unique_ptr<Directory>& directory, uint32_t& attributes) {
    // O_NOFOLLOW: a link fails with ELOOP instead of being followed, even one that replaced the
    // directory after it was listed; a file fails with ENOTDIR.
    UniqueFd fd(::openat(dirFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (!fd.valid()) {
        const int error = errno;
        if (error != ELOOP && error != ENOTDIR) return SysStatus(static_cast<uint32_t>(error));
        attributes = error == ELOOP ? kAttrLink : 0;
        return SysStatus();
    }
    attributes = kAttrDirectory;
    directory.reset(new PosixDirectory(path, std::move(fd)));
    return SysStatus();
}

SysStatus PosixDirectory::list(std::vector<DirectoryEntry>& entries) {
    // The stream gets a descriptor of its own (sharing the position, hence the rewind), so that
    // this one stays open for the *at calls.
    UniqueFd listed(::fcntl(fd_.get(), F_DUPFD_CLOEXEC, 0));
    if (!listed.valid()) return lastSystemError();
    UniqueDir stream(::fdopendir(listed.get()));
    if (!stream) return lastSystemError();
    listed.release();  // the stream owns it now
    ::rewinddir(stream.get());
    DirectoryEntry entry;
    SysStatus status;
    while (readEntry(stream.get(), entry, status)) entries.push_back(entry);
    return status;
}

SysStatus PosixDirectory::makeChild(const LString& name, std::unique_ptr<Directory>& child) {
    if (::mkdirat(fd_.get(), name.c_str(), 0700) != 0) return lastSystemError();
    // Only what was made here is opened: anything else at the name by now (a link, a file) is
    // taken as a name in use.
    uint32_t attributes = 0;
    const SysStatus opened =
        openDirectoryAt(fd_.get(), name, joinPath(path(), name), child, attributes);
    if (opened.ok() && !child) return SysStatus::of(ErrorKind::Exists);
    return opened;
}

SysStatus PosixDirectory::openChild(const LString& name, std::unique_ptr<Directory>& child,
                                    uint32_t& attributes) {
    return openDirectoryAt(fd_.get(), name, joinPath(path(), name), child, attributes);
}

}  // namespace

int directoryDescriptor(const Directory& directory) {
    const auto* own = dynamic_cast<const PosixDirectory*>(&directory);
    return own ? own->descriptor() : -1;
}

SysStatus readAttributes(const LString& path, uint32_t& attributes) {
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) return lastSystemError();
    attributes = kindAttributes(st.st_mode);
    if (!S_ISLNK(st.st_mode) && (st.st_mode & S_IWUSR) == 0) attributes |= kAttrReadOnly;
    return SysStatus();
}

SysStatus removeEntry(const LString& path, uint32_t attributes) {
    return succeededOr(isPlainDirectory(attributes) ? ::rmdir(path.c_str())
                                                    : ::unlink(path.c_str()));
}

SysStatus makeDirectory(const LString& path) { return succeededOr(::mkdir(path.c_str(), 0700)); }

bool isOwnDirectory(const LString& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st;
    return fd.valid() && ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode) &&
           st.st_uid == ::geteuid() && (st.st_mode & 077) == 0;
}

SysStatus replaceFile(const LString& from, const LString& to) {
    return succeededOr(::rename(from.c_str(), to.c_str()));
}

SysStatus makeExecutable(const LString& path) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0) return lastSystemError();
    const mode_t readable = st.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    return succeededOr(::chmod(path.c_str(), (st.st_mode & 07777) | (readable >> 2)));
}

struct DirectoryListing::Impl {
    UniqueDir stream;
};

DirectoryListing::DirectoryListing(const LString& directory) : impl_(new Impl) {
    impl_->stream.reset(::opendir(directory.empty() ? "." : directory.c_str()));
    if (!impl_->stream) status_ = lastSystemError();
}

DirectoryListing::~DirectoryListing() = default;

bool DirectoryListing::isOpen() const { return impl_->stream != nullptr; }

bool DirectoryListing::next(DirectoryEntry& entry) {
    return isOpen() && readEntry(impl_->stream.get(), entry, status_);
}

SysStatus openDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                        uint32_t& attributes) {
    return openDirectoryAt(AT_FDCWD, path, path, directory, attributes);
}

bool othersMayReplaceEntries(const LString& path, LString& why) {
    struct stat st;
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
    if (st.st_uid != ::geteuid() && st.st_uid != 0) {
        why = "it belongs to another user";
        return true;
    }
    if ((st.st_mode & S_IWOTH) == 0 || (st.st_mode & S_ISVTX) != 0) return false;
    why = "it is writable for everybody without the sticky bit";
    return true;
}

LString systemTempPath() {
    LString dir = getEnvironmentText("TMPDIR");
    if (dir.empty()) dir = "/tmp";
    if (dir[dir.length() - 1] != '/') dir += '/';
    return dir;
}

SysStatus uniqueTempName(const LString& directory, const char* prefix, LString& name) {
    static thread_local std::mt19937 random{std::random_device{}()};
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(random()));
    name = joinPath(directory, LString(prefix) + hex + ".tmp");
    return SysStatus();
}

SysStatus createUniqueTempFile(const LString& directory, const char* prefix, LString& path) {
    // Retried on a clash, like the system's unique names on Windows.
    for (int attempt = 0; attempt < 100; ++attempt) {
        LString name;
        SysStatus named = uniqueTempName(directory, prefix, name);
        if (!named.ok()) return named;
        UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        if (fd.valid()) {
            path = name;
            return SysStatus();
        }
        if (errno != EEXIST) return lastSystemError();
    }
    return SysStatus::of(ErrorKind::Exists);
}

LString freeSpaceRoot(const LString& path) { return path.empty() ? LString(".") : path; }

SysStatus queryDiskGeometry(const LString& root, DiskGeometry& geometry) {
    struct statvfs vfs;
    if (::statvfs(root.c_str(), &vfs) != 0) return lastSystemError();
    unsigned long block = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    geometry.bytesPerSector = static_cast<uint32_t>(block);
    geometry.sectorsPerCluster = 1;
    geometry.freeClusters = vfs.f_bavail;
    geometry.totalClusters = vfs.f_blocks;
    return SysStatus();
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

SysStatus openExclusive(const LString& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.valid()) return lastSystemError();
    struct stat st;
    // A directory is not a file, as on Windows, where it cannot be opened this way.
    const bool directory = ::fstat(fd.get(), &st) == 0 && S_ISDIR(st.st_mode);
    return directory ? SysStatus(EISDIR) : SysStatus();
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
