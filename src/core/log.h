// The log file (-cv:log or the input document's LOGFILE) and the debug log (DBGWIN32PPK).
#pragma once

#include "base/lstring.h"

namespace wiz {

enum LogKind { kLogPlain = 0, kLogWarning = 1, kLogError = 2 };

// Process-wide log settings.
extern LString logFilePath;
extern bool separatorWritten;
extern LString debugLogPath;
extern bool debugLogEnabled;

// Appends one line to the log file, with "WARNING: " or "ERROR: " for kinds 1 and 2. The file is
// opened and closed for every line, so other processes can append to the same file; the first
// line of the process is preceded by a separator line. Failures lose the line silently.
void writeLog(const LString& text, int kind = kLogPlain);
// Appends text (and a line break when `newline`) to the debug log, if one is named.
void debugLog(const LString& text, bool newline = true);

}  // namespace wiz
