#include <string>

#include "platform/win32.h"
#include "unit/child_process_support.h"

namespace wiztest {

std::string testExecutableDirectory() {
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path, n);
    return s.substr(0, s.find_last_of('\\'));
}

}  // namespace wiztest
