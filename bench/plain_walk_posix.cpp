// The reference walk on POSIX: opendir and readdir, the entry type from readdir (lstat only
// where the file system does not tell it).
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "plain_walk.h"

namespace wizbench {

namespace {

// Each directory is read to its end and closed before its subdirectories are entered, so only
// one directory is open at a time.
void walkDirectory(const std::string& directory, const char* name) {
    std::vector<std::string> subdirectories;
    DIR* dir = ::opendir(directory.c_str());
    if (!dir) return;
    while (dirent* entry = ::readdir(dir)) {
        const char* base = entry->d_name;
        if (base[0] == '.' && (base[1] == 0 || (base[1] == '.' && base[2] == 0))) continue;
        bool isDirectory = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN) {
            struct stat st;
            isDirectory =
                ::lstat((directory + "/" + base).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDirectory) {
            subdirectories.push_back(directory + "/" + base);
        } else if (::strcasecmp(base, name) == 0) {
            std::printf("%s/%s\n", directory.c_str(), base);
        }
    }
    ::closedir(dir);
    for (const std::string& subdirectory : subdirectories) walkDirectory(subdirectory, name);
}

}  // namespace

int plainWalk(const std::string& root, const std::string& name) {
    walkDirectory(root, name.c_str());
    return 0;
}

}  // namespace wizbench
