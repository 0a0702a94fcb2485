#include "jvm/jvm_searcher.h"

#include "archive/embedded_files.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

JvmDescriptor* JvmSearcher::registerDescriptor(std::unique_ptr<JvmDescriptor> descriptor) {
    JavaVersionRange range;
    TagFlaw flaw;
    if (!readJavaVersionRange(descriptor->document(), range, flaw)) {
        warnFlawedRange(*descriptor, flaw);
        return nullptr;
    }
    descriptor->keepResultsIn(&verificationResults_);
    return descriptors_.appendOwned(std::move(descriptor));
}

void JvmSearcher::setVerificationArgs(const LString& classPath, const LString& className) {
    verifyClassPathArg_ = classPath;
    verifyClassArg_ = className;
}

void JvmSearcher::prepareVerification() {
    if (!verifyClassPathArg_.empty() && !verifyClassArg_.empty()) return;
    LString path;
    const EmbeddedFiles& files = embeddedFiles();
    for (int32_t i = 0; i < files.count(); ++i) {
        const EmbeddedFileEntry* entry = files.entryAt(i);
        if (entry->type == kEntryVerificationArchive)
            path = entry->extractTo(createTempDirectory());
    }
    if (path.empty()) return;
    verifyClassPathArg_ = "\"" + path + "\"";
    verifyClassArg_ = "\"Verify\"";
}

void JvmSearcher::startSearch() {
    foundMatch_.reset();
    prepareVerification();
    for (int32_t i = 0; i < descriptors_.count(); ++i) descriptorAt(i)->forgetTriedHomes();
}

void JvmSearcher::searchForJvm(JvmMatchList& results) {
    startSearch();
    const LString& override = runSettings().javaHomeOverride;
    if (!override.empty()) {
        writeLog("Checking user specified Java home directory => " + override);
        for (int32_t i = 0; i < descriptors_.count() && !foundMatch_; ++i) {
            foundMatch_ = descriptorAt(i)->verifyAt(override, verifyClassPathArg_, verifyClassArg_);
        }
    }

    // A descriptor with SEARCH_ALL ends the hint phase when its own hints fail; the drive scan
    // follows.
    bool searchAll = false;
    if (!foundMatch_) {
        writeLog("Initiating JVM search based on hints...");
        for (int32_t i = 0; i < descriptors_.count() && !foundMatch_ && !searchAll; ++i) {
            JvmDescriptor& descriptor = *descriptorAt(i);
            searchAll = descriptor.document().getBool("SEARCH_ALL", false);
            StatusLine2Scope status;
            uiSetStatusLine2(1, descriptor.tag("DESC"));
            foundMatch_ = descriptor.searchPlatformHints(verifyClassPathArg_, verifyClassArg_);
            if (!foundMatch_) {
                foundMatch_ = descriptor.searchPathHints(verifyClassPathArg_, verifyClassArg_);
            }
        }
    }
    const int32_t found = results.count();
    if (!foundMatch_ && searchAll) {
        stopAtFirst = true;
        exhaustiveSearch(results);
    }

    // The system's own places (JAVA_HOME, the PATH directories, the platform's runtime folders)
    // come after every candidate the descriptors name, for every descriptor in order: a runtime
    // found there never wins over one the descriptors point at, and a broken one there cannot
    // end the search before they were tried. A user who stopped the drive scan is not kept
    // waiting for them.
    for (int32_t i = 0; i < descriptors_.count() && !foundMatch_ && results.count() == found &&
                        !hostState().cancelRequested;
         ++i) {
        JvmDescriptor& descriptor = *descriptorAt(i);
        StatusLine2Scope status;
        uiSetStatusLine2(1, descriptor.tag("DESC"));
        foundMatch_ = descriptor.searchPlatformJvmPaths(verifyClassPathArg_, verifyClassArg_);
    }
    if (foundMatch_) results.appendOwned(std::move(foundMatch_));
}

