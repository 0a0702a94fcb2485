#include "tempfiles/cleanup.h"

#include <cstdio>

#include "base/exceptions.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/log.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

void logRemovalFailure(const LString& path, SysStatus error) {
    writeLog(LString("Could not delete ") + path + " :  " + systemErrorText(error.code()),
             kLogWarning);
}

}  // namespace

bool deleteEntry(const LString& path, FileSystem& fs) {
    uint32_t attributes = 0;
    // Attributes that cannot be read count as a directory.
    if (!fs.readAttributes(path, attributes).ok()) attributes = kAttrDirectory;
    const SysStatus removed = fs.removeEntry(path, attributes);
    if (!removed.ok()) logRemovalFailure(path, removed);
    return removed.ok();
}

bool DirectoryWalker::walk(const LString& start) {
    visited.clear();
    pending.clear();
    filesSeen_ = 0;
    pending.append(start);
    bool stopped = false;
    while (pending.count() > 0 && !stopped) {
        if (cancellable && hostState().cancelRequested) break;
        LString dir = pending.last();
        pending.removeLast();
        visited.append(dir);
        ensureTrailingSeparator(dir);
        if (skipDirectory(dir)) continue;

        DirectoryListing listing(dir);
        if (!listing.isOpen()) continue;
        DirectoryEntry entry;
        bool cancelled = false;
        while (!stopped && !cancelled && listing.next(entry)) {
            if (entry.isPlainDirectory()) {
                pending.append(dir + entry.name);
            } else {
                if (wantsFile(entry.name)) stopped = visitFile(dir + entry.name);
                if (++filesSeen_ % 100 == 0) uiStepProgress(1);
            }
            cancelled = cancellable && hostState().cancelRequested;
        }
        if (!stopped && !cancelled && !listing.status().ok()) {
            throw LauncherException(systemErrorText(listing.status().code()));
        }
    }
    return stopped;
}

bool DirectoryWalker::visitFile(const LString&) { return false; }

bool DirectoryWalker::wantsFile(const LString&) { return true; }

bool DirectoryWalker::skipDirectory(const LString&) { return false; }

void TreeDeleter::run(const LString& directory) {
    failed.clear();
    TreeRemoval::run(directory);
}

void TreeDeleter::failedToRemove(const LString& path, SysStatus error) {
    logRemovalFailure(path, error);
}

LString batchFileName(const LString& tempName) {
    LString::size_type nameStart = tempName.find_last_of("\\/");
    nameStart = nameStart == LString::npos ? 0 : nameStart + 1;
    LString::size_type dot = tempName.rfind('.');
    LString base = dot != LString::npos && dot >= nameStart ? tempName.substr(0, dot) : tempName;
    return base + ".bat";
}

LString removalBatchText(const LString& launcher, const LString& directory,
                         const LString& batchPath, const LString& debugLogFile) {
    // The launcher file stays locked while the launcher runs, so "del" is repeated, one second
    // apart (ping waits a second between its echo requests), until the file is gone or the
    // attempts are used up; either way the batch file then goes on and removes itself.
    char limit[16];
    std::snprintf(limit, sizeof limit, "%d", kBatchDeleteAttempts);
    const LString quoted = LString("\"") + launcher + "\"";
    LString text = "set WIZ_DELETE_TRIES=0\n:Repeat\n";
    if (!debugLogFile.empty()) {
        text += LString("@echo Deleting ") + launcher + " from within batch file. >> " +
                debugLogFile + "\n";
    }
    text += "del " + quoted + "\n";
    text += "if not exist " + quoted + " goto Removed\n";
    text += "set /a WIZ_DELETE_TRIES+=1\n";
    text += LString("if %WIZ_DELETE_TRIES% LSS ") + limit + " ping -n 2 127.0.0.1 >nul\n";
    text += LString("if %WIZ_DELETE_TRIES% LSS ") + limit + " goto Repeat\n";
    text += ":Removed\n";
    if (!directory.empty()) text += "rmdir /q \"" + directory + "\"\n";
    text += "del \"" + batchPath + "\"\n";
    if (!debugLogFile.empty()) {
        text += LString("@echo Deleted batch file ") + batchPath + " from within batch file. >> " +
                debugLogFile + "\n";
    }
    return text;
}

}  // namespace wiz
