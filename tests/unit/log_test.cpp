#include "core/log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace wiz;
using wiztest::TempDir;

namespace {
// Restores the process-wide log settings after each test.
struct LogGuard {
    LogGuard() { separatorWritten = false; }
    ~LogGuard() {
        logFilePath = "";
        debugLogPath = "";
        separatorWritten = false;
    }
};
// Text-mode files on Windows store CR LF; compare with plain line feeds.
std::string readText(const std::string& path) {
    std::string s = TempDir::read(path), out;
    for (char c : s)
        if (c != '\r') out.push_back(c);
    return out;
}
}  // namespace

TEST(Log, SeparatorOncePerProcessAndPrefixes) {
    LogGuard guard;
    TempDir dir;
    writeLog("lost: no log file yet", kLogError);  // nothing written, separator still pending
    logFilePath = dir.file("a.log").c_str();
    writeLog("plain");
    writeLog("careful", kLogWarning);
    logFilePath = dir.file("b.log").c_str();  // a new path in the same run: no second separator
    writeLog("bad", kLogError);
    EXPECT_EQ(readText(dir.file("a.log")), "------------------\nplain\nWARNING: careful\n");
    EXPECT_EQ(readText(dir.file("b.log")), "ERROR: bad\n");
}

TEST(Log, AppendsToExistingFileAndIgnoresUnopenable) {
    LogGuard guard;
    TempDir dir;
    std::string path = dir.write("c.log", "earlier run\n");
    logFilePath = path.c_str();
    writeLog("next");
    EXPECT_EQ(readText(path), "earlier run\n------------------\nnext\n");
    logFilePath = dir.file("missing/dir/x.log").c_str();
    writeLog("dropped");  // must not fail
}

TEST(Log, DebugLog) {
    LogGuard guard;
    TempDir dir;
    debugLog("nowhere");
    debugLogPath = dir.file("dbg.log").c_str();
    debugLog("Console Launcher Started");
    debugLog("no newline ", false);
    debugLog("end");
    EXPECT_EQ(readText(dir.file("dbg.log")), "Console Launcher Started\nno newline end\n");
}
