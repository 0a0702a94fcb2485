// Removal of the running launcher file after the process ends: a hidden batch file on the NT
// family, WinInit.Ini on the 9x family.
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/exceptions.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/handle_win32.h"
#include "platform/path.h"
#include "platform/win32.h"
#include "services/host.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/cleanup.h"
#include "tempfiles/temp_files.h"
#include "tempfiles/wininit.h"

namespace wiz {

namespace {

// The batch file runs in the root directory, so a relative debug log name is made absolute.
LString absolutePath(const LString& path) {
    char full[MAX_PATH + 1] = {};
    DWORD n = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
    return n == 0 || n > MAX_PATH ? path : LString(full, n);
}

// Writes the batch file that deletes the launcher once it has exited, and starts it hidden at
// idle priority while this process finishes at high priority.
void startRemovalBatch(const LString& path, const LString& dir) {
    LString name;
    try {
        name = createUnregisteredTempFile();
    } catch (const LauncherException&) {
        return;  // no batch file: the launcher file stays
    }
    if (logState().debugEnabled) debugLog(LString("Launcher: Cleanup batch file called: ") + name);
    (void)removeEntry(name,
                      0);  // the empty file the system made; the batch file is written beside it
    const LString batch = batchFileName(name);
    {
        FilePtr f = openFile(batch, "w");
        if (!f) return;
        const LString text = removalBatchText(
            path, dir, batch,
            logState().debugEnabled ? absolutePath(logState().debugPath) : LString());
        std::fputs(text.c_str(), f.get());
        if (!closeFile(std::move(f))) return;
    }

    LString commandLine = LString("\"") + batch + "\"";
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    const DWORD flags = CREATE_SUSPENDED | CREATE_NEW_CONSOLE | IDLE_PRIORITY_CLASS;
    if (!CreateProcessA(nullptr, &commandLine[0], nullptr, nullptr, FALSE, flags, nullptr, "\\",
                        &startup, &process)) {
        return;
    }
    HandleHolder processHandle(process.hProcess);
    HandleHolder threadHandle(process.hThread);
    SetThreadPriority(process.hThread, THREAD_PRIORITY_IDLE);
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
    processHandle.reset();
    ResumeThread(process.hThread);
}

}  // namespace

void scheduleLauncherRemoval() {
    const LString path = runSettings().launcherPath;
    const LString dir = parentDirectory(path);
    if (hostState().isWin9x) {
        if (logState().debugEnabled) debugLog("Launcher: Writing to wininit.ini to cleanup");
        WininitRenameList list;
        list.addPath(path);
        if (!dir.empty()) list.addPath(dir);
        (void)list.writeRenameSection();  // nothing else to do when it cannot be written
        return;
    }
    startRemovalBatch(path, dir);
}

}  // namespace wiz
