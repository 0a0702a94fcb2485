// POSIX backend of MessageText: texts from the built-in table of the current language (UTF-8),
// and the portable insert formatter.
#include <cstring>

#include "services/message_format.h"
#include "services/messages.h"
#include "services/string_table.h"

namespace wiz {

int MessageText::loadResource(void* /*instance*/, int id, char* buffer, int capacity) {
    const char* text = builtinString(id);
    if (!text || capacity <= 0) return 0;
    size_t length = std::strlen(text);
    if (length > static_cast<size_t>(capacity - 1)) length = static_cast<size_t>(capacity - 1);
    std::memcpy(buffer, text, length);
    buffer[length] = '\0';
    return static_cast<int>(length);
}

bool MessageText::systemFormat(const LString& format, std::initializer_list<LString> inserts,
                               LString& out, unsigned long& error) {
    // Like the system formatter, an empty result counts as a failure.
    if (!formatInserts(format, inserts, out) || out.empty()) {
        error = 87;  // invalid parameter
        return false;
    }
    return true;
}

}  // namespace wiz
