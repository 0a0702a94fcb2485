// Fuzz target: the launch-script expansion (function calls %NAME%(...), descriptor tags @NAME@,
// environment variables #NAME#) with its functions and side files. Nothing is started: the
// template is only expanded.
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
#include "launch/jvm_tags.h"
#include "launch/launch_script.h"
#include "platform/environment.h"
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
    std::string base;  // the launcher path without its extension

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
        wiz::LaunchScript primer("%APPLICATION_ARCHIVE%(\"app.jar\")", true, false);
        if (primer.expand(jvm).empty()) {
            std::fprintf(stderr, "wizfuzz: the application archive was not copied\n");
            std::abort();
        }
        wiz::removeTemporaryFiles();
    }
};

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

    wiz::LaunchScript script(scriptDocument, true);
    wiz::JvmTags jvm(descriptor);
    try {
        (void)script.expand(jvm);
    } catch (const wiz::LauncherException&) {
    }
    wiz::removeTemporaryFiles();
    wiz::unsetEnvironmentText(kClasspathVariable);
    return 0;
}
