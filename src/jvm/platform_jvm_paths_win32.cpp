// Windows: %JAVA_HOME%\bin, then the PATH directories that hold java.exe.
#include "jvm/platform_jvm_paths.h"

namespace wiz {

namespace {

LString unchanged(const LString& directory) { return directory; }

}  // namespace

void platformJvmPaths(StringList& directories) {
    javaDirectoriesFromEnvironment("java.exe", ';', unchanged, directories);
}

}  // namespace wiz
