#include "services/log.h"

#include <gtest/gtest.h>

#include "support/temp_dir.h"

using namespace wiz;
using wiztest::TempDir;

namespace {
// Restores the process-wide log settings after each test.
struct LogGuard {
    LogGuard() { wiz::logState().separatorWritten = false; }
    ~LogGuard() {
        wiz::logState().filePath = "";
        wiz::logState().debugPath = "";
        wiz::logState().separatorWritten = false;
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
    wiz::logState().filePath = dir.file("a.log").c_str();
    writeLog("plain");
    writeLog("careful", kLogWarning);
    wiz::logState().filePath =
        dir.file("b.log").c_str();  // a new path in the same run: no second separator
    writeLog("bad", kLogError);
    EXPECT_EQ(readText(dir.file("a.log")), "------------------\nplain\nWARNING: careful\n");
    EXPECT_EQ(readText(dir.file("b.log")), "ERROR: bad\n");
}

TEST(Log, AppendsToExistingFileAndIgnoresUnopenable) {
    LogGuard guard;
    TempDir dir;
    std::string path = dir.write("c.log", "earlier run\n");
    wiz::logState().filePath = path.c_str();
    writeLog("next");
    EXPECT_EQ(readText(path), "earlier run\n------------------\nnext\n");
    wiz::logState().filePath = dir.file("missing/dir/x.log").c_str();
    writeLog("dropped");  // must not fail
}

TEST(Log, DebugLog) {
    LogGuard guard;
    TempDir dir;
    debugLog("nowhere");
    wiz::logState().debugPath = dir.file("dbg.log").c_str();
    debugLog("Console Launcher Started");
    debugLog("no newline ", false);
    debugLog("end");
    EXPECT_EQ(readText(dir.file("dbg.log")), "Console Launcher Started\nno newline end\n");
}
