// Quoting of single arguments for a command line that is split by the rules of CommandLineToArgvW
// and of the C runtime (command_line_split.h): every argument comes out of the split exactly as
// it went in.
#pragma once

#include "base/expansion_text.h"
#include "base/lstring.h"

namespace wiz {

// The argument in double quotes. A double quote inside gets a backslash before it, and the
// backslashes directly before a double quote or before the closing quote are doubled; all other
// backslashes stay as they are. An argument without backslashes before a quote thus only has
// each quote escaped.
LString quoteArgument(const LString& argument);

// Appends a blank and the quoted argument.
void appendQuotedArgument(LString& commandLine, const LString& argument);

// The command line of an expanded launch script, in which each inserted value reaches the
// program exactly as it is, whatever the author's quoting around it: after the program, an
// inserted double quote gets backslashes before it, and inserted backslashes directly before a
// double quote are doubled. The program itself has no escapes: a program path that holds an
// inserted double quote is written without the author's quotes, which needs a path without
// blanks (ProcessStartException otherwise). Text without inserted values comes out unchanged.
LString commandLineOf(const ExpansionText& expanded);

}  // namespace wiz
