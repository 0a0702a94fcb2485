// The argument list and the start-up helpers of the entry point: the launcher's own command-line
// tokenizer (used where the system offers no wide command line to split, the Windows 9x family;
// portable so its quoting rules are tested everywhere), the host choice and the debug log switch.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// The command-line arguments, argument 0 (the program path) included.
class ArgumentList {
public:
    void append(const LString& arg) { args_.append(arg); }
    int count() const { return args_.count(); }
    // The characters of argument i, or null when i is outside 0..count-1.
    const char* at(int i) const { return i >= 0 && i < count() ? args_.at(i).c_str() : nullptr; }
    const StringList& list() const { return args_; }

private:
    StringList args_;
};

// Reads one token of `text` starting at `pos` (leading whitespace is skipped) and moves `pos`
// past it. A token opening with a double quote ends at the next unescaped double quote; an
// unquoted token ends at whitespace, and a quoted part inside it is appended without its quotes.
// With `escapes` on, a backslash escapes the next character: an escaped double quote is taken
// literally, any other escaped character keeps its backslash, and a final backslash is dropped.
LString readCommandLineToken(const LString& text, LString::size_type& pos, bool escapes);

// Splits a whole command line into `args`. The first token (the program path) is read with
// escapes off; empty tokens are left out.
void tokenizeCommandLine(const LString& text, ArgumentList& args);

// True when an argument after the program path is exactly "-console".
bool wantsConsoleHost(const ArgumentList& args);

// Enables the debug log when the environment variable DBGWIN32PPK names a file, and writes the
// start line to it.
void startDebugLogFromEnvironment();

}  // namespace wiz