std::unique_ptr<JvmMatch> JvmSearcher::verifyPickedProgram(const LString& path) {
    prepareVerification();
    for (int32_t i = 0; i < descriptors_.count(); ++i) {
        JvmDescriptor& descriptor = *descriptorAt(i);
        const LString exe = descriptor.tag("JVM_EXE");
        const LString::size_type at = exe.empty() ? LString::npos : endsWith(path, exe);
        if (at == LString::npos || at < 2 || !isPathSeparator(path[at - 1])) continue;
        std::unique_ptr<JvmMatch> match =
            descriptor.verifyAt(path.substr(0, at - 1), verifyClassPathArg_, verifyClassArg_);
        if (match) return match;
    }
    return nullptr;
}

LString JvmSearcher::requiredDescriptions() const {
    LString text;
    for (int32_t i = 0; i < descriptors_.count(); ++i) {
        const LString description = descriptorAt(i)->tag("DESC");
        if (description.empty()) continue;
        if (!text.empty()) text += "; ";
        text += description;
    }
    return text;
}

void JvmSearcher::searchAllJvms(JvmMatchList& results) {
    startSearch();
    stopAtFirst = false;
    exhaustiveSearch(results);
}

void JvmSearcher::exhaustiveSearch(JvmMatchList& results) {
    unverified_.clear();
    StringList names;
    for (int32_t i = 0; i < descriptors_.count(); ++i) {
        const LString exe = descriptorAt(i)->tag("JVM_EXE");
        bool known = false;
        for (int32_t j = 0; j < names.count() && !known; ++j) known = names.at(j) == exe;
        if (!known) names.append(exe);
    }

    StatusLine2Scope status;
    uiSetStatusLine2(2, LString());
    writeLog("Beginning exhaustive search");
    searchDrives(names, *this);
    if (foundMatch_) return;

    writeLog("Processing unverified matches.\n");
    int32_t appended = 0;
    for (int32_t i = 0; i < unverified_.count(); ++i) {
        UnverifiedMatches& entry = *unverified_.getPayload(i);
        for (int32_t j = 0; j < entry.homes.count(); ++j) {
            if (hostState().cancelRequested || (stopAtFirst && appended > 0)) return;
            std::unique_ptr<JvmMatch> match =
                entry.descriptor->verifyAt(entry.homes.at(j), verifyClassPathArg_, verifyClassArg_);
            if (match) {
                results.appendOwned(std::move(match));
                ++appended;
            }
        }
    }
}

bool JvmSearcher::visit(const LString& path) {
    if (foundMatch_) return false;
    for (int32_t i = 0; i < descriptors_.count() && !foundMatch_; ++i) {
        JvmDescriptor& descriptor = *descriptorAt(i);
        const LString exe = descriptor.tag("JVM_EXE");
        // Byte-exact, unlike the scan's own name test; the character before the name (the
        // separator) is not part of the home.
        if (exe.empty() || path.length() <= exe.length() || endsWith(path, exe) == LString::npos) {
            continue;
        }
        const LString home = path.substr(0, path.length() - exe.length() - 1);
        if (i == 0 && stopAtFirst) {
            // A program matching several names is offered once per name, and the hints may
            // have tried its home already.
            if (descriptor.wasTried(home)) continue;
            foundMatch_ = descriptor.verifyAt(home, verifyClassPathArg_, verifyClassArg_);
            if (foundMatch_) return true;
        } else {
            recordUnverified(descriptor, home);
        }
    }
    return false;
}

void JvmSearcher::recordUnverified(JvmDescriptor& descriptor, const LString& home) {
    for (int32_t i = 0; i < unverified_.count(); ++i) {
        UnverifiedMatches& entry = *unverified_.getPayload(i);
        if (entry.descriptor != &descriptor) continue;
        for (int32_t j = 0; j < entry.homes.count(); ++j) {
            if (samePath(entry.homes.at(j), home)) return;
        }
        entry.homes.append(home);
        return;
    }
    auto entry = std::make_unique<UnverifiedMatches>();
    entry->descriptor = &descriptor;
    entry->homes.append(home);
    unverified_.appendOwned(std::move(entry));
}

}  // namespace wiz
