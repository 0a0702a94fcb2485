#include "jvm/platform_jvm_paths.h"

#include "platform/environment.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace wiz {

void appendOnce(StringList& directories, const LString& directory) {
    if (directory.empty()) return;
    for (int32_t i = 0; i < directories.count(); ++i) {
        if (samePath(directories.at(i), directory)) return;
    }
    directories.append(directory);
}

void javaDirectoriesFromEnvironment(const char* javaName, char listSeparator,
                                    LString (*resolve)(const LString& directory),
                                    StringList& directories) {
    const auto holdsJava = [&](LString directory) {
        ensureTrailingSeparator(directory);
        uint32_t attributes = 0;
        return readAttributes(directory + javaName, attributes).ok() &&
               !(attributes & kAttrDirectory);
    };
    LString javaHome = getEnvironmentText("JAVA_HOME");
    if (!javaHome.empty()) {
        ensureTrailingSeparator(javaHome);
        const LString bin = javaHome + "bin";
        if (holdsJava(bin)) appendOnce(directories, resolve(bin));
    }
    const LString path = getEnvironmentText("PATH");
    LString::size_type start = 0;
    while (start <= path.length()) {
        LString::size_type end = path.find(listSeparator, start);
        if (end == LString::npos) end = path.length();
        LString directory = path.substr(start, end - start);
        // A separator at the end of an entry is left out, so each directory appears once.
        while (directory.length() > 1 && isPathSeparator(directory[directory.length() - 1])) {
            directory.erase(directory.length() - 1);
        }
        if (!directory.empty() && holdsJava(directory)) appendOnce(directories, resolve(directory));
        start = end + 1;
    }
}

}  // namespace wiz
