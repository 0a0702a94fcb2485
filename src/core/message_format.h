// A portable formatter for message texts with "%1!s!"-style inserts (the rules of the system
// message formatter: %1..%99 with an optional !printf-spec!, %% for a percent sign, %n for a line
// break, %0 to end the text).
#pragma once

#include <initializer_list>

#include "base/lstring.h"

namespace wiz {

// Returns false when the format refers to an insert that was not given.
bool formatInserts(const LString& format, std::initializer_list<LString> inserts, LString& out);

}  // namespace wiz
