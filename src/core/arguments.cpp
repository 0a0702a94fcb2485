#include "core/arguments.h"

#include "base/chars.h"
#include "platform/environment.h"
#include "services/log.h"

namespace wiz {

LString readCommandLineToken(const LString& text, LString::size_type& pos, bool escapes) {
    const LString::size_type end = text.length();
    while (pos < end && isBlank(text[pos])) ++pos;

    LString token;
    // `inQuotes` covers both a token that opens with a quote and a quoted part embedded in an
    // unquoted token; only the former ends the token at its closing quote.
    bool quotedToken = false;
    bool inQuotes = false;
    if (pos < end && text[pos] == '"') {
        quotedToken = inQuotes = true;
        ++pos;
    }
    bool escaped = false;
    while (pos < end) {
        const char c = text[pos];
        if (escaped) {
            if (c != '"') token += '\\';
            token += c;
            escaped = false;
            ++pos;
            continue;
        }
        if (escapes && c == '\\') {
            // A backslash at the very end of the text is dropped with the loop's end.
            escaped = true;
            ++pos;
            continue;
        }
        if (c == '"') {
            ++pos;
            if (quotedToken) break;
            inQuotes = !inQuotes;
            continue;
        }
        if (!inQuotes && isBlank(c)) break;
        token += c;
        ++pos;
    }
    return token;
}

void tokenizeCommandLine(const LString& text, ArgumentList& args) {
    LString::size_type pos = 0;
    bool first = true;
    while (true) {
        while (pos < text.length() && isBlank(text[pos])) ++pos;
        if (pos >= text.length()) break;
        LString token = readCommandLineToken(text, pos, !first);
        first = false;
        if (!token.empty()) args.append(token);
    }
}

bool wantsConsoleHost(const ArgumentList& args) {
    for (int i = 1; i < args.count(); ++i) {
        if (LString(args.at(i)) == "-console") return true;
    }
    return false;
}

void startDebugLogFromEnvironment() {
    LString path = getEnvironmentText("DBGWIN32PPK");
    if (path.empty()) return;
    logState().debugPath = path;
    logState().debugEnabled = true;
    debugLog("Console Launcher Started");
}

}  // namespace wiz
