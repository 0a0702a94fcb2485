// Texts from input documents and launcher files quoted in messages: at most a few hundred bytes,
// control characters escaped, so a message stays short and a name cannot steer a terminal.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// At most kMaxQuotedBytes of `text` followed by "..." when it was longer; control characters
// (below 32, and 127) as \n, \r, \t or \xNN, and a backslash as itself.
LString quoteForMessage(const LString& text);

constexpr LString::size_type kMaxQuotedBytes = 200;

// Outside text for the log (a child's output, a command line built from the arguments): at most
// kMaxLoggedBytes of `text`, its start or (with `fromEnd`) its end, unchanged. When anything is
// left out, including `alreadyLeftOut` bytes that never reached `text`, a line says how many:
// "[N more bytes left out]" after the start, "[N earlier bytes left out]" before the end.
LString excerptForLog(const LString& text, bool fromEnd = false, uint64_t alreadyLeftOut = 0);

constexpr LString::size_type kMaxLoggedBytes = 64 * 1024;

}  // namespace wiz
