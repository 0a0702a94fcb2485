#include <unistd.h>

#include <vector>

#include "platform/process_info.h"

namespace wiz {

LString modulePath() {
    std::vector<char> buffer(4096);
    while (true) {
        ssize_t n = ::readlink("/proc/self/exe", buffer.data(), buffer.size());
        if (n < 0) return LString();
        if (static_cast<size_t>(n) < buffer.size()) {
            return LString(buffer.data(), static_cast<LString::size_type>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace wiz
