#include "tools/pack_job.h"

namespace wizpack {

const char* const kTypeNames[wiz::kEntryTypeCount] = {
    "instructions", "jvm",          "launchscript", "classpath",
    "jvminstaller", "verification", "application",  "launcher"};

void fail(const std::string& message) { throw PackError(message, 1); }
void usageError(const std::string& message) { throw PackError(message, 2); }

bool parseNumber(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 10) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= max;
}

int32_t parseType(const std::string& text) {
    uint64_t n = 0;
    if (parseNumber(text, wiz::kEntryTypeCount - 1, n)) return static_cast<int32_t>(n);
    for (int32_t t = 0; t < wiz::kEntryTypeCount; ++t)
        if (text == kTypeNames[t]) return t;
    fail("unknown entry type '" + text +
         "' (use 0..7 or instructions, jvm, launchscript, classpath, jvminstaller, "
         "verification, application, launcher)");
}

uint32_t parseUInt32(const std::string& option, const std::string& text) {
    uint64_t n = 0;
    if (!parseNumber(text, 0xFFFFFFFFu, n))
        fail("the value of " + option + " must be a number 0..4294967295, not '" + text + "'");
    return static_cast<uint32_t>(n);
}

std::string baseName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace wizpack
