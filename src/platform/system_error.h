// The operating system's own text for one of its error codes (GetLastError on Windows, errno on
// POSIX), for messages and log lines.
#pragma once

#include <cstdint>

#include "base/lstring.h"

namespace wiz {

// The system's text without its trailing line break; "Unknown error <code>" when it has none.
LString systemErrorText(uint32_t code);

}  // namespace wiz
