#include <filesystem>

#include "unit/child_process_support.h"

namespace wiztest {

std::string testExecutableDirectory() {
    return std::filesystem::canonical("/proc/self/exe").parent_path().string();
}

}  // namespace wiztest
