#include "launch/command_line_split.h"

#include <string>

#include "base/chars.h"

namespace wiz {

StringList splitCommandLine(const LString& commandLine) {
    StringList args;
    const std::string& s = commandLine.str();
    const size_t n = s.size();
    if (n == 0) return args;

    // The program: no escapes at all.
    size_t i = 0;
    std::string arg;
    if (s[0] == '"') {
        size_t end = s.find('"', 1);
        if (end == std::string::npos) end = n;
        arg = s.substr(1, end - 1);
        i = end < n ? end + 1 : n;
    } else {
        while (i < n && !isSpaceOrTab(s[i])) ++i;
        arg = s.substr(0, i);
    }
    args.append(LString(arg));

    while (i < n && isSpaceOrTab(s[i])) ++i;
    if (i == n) return args;

    // The remaining arguments. `quotes` is 0 outside quotes and 1 inside; while a run of quotes
    // is read it counts on, and every third quote of a run is a literal one.
    arg.clear();
    int quotes = 0;
    size_t backslashes = 0;
    while (i < n) {
        const char c = s[i];
        if (isSpaceOrTab(c) && quotes == 0) {
            args.append(LString(arg));
            arg.clear();
            backslashes = 0;
            while (i < n && isSpaceOrTab(s[i])) ++i;
            if (i == n) return args;
        } else if (c == '\\') {
            arg += c;
            ++backslashes;
            ++i;
        } else if (c == '"') {
            if (backslashes % 2 == 0) {
                // Half the backslashes stay; the quote switches quoting.
                arg.erase(arg.size() - backslashes / 2);
                ++quotes;
            } else {
                // Half the backslashes stay, followed by a literal quote.
                arg.erase(arg.size() - backslashes / 2 - 1);
                arg += '"';
            }
            backslashes = 0;
            ++i;
            for (; i < n && s[i] == '"'; ++i) {
                if (++quotes == 3) {
                    arg += '"';
                    quotes = 0;
                }
            }
            if (quotes == 2) quotes = 0;
        } else {
            arg += c;
            backslashes = 0;
            ++i;
        }
    }
    args.append(LString(arg));
    return args;
}

}  // namespace wiz
