// Texts from input documents and launcher files quoted in messages: at most a few hundred bytes,
// control characters escaped, so a message stays short and a name cannot steer a terminal.
#pragma once

#include "base/lstring.h"

namespace wiz {

// At most kMaxQuotedBytes of `text` followed by "..." when it was longer; control characters
// (below 32, and 127) as \n, \r, \t or \xNN, and a backslash as itself.
LString quoteForMessage(const LString& text);

constexpr LString::size_type kMaxQuotedBytes = 200;

}  // namespace wiz
