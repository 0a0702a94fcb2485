// The file-system operations of the temporary-file algorithms (tree removal, unique directories,
// the removal of what the launcher registered) as one interface, so that a test can hand them a
// file system of its own: the system's one wrapped to act at the worst moment (a directory
// swapped for a link just before it is entered, a file kept as if another process held it), or
// a tree in memory for the sanitizers and the fuzzer. The launcher uses systemFileSystem().
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "base/lstring.h"
#include "platform/fs.h"
#include "platform/system_error.h"

namespace wiz {

class FileSystem {
public:
    virtual ~FileSystem() = default;

    // The calls of fs.h of the same names.
    virtual SysStatus readAttributes(const LString& path, uint32_t& attributes) = 0;
    virtual SysStatus removeEntry(const LString& path, uint32_t attributes) = 0;
    virtual SysStatus openDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                                    uint32_t& attributes) = 0;
    virtual SysStatus uniqueTempName(const LString& directory, const char* prefix,
                                     LString& name) = 0;
    virtual SysStatus makeDirectory(const LString& path) = 0;
    virtual bool isOwnDirectory(const LString& path) = 0;

    // The operations on a directory this file system opened. They go to the directory itself;
    // a wrapper steps in here.
    virtual SysStatus list(Directory& directory, std::vector<DirectoryEntry>& entries) {
        return directory.list(entries);
    }
    virtual SysStatus openChild(Directory& parent, const LString& name,
                                std::unique_ptr<Directory>& child, uint32_t& attributes) {
        return parent.openChild(name, child, attributes);
    }
    virtual SysStatus removeChild(Directory& parent, const LString& name, uint32_t attributes) {
        return parent.removeChild(name, attributes);
    }
    virtual SysStatus makeChild(Directory& parent, const LString& name,
                                std::unique_ptr<Directory>& child) {
        return parent.makeChild(name, child);
    }
};

// The operating system's file system: the calls of fs.h.
class SystemFileSystem : public FileSystem {
public:
    SysStatus readAttributes(const LString& path, uint32_t& attributes) override;
    SysStatus removeEntry(const LString& path, uint32_t attributes) override;
    SysStatus openDirectory(const LString& path, std::unique_ptr<Directory>& directory,
                            uint32_t& attributes) override;
    SysStatus uniqueTempName(const LString& directory, const char* prefix, LString& name) override;
    SysStatus makeDirectory(const LString& path) override;
    bool isOwnDirectory(const LString& path) override;
};

// The one the launcher uses.
FileSystem& systemFileSystem();

}  // namespace wiz
