// The three strategies of the hint search for one descriptor: registry locations
// (PLATFORM_HINT), directories (PATH_HINT: relative to the launcher's directory, or tried on
// every drive) and the platform's own java directories.
#include "jvm/drive_search.h"
#include "jvm/jvm_descriptor.h"
#include "jvm/platform_hint.h"
#include "jvm/platform_jvm_paths.h"
#include "jvm/version_order.h"
#include "platform/path.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/text.h"

namespace wiz {

bool JvmDescriptor::startStrategy(const char* suffix) {
    if (!isVerifiable()) {
        warnNoProperties(*this);
        return false;
    }
    writeLog("Searching for " + tag("DESC") + suffix);
    return true;
}

std::unique_ptr<JvmMatch> JvmDescriptor::searchPlatformHints(const LString& classPathArg,
                                                             const LString& classArg) {
    if (!startStrategy(" using platform hints")) return nullptr;
    std::unique_ptr<JvmMatch> match;
    const int32_t count = document().valueCount("PLATFORM_HINT");
    for (int32_t i = 0; i < count && !match; ++i) {
        const LString hint = document().getValue("PLATFORM_HINT", i);
        if (hint.empty()) continue;
        StringList homes;
        resolvePlatformHint(homes, hint);
        for (int32_t j = 0; j < homes.count() && !match; ++j) {
            const LString& home = homes.at(j);
            if (home.empty()) continue;
            writeLog("Checking JVM at " + home + " which was resolved from platform hint " + hint);
            match = verifyAt(home, classPathArg, classArg);
        }
    }
    return match;
}

std::unique_ptr<JvmMatch> JvmDescriptor::searchPathHints(const LString& classPathArg,
                                                         const LString& classArg) {
    if (!startStrategy(" using path hints")) return nullptr;
    std::unique_ptr<JvmMatch> match;
    const int32_t count = document().valueCount("PATH_HINT");
    StringList drives;
    if (count > 0) listDrives(drives);
    for (int32_t i = 0; i < count && !match; ++i) {
        const LString hint = document().getValue("PATH_HINT", i);
        if (hint.empty() || hint[0] != kPathSeparator) {
            // Relative to the launcher's directory: a runtime bundled with the launcher.
            LString base = origLauncherDirectory();
            ensureTrailingSeparator(base);
            StringList candidates;
            expandPathWildcard(base + hint, candidates);
            for (int32_t j = 0; j < candidates.count() && !match; ++j) {
                match = verifyAt(candidates.at(j), classPathArg, classArg);
                if (match) match->isTemporary = true;
            }
            continue;
        }
        for (int32_t d = 0; d < drives.count() && !match; ++d) {
            LString root = drives.at(d);
            ensureTrailingSeparator(root);
            StringList candidates;
            expandPathWildcard(root + hint.substr(1), candidates);
            for (int32_t j = 0; j < candidates.count() && !match; ++j) {
                writeLog("Checking path hint " + candidates.at(j));
                match = verifyAt(candidates.at(j), classPathArg, classArg);
            }
        }
    }
    return match;
}

std::unique_ptr<JvmMatch> JvmDescriptor::searchPlatformJvmPaths(const LString& classPathArg,
                                                                const LString& classArg) {
    if (!startStrategy(" using platform specific JVM Path hints")) return nullptr;
    // The home is the directory with JVM_EXE's own directory part taken off its end:
    // C:\jdk\bin with bin\java.exe gives C:\jdk\ (the separator stays).
    const LString jvmExe = tag("JVM_EXE");
    const LString::size_type lastSeparator = jvmExe.rfind(kPathSeparator);
    const LString exeDirectory =
        lastSeparator == LString::npos ? LString() : jvmExe.substr(0, lastSeparator + 1);
    StringList directories;
    platformJvmPaths(directories);
    std::unique_ptr<JvmMatch> match;
    for (int32_t i = 0; i < directories.count() && !match; ++i) {
        const LString& directory = directories.at(i);
        if (directory.empty()) continue;
        LString candidate = directory;
        if (!exeDirectory.empty()) {
            ensureTrailingSeparator(candidate);
            const LString::size_type at = endsWith(candidate, exeDirectory);
            if (at != LString::npos) candidate.erase(at);
        }
        writeLog("Checking JVM at " + candidate +
                 " which was resolved from the platform JVM path " + directory);
        match = verifyAt(candidate, classPathArg, classArg);
    }
    return match;
}

}  // namespace wiz
