// The byte patterns the test child writes, shared with the tests that check what was captured,
// and how the test child starts a process of its own.
#pragma once

#include <cstdio>
#include <string>

namespace wiztest {

// The first `bytes` bytes of numbered 8-byte records ("o000000|o000001|..." for tag 'o'), so a
// lost, doubled or reordered chunk shows. No line breaks: text-mode output keeps them as they are.
inline std::string childPattern(char tag, size_t bytes) {
    std::string s;
    s.reserve(bytes + 8);
    char record[16];
    for (unsigned long i = 0; s.size() < bytes; ++i) {
        std::snprintf(record, sizeof record, "%c%06lu|", tag, i % 1000000ul);
        s += record;
    }
    s.resize(bytes);
    return s;
}

// Starts `commandLine` without waiting for it; the new process shares the test child's standard
// streams, pipes included (proc_child_posix.cpp, proc_child_win32.cpp). Returns false when it
// cannot be started.
bool startInBackground(const std::string& commandLine);

}  // namespace wiztest
