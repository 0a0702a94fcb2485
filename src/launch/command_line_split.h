// Splitting a Windows command line into its arguments, by the rules of CommandLineToArgvW.
//
// The POSIX child runner uses this to turn the launcher's command lines into an argv without
// going through a shell, so a command line means the same on both systems.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// Rules, as the Windows shell applies them:
// - Arguments are separated by runs of blanks (space and tab).
// - The first argument is the program: if it starts with a double quote it runs to the next
//   double quote, otherwise to the first blank. Backslashes and quotes inside it are literal.
// - In every later argument, 2n backslashes before a double quote give n backslashes and the
//   quote toggles quoting; 2n+1 backslashes before a quote give n backslashes and a literal
//   quote; backslashes not followed by a quote are literal. Blanks inside quotes are kept.
// - A run of quotes follows the shell's counting: inside quotes, "" gives one literal quote and
//   ends the quoted part; outside quotes, """ gives one literal quote.
// - An empty text gives no arguments; text starting with a blank gives an empty program.
StringList splitCommandLine(const LString& commandLine);

}  // namespace wiz
