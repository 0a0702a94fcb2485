#include "launch/token_expander.h"

#include "base/exceptions.h"
#include "services/log.h"

namespace wiz {

void TokenExpander::scriptError(const LString& text, const LString& message) {
    writeLog("Launch command:", kLogPlain);
    writeLog(text, kLogPlain);
    throw LauncherException("Launch script error: " + message);
}

namespace {

// What the outermost expansion running on this thread and the expansions nested in it have used
// of the token and rewriting bounds.
struct Allowance {
    int depth = 0;
    int tokens = 0;
    uint64_t rewritten = 0;
};
thread_local Allowance allowance;

// Marks one expansion; the outermost one starts the allowance afresh.
class AllowanceScope {
public:
    AllowanceScope() {
        if (allowance.depth++ == 0) {
            allowance.tokens = 0;
            allowance.rewritten = 0;
        }
    }
    ~AllowanceScope() { --allowance.depth; }
    AllowanceScope(const AllowanceScope&) = delete;
    AllowanceScope& operator=(const AllowanceScope&) = delete;
};

}  // namespace

void TokenExpander::countWork(uint64_t bytes) { allowance.rewritten += bytes; }

void TokenExpander::expandTokens(ExpansionText& text, char delimiter) {
    const AllowanceScope scope;
    if (allowance.depth > kMaxNesting) {
        scriptError(text.text(), "The " + LString(1, delimiter) +
                                     " tokens do not end: a value holds its own token again.");
    }
    LString::size_type start = text.find(delimiter);
    while (start != LString::npos) {
        if (static_cast<uint64_t>(start) + 2 >= text.length()) break;
        const LString::size_type close = text.find(delimiter, start + 2);
        if (close == LString::npos) break;
        allowance.rewritten += text.length() - start;
        if (++allowance.tokens > kMaxTokens || allowance.rewritten > kMaxRewrittenBytes) {
            scriptError(text.text(), "The " + LString(1, delimiter) +
                                         " tokens do not end: a value holds its own token again.");
        }
        resolveToken(text, delimiter, start, close);
        if (text.length() > kMaxExpandedLength) {
            scriptError(text.text().substr(0, 1024),
                        "The " + LString(1, delimiter) +
                            " tokens do not end: the expanded text grew beyond 8 MB.");
        }
        start = text.find(delimiter, start);
    }
    // A doubled delimiter becomes one; the search goes on one past the one kept.
    for (LString::size_type at = text.find(delimiter); at != LString::npos;
         at = text.find(delimiter, at + 1)) {
        if (text.isWritten(at + 1, delimiter)) text.erase(at, 1);
    }
}

}  // namespace wiz
