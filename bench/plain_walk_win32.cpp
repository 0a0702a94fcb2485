// The reference walk on Windows: FindFirstFileA and FindNextFileA over "DIR\*", names compared
// with the C library's _stricmp; reparse points (links, junctions) are not entered.
#include <string.h>
#include <windows.h>

#include <cstdio>
#include <vector>

#include "plain_walk.h"

namespace wizbench {

namespace {

// Each directory is listed to its end and closed before its subdirectories are entered, so only
// one search handle is open at a time.
void walkDirectory(const std::string& directory, const char* name) {
    std::vector<std::string> subdirectories;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((directory + "\\*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const char* base = data.cFileName;
        if (base[0] == '.' && (base[1] == 0 || (base[1] == '.' && base[2] == 0))) continue;
        const DWORD attributes = data.dwFileAttributes;
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            subdirectories.push_back(directory + "\\" + base);
        } else if (_stricmp(base, name) == 0) {
            std::printf("%s\\%s\n", directory.c_str(), base);
        }
    } while (FindNextFileA(find, &data));
    FindClose(find);
    for (const std::string& subdirectory : subdirectories) walkDirectory(subdirectory, name);
}

}  // namespace

int plainWalk(const std::string& root, const std::string& name) {
    std::string start = root;
    while (start.size() > 3 && (start.back() == '\\' || start.back() == '/')) start.pop_back();
    walkDirectory(start, name.c_str());
    return 0;
}

}  // namespace wizbench
