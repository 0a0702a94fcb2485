// The log file (-cv:log or the input document's LOGFILE) and the debug log (DBGWIN32PPK).
#pragma once

#include "base/lstring.h"

namespace wiz {

enum LogKind { kLogPlain = 0, kLogWarning = 1, kLogError = 2 };

// Process-wide log settings. Lines may come from both threads of the windowed host (the
// user-interface thread removes the temporary files when the logon ends), so the writers take a
// lock; the settings themselves are set by the launching thread.
struct LogState {
    LString filePath;               // empty: no log
    bool separatorWritten = false;  // the process's separator line is in the file
    LString pending;                // lines of writeLogOnceOpen, each ended by a line feed
    LString debugPath;
    bool debugEnabled = false;
};

// The process-wide log settings (tests start from a fresh value: logState() = LogState()).
LogState& logState();

// A line from before the log file is known (the start-up runs before the options name it):
// written, after the separator, ahead of the first line that writeLog writes to a file.
void writeLogOnceOpen(const LString& text, int kind = kLogPlain);

// Appends one line to the log file, with "WARNING: " or "ERROR: " for kinds 1 and 2. The file is
// opened and closed for every line, so other processes can append to the same file; the first
// line of the process is preceded by a separator line. Failures lose the line silently.
void writeLog(const LString& text, int kind = kLogPlain);
// The same for a text the caller holds as characters: this call makes no string of its own (the
// report of a lack of memory writes its line through it).
void writeLogText(const char* text, int kind = kLogPlain);
// Whether a log file is named: lines that are costly to put together are skipped without one.
bool logEnabled();
// Appends text (and a line break when `newline`) to the debug log, if one is named.
void debugLog(const LString& text, bool newline = true);

}  // namespace wiz
