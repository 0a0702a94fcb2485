#include "services/log.h"

#include <cstdio>
#include <mutex>

#include "platform/file.h"

namespace wiz {

namespace {

std::mutex& logLock() {
    static std::mutex lock;
    return lock;
}

const char* prefixOf(int kind) {
    return kind == kLogWarning ? "WARNING: " : kind == kLogError ? "ERROR: " : "";
}

}  // namespace

LogState& logState() {
    static LogState state;
    return state;
}

void writeLog(const LString& text, int kind) { writeLogText(text.c_str(), kind); }

void writeLogText(const char* text, int kind) {
    std::lock_guard<std::mutex> guard(logLock());
    LogState& log = logState();
    if (log.filePath.empty()) return;
    // Never appended through a link, to a file with other names or into a FIFO or device.
    bool refused = false;
    FilePtr f = appendFileNoLink(log.filePath, refused);
    if (!f) return;
    if (!log.separatorWritten) {
        std::fputs("------------------\n", f.get());
        log.separatorWritten = true;
    }
    if (!log.pending.empty()) {
        std::fputs(log.pending.c_str(), f.get());
        log.pending = LString();
    }
    std::fprintf(f.get(), "%s%s\n", prefixOf(kind), text);
    std::fflush(f.get());
}

void writeLogOnceOpen(const LString& text, int kind) {
    std::lock_guard<std::mutex> guard(logLock());
    logState().pending += prefixOf(kind) + text + "\n";
}

bool logEnabled() {
    std::lock_guard<std::mutex> guard(logLock());
    return !logState().filePath.empty();
}

void debugLog(const LString& text, bool newline) {
    std::lock_guard<std::mutex> guard(logLock());
    const LogState& log = logState();
    if (log.debugPath.empty()) return;
    FilePtr f = openFile(log.debugPath, "a");
    if (!f) return;
    std::fprintf(f.get(), newline ? "%s\n" : "%s", text.c_str());
}

}  // namespace wiz
