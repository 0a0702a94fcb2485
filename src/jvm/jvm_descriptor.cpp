#include "jvm/jvm_descriptor.h"

#include "archive/temp_files.h"
#include "base/exceptions.h"

namespace wiz {

LString JvmMatch::writeJvmFile() const {
    const LString path = createTempFileName();
    document_.setJvmResult(home, path, isTemporary);
    if (!document_.write(path)) throw LauncherException("Cannot write the JVM file " + path + ".");
    return path;
}

}  // namespace wiz
