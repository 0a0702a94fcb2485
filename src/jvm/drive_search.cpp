#include "jvm/drive_search.h"

#include "base/exceptions.h"
#include "platform/environment.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/messages.h"
#include "tempfiles/cleanup.h"
#include "tempfiles/temp_files.h"
#include "wiz_test_seams.h"

namespace wiz {

namespace {

// The drive search: a cancellable walk that leaves out the temporary directory, the recycle
// folders at the drive's root and, where volumes nest (POSIX), other mounted file systems.
class DriveSearch : public DirectoryWalker {
public:
    DriveSearch(const StringList& names, FileVisitor& visitor, const LString& root,
                const LString& tempDir)
        : names_(names),
          visitor_(visitor),
          root_(root),
          tempDir_(tempDir),
          rootVolume_(volumeId(root)) {
        cancellable = 1;
        for (int32_t i = 0; i < names.count(); ++i) fileNames_.append(lastComponent(names.at(i)));
    }

    bool skipDirectory(const LString& dir) override {
        if (equalsNoCase(dir, tempDir_)) return true;
        if (dir.length() > root_.length()) {
            // At the drive's root: the recycle bins (a JDK the user deleted is no candidate) and
            // the system's own volume data. `dir` ends with a separator.
            const LString name = dir.substr(root_.length(), dir.length() - root_.length() - 1);
            if (startsWithNoCase(name, "RECYCLE") || equalsNoCase(name, "$Recycle.Bin") ||
                equalsNoCase(name, "System Volume Information")) {
                return true;
            }
        }
        return rootVolume_ != 0 && dir.length() > root_.length() && volumeId(dir) != rootVolume_;
    }

    // Only a file named like the last part of a searched name can match it.
    bool wantsFile(const LString& name) override {
        for (int32_t i = 0; i < fileNames_.count(); ++i) {
            if (equalsNoCase(name, fileNames_.at(i))) return true;
        }
        return false;
    }

    bool visitFile(const LString& path) override {
        for (int32_t i = 0; i < names_.count(); ++i) {
            if (matchesFileName(path, names_.at(i)) && visitor_.visit(path)) return true;
        }
        return false;
    }

private:
    const StringList& names_;
    StringList fileNames_;  // the last part of each name
    FileVisitor& visitor_;
    LString root_;
    LString tempDir_;
    uint64_t rootVolume_;
};

}  // namespace

void listDrives(StringList& list) {
    if constexpr (kTestSeams) {
        // The end-to-end tests name the drives they let the search walk, separated like PATH
        // entries, so that it walks a small tree of theirs and never the machine's disks.
        const LString named = getEnvironmentText("WIZ_SEARCH_DRIVES");
        if (!named.empty()) {
            const char separator = kPathSeparator == '/' ? ':' : ';';
            LString::size_type start = 0;
            while (start <= named.length()) {
                LString::size_type end = named.find(separator, start);
                if (end == LString::npos) end = named.length();
                if (end > start) list.append(named.substr(start, end - start));
                start = end + 1;
            }
            return;
        }
    }
    bool anyDrive = false;
    listDriveRoots(list, anyDrive);
    if (!anyDrive) throw LauncherException(loadString(StringId::NoDrives));
}

bool matchesFileName(const LString& path, const LString& name) {
    if (name.empty() || name.length() > path.length()) return false;
    const LString::size_type start = path.length() - name.length();
    if (!equalsNoCase(path.substr(start), name)) return false;
    return start == 0 || isPathSeparator(path[start - 1]);
}

bool searchDrive(const LString& root, const StringList& names, FileVisitor& visitor) {
    LString start = root;
    ensureTrailingSeparator(start);
    LString tempDir = tempFiles().directory.empty() ? systemTempPath() : tempFiles().directory;
    ensureTrailingSeparator(tempDir);
    DriveSearch search(names, visitor, start, tempDir);
    return search.walk(start);
}

void searchDrives(const StringList& names, FileVisitor& visitor) {
    StringList drives;
    listDrives(drives);
    for (int32_t i = 0; i < drives.count(); ++i) {
        if (searchDrive(drives.at(i), names, visitor) || hostState().cancelRequested) return;
    }
}

}  // namespace wiz
