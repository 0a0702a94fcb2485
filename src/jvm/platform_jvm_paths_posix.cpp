// POSIX: $JAVA_HOME/bin, then the PATH directories that hold java (a link such as /usr/bin/java
// leads to the directory of the program it names), then the bin directories of the runtimes
// installed under /usr/lib/jvm.
#include <stdlib.h>

#include <memory>

#include "jvm/platform_jvm_paths.h"
#include "jvm/version_order.h"
#include "platform/path.h"

namespace wiz {

namespace {

struct FreeDeleter {
    void operator()(char* p) const { ::free(p); }
};

// The directory of the java program in `directory`, links resolved.
LString javaDirectory(const LString& directory) {
    std::unique_ptr<char, FreeDeleter> real(::realpath((directory + "/java").c_str(), nullptr));
    return real ? parentDirectory(LString(real.get())) : directory;
}

}  // namespace

void platformJvmPaths(StringList& directories) {
    javaDirectoriesFromEnvironment("java", ':', javaDirectory, directories);
    StringList installed;
    expandPathWildcard("/usr/lib/jvm/*", installed);
    for (int32_t i = 0; i < installed.count(); ++i) {
        const LString java = installed.at(i) + "/bin/java";
        std::unique_ptr<char, FreeDeleter> real(::realpath(java.c_str(), nullptr));
        if (real) appendOnce(directories, parentDirectory(LString(real.get())));
    }
}

}  // namespace wiz
