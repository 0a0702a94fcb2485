// The order of versioned names ("jdk-17.0.9", "17.0.10"), and the expansion of "*" in the hints
// of the JVM search to the matching names, newest version first.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// Compares names with runs of digits taken as numbers: "17.0.10" after "17.0.9", "jdk-21" after
// "jdk-8". Negative, zero or positive like strcmp.
int compareVersionNames(const LString& a, const LString& b);
// Sorts the names newest version first (the largest by compareVersionNames first); equal names
// keep their order.
void sortNewestFirst(StringList& names);

// PATH_HINT: when the last path segment of `candidate` ends with "*", the directories beside it
// whose names begin with the text before the "*", newest version first; otherwise the candidate
// itself.
void expandPathWildcard(const LString& candidate, StringList& candidates);

}  // namespace wiz
