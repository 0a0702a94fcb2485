#include "core/log.h"

#include <cstdio>

#include "platform/file.h"

namespace wiz {

LString logFilePath;
bool separatorWritten = false;
LString debugLogPath;
bool debugLogEnabled = false;

void writeLog(const LString& text, int kind) {
    if (logFilePath.empty()) return;
    FilePtr f = openFile(logFilePath, "a");
    if (!f) return;
    if (!separatorWritten) {
        std::fputs("------------------\n", f.get());
        separatorWritten = true;
    }
    const char* prefix = kind == kLogWarning ? "WARNING: " : kind == kLogError ? "ERROR: " : "";
    std::fprintf(f.get(), "%s%s\n", prefix, text.c_str());
    std::fflush(f.get());
}

void debugLog(const LString& text, bool newline) {
    if (debugLogPath.empty()) return;
    FilePtr f = openFile(debugLogPath, "a");
    if (!f) return;
    std::fprintf(f.get(), newline ? "%s\n" : "%s", text.c_str());
}

}  // namespace wiz
