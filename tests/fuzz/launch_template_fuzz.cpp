// Fuzz target: the launch-script expansion (function calls %NAME%(...), descriptor tags @NAME@,
// environment variables #NAME#) with its functions and side files. Nothing is started: the
// template is only expanded.
//
// Checked: every value the launcher inserts (the descriptor's JVM_HOME and JVM_FILE, the
// temporary directory, the launcher's paths, the application archive) comes out whole or not at
// all, whatever characters it holds; a home with "@", "%", "#" or quotes expands to the same
// text, token for token, as the same home with those characters replaced by a harmless one (so
// no token was read inside it); and the command line made of the result can be written (or is
// refused as a program path that cannot be).
//
// Input: parts separated by NUL bytes: the launch-script document, the JVM descriptor document,
// then the side files ".cp1", ".cp", ".cp2", ".sp" and ".ja" (a missing part: no such file).
//
// Everything the expansion writes stays in a scratch directory: the side files beside a launcher
// path in it, the temporary directory inside it. The work directories of each expansion are
// removed after it, the scratch directory at exit.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "base/exceptions.h"
#include "fuzz_support.h"
#include "launch/command_line_quote.h"
#include "launch/jvm_tags.h"
#include "launch/launch_script.h"
#include "platform/environment.h"
#include "platform/path.h"
#include "services/settings.h"
#include "tempfiles/temp_files.h"

namespace {

using wiz::LString;

const char* const kSideFiles[] = {".cp1", ".cp", ".cp2", ".sp", ".ja"};
// The class path variable of the descriptor's environment mode is always this one, so that a
// template cannot change the fuzzer's own environment.
const char* const kClasspathVariable = "WIZFUZZ_CLASSPATH";

void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

struct Setup {
    wizfuzz::ScratchDir dir;
    std::string base;     // the launcher path without its extension
    std::string archive;  // the application archive's path, found once

