// The token scan shared by the launch script ("%" function calls, "#" environment variables) and
// the JVM tags ("@" descriptor tags).
#pragma once

#include "base/lstring.h"

namespace wiz {

class TokenExpander {
public:
    // One expandTokens resolves at most this many tokens, and a text it expands may grow to at
    // most this many bytes: a value that holds its own token again would otherwise be expanded
    // without end.
    static constexpr int kMaxTokens = 10000;
    static constexpr LString::size_type kMaxExpandedLength = 8u * 1024 * 1024;

    virtual ~TokenExpander() = default;

    // Replaces in `text` the token that begins with `delimiter` at `start` and whose name ends
    // before the delimiter at `close` by its value, or throws.
    virtual void resolveToken(LString& text, char delimiter, LString::size_type start,
                              LString::size_type close) = 0;

    // Resolves every token of `delimiter` in `text`, resuming each time at the beginning of the
    // inserted value (so a value that holds tokens is expanded too), then turns each doubled
    // delimiter into a single one. A token needs at least one character between its
    // delimiters.
    void expandTokens(LString& text, char delimiter);

    // Logs "Launch command:" and the text being expanded, then throws LauncherException
    // "Launch script error: " + message.
    [[noreturn]] static void scriptError(const LString& text, const LString& message);
};

}  // namespace wiz
