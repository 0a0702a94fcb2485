#include "launch/token_expander.h"

#include "base/exceptions.h"
#include "runtime/log.h"

namespace wiz {

void TokenExpander::scriptError(const LString& text, const LString& message) {
    writeLog("Launch command:", kLogPlain);
    writeLog(text, kLogPlain);
    throw LauncherException("Launch script error: " + message);
}

void TokenExpander::expandTokens(LString& text, char delimiter) {
    const char pair[] = {delimiter, delimiter, '\0'};
    int resolved = 0;
    LString::size_type start = text.find(delimiter);
    while (start != LString::npos) {
        if (static_cast<uint64_t>(start) + 2 >= text.length()) break;
        const LString::size_type close = text.find(delimiter, start + 2);
        if (close == LString::npos) break;
        if (++resolved > kMaxTokens) {
            scriptError(text, "The " + LString(1, delimiter) +
                                  " tokens do not end: a value holds its own token again.");
        }
        resolveToken(text, delimiter, start, close);
        if (text.length() > kMaxExpandedLength) {
            scriptError(text.substr(0, 1024),
                        "The " + LString(1, delimiter) +
                            " tokens do not end: the expanded text grew beyond 8 MB.");
        }
        start = text.find(delimiter, start);
    }
    for (LString::size_type at = text.find(pair); at != LString::npos;
         at = text.find(pair, at + 1)) {
        text.erase(at, 1);
    }
}

}  // namespace wiz
