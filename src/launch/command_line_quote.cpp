#include "launch/command_line_quote.h"

#include "base/chars.h"
#include "base/exceptions.h"

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

LString commandLineOf(const ExpansionText& expanded) {
    const LString& text = expanded.text();
    if (expanded.findInserted() == LString::npos) return text;
    const LString::size_type length = text.length();
    const auto cannotStart = [](const LString& program) {
        throw ProcessStartException("Cannot start " + program +
                                    ": a program path that holds a double quote cannot also "
                                    "hold a blank on a command line.");
    };

    // The program runs to the author's closing quote, or unquoted to the first blank.
    LString line;
    LString::size_type i = 0;
    if (expanded.isWritten(0, '"')) {
        LString::size_type end = expanded.find('"', 1);
        if (end == LString::npos) end = length;
        const LString program = text.substr(1, end - 1);
        if (program.find('"') == LString::npos) {
            line = text.substr(0, end < length ? end + 1 : length);
        } else {
            // Only an unquoted program can hold a quote: up to its first blank, quotes and all.
            if (program.find_first_of(" \t") != LString::npos) cannotStart(program);
            line = program;
            // The author's closing quote also ended the program where no blank follows it.
            if (end + 1 < length && !isSpaceOrTab(text[end + 1])) line += ' ';
        }
        i = end < length ? end + 1 : length;
    } else {
        while (i < length && !isSpaceOrTab(text[i])) ++i;
        line = text.substr(0, i);
        if (expanded.isInserted(0) && text[0] == '"') cannotStart(line);
    }

    // The arguments: a run of n backslashes before a quote stands for n / 2 of them, and an odd
    // one makes the quote an ordinary character. The author's backslashes keep that meaning.
    LString::size_type backslashes = 0;  // the run just written
    LString::size_type insertedBackslashes = 0;
    for (; i < length; ++i) {
        const char c = text[i];
        const bool inserted = expanded.isInserted(i);
        if (c == '\\') {
            line += c;
            ++backslashes;
            if (inserted) ++insertedBackslashes;
            continue;
        }
        if (c == '"') {
            if (inserted) {
                // The whole run stays as it is and the quote is an ordinary one.
                line.append(backslashes + 1, '\\');
            } else {
                line.append(insertedBackslashes, '\\');
            }
        }
        line += c;
        backslashes = 0;
        insertedBackslashes = 0;
    }
    return line;
}

}  // namespace wiz
