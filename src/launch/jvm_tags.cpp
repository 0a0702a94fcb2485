#include "launch/jvm_tags.h"

#include "platform/path.h"

namespace wiz {

void JvmTags::resolveToken(LString& text, char /*delimiter*/, LString::size_type start,
                           LString::size_type close) {
    const LString name = text.substr(start + 1, close - start - 1);
    LString value = tag(name);
    if (name == "JVM_HOME" && !value.empty() && value[value.length() - 1] == kPathSeparator) {
        value.erase(value.length() - 1);
    }
    text.replace(start, close - start + 1, value);
}

}  // namespace wiz
