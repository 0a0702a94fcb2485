#include "launch/jvm_tags.h"

#include "platform/path.h"

namespace wiz {

void JvmTags::resolveToken(ExpansionText& text, char /*delimiter*/, LString::size_type start,
                           LString::size_type close) {
    const LString name = text.text().substr(start + 1, close - start - 1);
    LString value = tag(name);
    const bool home = name == "JVM_HOME";
    if (home && !value.empty() && value[value.length() - 1] == kPathSeparator) {
        value.erase(value.length() - 1);
    }
    const bool path = home || name == "JVM_FILE";
    text.replace(start, close - start + 1,
                 path ? ExpansionText::inserted(value) : ExpansionText(value));
}

}  // namespace wiz
