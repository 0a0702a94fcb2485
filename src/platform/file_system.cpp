#include "platform/file_system.h"

namespace wiz {

SysStatus SystemFileSystem::readAttributes(const LString& path, uint32_t& attributes) {
    return wiz::readAttributes(path, attributes);
}

SysStatus SystemFileSystem::removeEntry(const LString& path, uint32_t attributes) {
    return wiz::removeEntry(path, attributes);
}

SysStatus SystemFileSystem::openDirectory(const LString& path,
                                          std::unique_ptr<Directory>& directory,
                                          uint32_t& attributes) {
    return wiz::openDirectory(path, directory, attributes);
}

SysStatus SystemFileSystem::uniqueTempName(const LString& directory, const char* prefix,
                                           LString& name) {
    return wiz::uniqueTempName(directory, prefix, name);
}

SysStatus SystemFileSystem::makeDirectory(const LString& path) { return wiz::makeDirectory(path); }

bool SystemFileSystem::isOwnDirectory(const LString& path) { return wiz::isOwnDirectory(path); }

FileSystem& systemFileSystem() {
    static SystemFileSystem system;
    return system;
}

}  // namespace wiz
