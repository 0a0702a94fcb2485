#include "tempfiles/unique_directory.h"

#include "platform/path.h"

namespace wiz {

SysStatus createUniqueDirectory(FileSystem& fs, const LString& directory, const char* prefix,
                                LString& path) {
    for (int attempt = 0; attempt < kUniqueDirectoryAttempts; ++attempt) {
        LString name;
        const SysStatus named = fs.uniqueTempName(directory, prefix, name);
        if (!named.ok()) return named;
        // Creating fails on anything that already has the name, a link included.
        const SysStatus made = fs.makeDirectory(name);
        if (made.is(ErrorKind::Exists)) continue;
        if (!made.ok()) return made;
        // Whatever is at the name now is left alone when it is not what was created.
        if (!fs.isOwnDirectory(name)) continue;
        path = name;
        return SysStatus();
    }
    return SysStatus::of(ErrorKind::Exists);
}

SysStatus createUniqueChildDirectory(FileSystem& fs, Directory& parent, const char* prefix,
                                     std::unique_ptr<Directory>& made) {
    for (int attempt = 0; attempt < kUniqueDirectoryAttempts; ++attempt) {
        LString name;
        const SysStatus named = fs.uniqueTempName(parent.path(), prefix, name);
        if (!named.ok()) return named;
        // Fails on anything that already has the name, and on anything but the directory it made
        // by the time it opens it.
        const SysStatus madeChild = fs.makeChild(parent, lastComponent(name), made);
        if (madeChild.is(ErrorKind::Exists)) continue;
        return madeChild;
    }
    return SysStatus::of(ErrorKind::Exists);
}

}  // namespace wiz