    Setup() {
        base = dir.file("setup");
        wiz::RunSettings& settings = wiz::runSettings();
        settings.launcherPath = LString(base + ".exe");
        settings.origLauncherPath = settings.launcherPath;
        writeFile(base + ".exe", "MZ");
        const std::string temp = dir.file("temp");
        if (mkdir(temp.c_str(), 0700) != 0) std::abort();
        wiz::setTempDirectory(LString(temp));

        // APPLICATION_ARCHIVE keeps the first archive it found for the whole process. Finding one
        // here once means no input can make it copy a file from elsewhere (a device, say).
        writeFile(dir.file("app.jar"), "PK");
        wiz::TagDocument none;
        wiz::JvmTags jvm(none);
        wiz::LaunchScript primer(wiz::ExpansionText(LString("%APPLICATION_ARCHIVE%(\"app.jar\")")),
                                 true, false);
        archive = primer.expand(jvm).str();
        if (archive.empty()) {
            std::fprintf(stderr, "wizfuzz: the application archive was not copied\n");
            std::abort();
        }
        wiz::removeTemporaryFiles();
    }
};

// Whether `run` is made of whole values of `values`, one after the other.
bool madeOfValues(const std::string& run, const std::vector<std::string>& values) {
    std::vector<bool> reachable(run.size() + 1, false);
    reachable[0] = true;
    for (size_t at = 0; at < run.size(); ++at) {
        if (!reachable[at]) continue;
        for (const std::string& v : values) {
            if (!v.empty() && run.compare(at, v.size(), v) == 0) reachable[at + v.size()] = true;
        }
    }
    return reachable[run.size()];
}

// Each run of inserted characters in `text` is made of whole inserted values.
void checkInsertedValuesAreWhole(const wiz::ExpansionText& text,
                                 const std::vector<std::string>& values) {
    const std::string& s = text.text().str();
    size_t at = 0;
    while (at < s.size()) {
        if (!text.isInserted(static_cast<LString::size_type>(at))) {
            ++at;
            continue;
        }
        size_t end = at;
        while (end < s.size() && text.isInserted(static_cast<LString::size_type>(end))) ++end;
        // Very long runs (a value repeated many times) are left out to keep the check quick.
        if (end - at <= 65536 && !madeOfValues(s.substr(at, end - at), values)) {
            std::fprintf(stderr, "wizfuzz: an inserted value was cut: [%s]\n",
                         s.substr(at, end - at).c_str());
            std::abort();
        }
        at = end;
    }
}

// The expansion of `document` for `descriptor`; false when it failed.
bool expandOnce(const wiz::TagDocument& document, wiz::TagDocument& descriptor,
                wiz::ExpansionText& result) {
    wiz::LaunchScript script(document, true);
    wiz::JvmTags jvm(descriptor);
    try {
        result = script.expandText(jvm);
        return true;
    } catch (const wiz::LauncherException&) {
        return false;
    }
}

// The expansion with the home as it is and with its token characters replaced by one that no
// part of the input holds must agree wherever the author's text is.
void checkTheHomeIsNoToken(const std::vector<std::string>& parts, const wiz::TagDocument& document,
                           wiz::TagDocument& descriptor, const wiz::ExpansionText& withHome,
                           bool expanded) {
    const std::string home = descriptor.getValue("JVM_HOME", 0).str();
    const char harmless = '\x01';
    if (home.find_first_of("@%#\"") == std::string::npos) return;
    for (size_t i = 0; i < parts.size(); ++i) {
        if (parts[i].find(harmless) != std::string::npos) return;
        // The home's text elsewhere (a tag name or value, the template, a side file) could be
        // matched by REPLACE or looked up by a token around it: those may differ.
        const size_t first = parts[i].find(home);
        const size_t allowed = i == 1 ? 1 : 0;
        const size_t found = first == std::string::npos                            ? 0
                             : parts[i].find(home, first + 1) == std::string::npos ? 1
                                                                                   : 2;
        if (found > allowed) return;
    }
    std::string neutral = home;
    for (char& c : neutral) {
        if (c == '@' || c == '%' || c == '#' || c == '"') c = harmless;
    }
    descriptor.setValue("JVM_HOME", LString(neutral));
    wiz::ExpansionText withNeutral;
    const bool neutralExpanded = expandOnce(document, descriptor, withNeutral);
    if (neutralExpanded != expanded) {
        std::fprintf(stderr, "wizfuzz: the home's characters decided whether expansion failed\n");
        std::abort();
    }
    if (!expanded) return;
    const std::string& a = withHome.text().str();
    const std::string& b = withNeutral.text().str();
    bool same = a.size() == b.size();
    for (size_t i = 0; same && i < a.size(); ++i) {
        const auto at = static_cast<LString::size_type>(i);
        same = withHome.isInserted(at) == withNeutral.isInserted(at) &&
               (withHome.isInserted(at) || a[i] == b[i]);
    }
    if (!same) {
        std::fprintf(stderr, "wizfuzz: a home's characters were read as tokens:\n[%s]\n[%s]\n",
                     a.c_str(), b.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static Setup setup;
    const std::vector<std::string> parts = wizfuzz::splitParts(data, size, 7);

    wiz::TagDocument scriptDocument;
    wiz::TagDocument descriptor;
    if (!wizfuzz::readDocument(parts[0], scriptDocument, "launch.tag")) return 0;
    if (parts.size() > 1 && !wizfuzz::readDocument(parts[1], descriptor, "fuzz.jvm")) return 0;
    if (!descriptor.getValue("CP_ENV_VAR", 0).empty()) {
        descriptor.setValue("CP_ENV_VAR", kClasspathVariable);
    }
    for (size_t i = 0; i < 5; ++i) {
        const std::string path = setup.base + kSideFiles[i];
        if (i + 2 < parts.size()) {
            writeFile(path, parts[i + 2]);
        } else {
            unlink(path.c_str());
        }
    }

    // The values the launcher may insert, as it inserts them.
    std::string home = descriptor.getValue("JVM_HOME", 0).str();
    if (!home.empty() && home.back() == wiz::kPathSeparator) home.pop_back();
    const wiz::RunSettings& settings = wiz::runSettings();
    std::string temp = wiz::tempFiles().directory.str();
    if (!temp.empty() && temp.back() == wiz::kPathSeparator) temp.pop_back();
    const std::vector<std::string> values = {home,
                                             descriptor.getValue("JVM_FILE", 0).str(),
                                             temp,
                                             settings.launcherPath.str(),
                                             wiz::origLauncherDirectory().str(),
                                             setup.archive};
    wiz::ExpansionText expanded;
    const bool ok = expandOnce(scriptDocument, descriptor, expanded);
    if (ok) {
        checkInsertedValuesAreWhole(expanded, values);
        try {
            (void)wiz::commandLineOf(expanded);
        } catch (const wiz::ProcessStartException&) {
        }
    }
    checkTheHomeIsNoToken(parts, scriptDocument, descriptor, expanded, ok);
    wiz::removeTemporaryFiles();
    wiz::unsetEnvironmentText(kClasspathVariable);
    return 0;
}
