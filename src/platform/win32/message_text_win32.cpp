#include <cstdio>
#include <cstring>

#include "base/exceptions.h"
#include "core/message_format.h"
#include "core/messages.h"
#include "core/string_table.h"
#include "platform/win32/win32.h"

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
        std::snprintf(buf, sizeof buf, "Format message failed. Err = %lu", static_cast<unsigned long>(ERROR_INVALID_PARAMETER));
        throw LauncherException(buf);
    }
    setText(out);
}

void MessageText::formatById(int id, std::initializer_list<LString> inserts) {
    load(id);
    formatString(text(), inserts);
}

void MessageText::systemErrorText(uint32_t code) {
    char* msg = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                 FORMAT_MESSAGE_IGNORE_INSERTS,
                             nullptr, code, 0, reinterpret_cast<char*>(&msg), 0, nullptr);
    if (n == 0 || msg == nullptr) {
        char buf[48];
        std::snprintf(buf, sizeof buf, "Unknown error %lu", static_cast<unsigned long>(code));
        setText(buf);
        return;
    }
    setText(LString(msg, n));
    LocalFree(msg);
}

}  // namespace wiz
