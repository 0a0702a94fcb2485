// A portable formatter for message texts with "%1!s!"-style inserts, following the rules of the
// system message formatter: %1..%99 with an optional !printf-conversion!, %n for a line break, %0
// to end the text, and %<other character> for that character (so %% is a percent sign).
#pragma once

#include <cstddef>
#include <initializer_list>

#include "base/lstring.h"

namespace wiz {

// Formats `format` with the inserts into `out`; false when the format refers to an insert that
// was not given (out is then unchanged). A conversion is a printf %s conversion: flags "-", a width
// and a
// ".precision"; every insert is text, so another conversion letter inserts the text as it is.
bool formatInserts(const LString& format, std::initializer_list<LString> inserts, LString& out);

// The highest insert number that `format` refers to (0 for none).
size_t highestInsert(const LString& format);

}  // namespace wiz
