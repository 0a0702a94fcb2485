// The token scan shared by the launch script ("%" function calls, "#" environment variables) and
// the JVM tags ("@" descriptor tags).
#pragma once

#include <cstdint>

#include "base/expansion_text.h"
#include "base/lstring.h"

namespace wiz {

class TokenExpander {
public:
    // One expandTokens resolves at most this many tokens, and a text it expands may grow to at
    // most this many bytes: a value that holds its own token again would otherwise be expanded
    // without end.
    static constexpr int kMaxTokens = 10000;
    static constexpr LString::size_type kMaxExpandedLength = 8u * 1024 * 1024;
    // Each resolution rewrites the text from its token on, so a value of a few hundred bytes
    // that holds its own token near its start would rewrite megabytes thousands of times
    // (many seconds of work) within the two bounds above; the expansion also stops once it has
    // rewritten this many bytes in all. The token and rewriting bounds hold for one expansion
    // together with the expansions nested in it (a function's argument, a tag's value), so that
    // a nested one cannot spend them again for every token of the outer one.
    static constexpr uint64_t kMaxRewrittenBytes = 64u * 1024 * 1024;
    // Expansions nest (a class path expands the script's ARCHIVE, which may call CP again) at
    // most this deep; a launch script needs three levels.
    static constexpr int kMaxNesting = 16;

    // Counts work a token's resolution does besides rewriting the text (reading a side file,
    // which a function whose result calls it again reads once per call) against the rewriting
    // bound of the expansion running on this thread; the next token stops the expansion once
    // the bound is passed.
    static void countWork(uint64_t bytes);

    virtual ~TokenExpander() = default;

    // Replaces in `text` the token that begins with `delimiter` at `start` and whose name ends
    // before the delimiter at `close` by its value, or throws.
    virtual void resolveToken(ExpansionText& text, char delimiter, LString::size_type start,
                              LString::size_type close) = 0;

    // Resolves every token of `delimiter` in `text`, resuming each time at the beginning of the
    // value put in (so a value that holds tokens is expanded too), then turns each doubled
    // delimiter into a single one. A token needs at least one character between its
    // delimiters. Only delimiters the author wrote count: the characters of a value the
    // launcher inserted (ExpansionText::inserted) are never read as, or paired with, one.
    void expandTokens(ExpansionText& text, char delimiter);

    // Logs "Launch command:" and the text being expanded, then throws LauncherException
    // "Launch script error: " + message.
    [[noreturn]] static void scriptError(const LString& text, const LString& message);
};

}  // namespace wiz
