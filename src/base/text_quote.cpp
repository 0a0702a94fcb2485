#include "base/text_quote.h"

#include <cstdio>

namespace wiz {

LString quoteForMessage(const LString& text) {
    LString quoted;
    const LString::size_type shown =
        text.length() < kMaxQuotedBytes ? text.length() : kMaxQuotedBytes;
    for (LString::size_type i = 0; i < shown; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 32 && c != 127) {
            quoted += static_cast<char>(c);
        } else if (c == '\n') {
            quoted += "\\n";
        } else if (c == '\r') {
            quoted += "\\r";
        } else if (c == '\t') {
            quoted += "\\t";
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        }
    }
    if (shown < text.length()) quoted += "...";
    return quoted;
}

LString excerptForLog(const LString& text, bool fromEnd, uint64_t alreadyLeftOut) {
    const LString::size_type kept =
        text.length() < kMaxLoggedBytes ? text.length() : kMaxLoggedBytes;
    const uint64_t leftOut = alreadyLeftOut + (text.length() - kept);
    if (leftOut == 0) return text;
    char note[64];
    std::snprintf(note, sizeof note, "[%llu %s bytes left out]",
                  static_cast<unsigned long long>(leftOut), fromEnd ? "earlier" : "more");
    if (fromEnd) return LString(note) + "\n" + text.substr(text.length() - kept);
    return text.substr(0, kept) + "\n" + note;
}

}  // namespace wiz
