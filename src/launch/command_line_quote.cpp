#include "launch/command_line_quote.h"

namespace wiz {

LString quoteArgument(const LString& argument) {
    LString quoted("\"");
    LString::size_type backslashes = 0;
    for (LString::size_type i = 0; i < argument.length(); ++i) {
        const char c = argument[i];
        if (c == '\\') {
            ++backslashes;
        } else if (c == '"') {
            // Each backslash before the quote is doubled, then one more escapes the quote.
            quoted.append(backslashes + 1, '\\');
            backslashes = 0;
        } else {
            backslashes = 0;
        }
        quoted += c;
    }
    // Backslashes at the end would escape the closing quote: double them.
    quoted.append(backslashes, '\\');
    quoted += '"';
    return quoted;
}

void appendQuotedArgument(LString& commandLine, const LString& argument) {
    commandLine += ' ';
    commandLine += quoteArgument(argument);
}

}  // namespace wiz
