#include <cstdio>
#include <cstring>

#include "base/exceptions.h"
#include "core/message_format.h"
#include "core/messages.h"
#include "core/string_table.h"

namespace wiz {

int MessageText::load(int id) {
    const char* s = builtinString(id);
    setText(s ? s : "");
    return s ? static_cast<int>(std::strlen(s)) : 0;
}

void MessageText::formatString(const LString& format, std::initializer_list<LString> inserts) {
    LString out;
    if (!formatInserts(format, inserts, out) || out.empty()) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "Format message failed. Err = %lu", 87ul);
        throw LauncherException(buf);
    }
    setText(out);
}

void MessageText::formatById(int id, std::initializer_list<LString> inserts) {
    load(id);
    formatString(text(), inserts);
}

void MessageText::systemErrorText(uint32_t code) {
    const char* s = std::strerror(static_cast<int>(code));
    setText(s ? s : "");
}

}  // namespace wiz
