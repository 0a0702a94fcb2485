#include "jvm/version_order.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "base/chars.h"
#include "platform/fs.h"
#include "platform/path.h"

namespace wiz {

int compareVersionNames(const LString& a, const LString& b) {
    LString::size_type i = 0, j = 0;
    while (i < a.length() && j < b.length()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Numbers compare by value: without leading zeros, the longer run is larger.
            while (i < a.length() && a[i] == '0') ++i;
            while (j < b.length() && b[j] == '0') ++j;
            LString::size_type endA = i, endB = j;
            while (endA < a.length() && isDigit(a[endA])) ++endA;
            while (endB < b.length() && isDigit(b[endB])) ++endB;
            if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
            for (; i < endA; ++i, ++j) {
                if (a[i] != b[j]) return a[i] < b[j] ? -1 : 1;
            }
            continue;
        }
        if (a[i] != b[j]) {
            return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
        }
        ++i;
        ++j;
    }
    if (i < a.length()) return 1;
    if (j < b.length()) return -1;
    return 0;
}

void sortNewestFirst(StringList& names) {
    std::vector<LString> sorted;
    for (int32_t i = 0; i < names.count(); ++i) sorted.push_back(names.at(i));
    std::stable_sort(sorted.begin(), sorted.end(), [](const LString& x, const LString& y) {
        return compareVersionNames(x, y) > 0;
    });
    names.clear();
    for (const LString& name : sorted) names.append(name);
}

void expandPathWildcard(const LString& candidate, StringList& candidates) {
    if (candidate.empty() || candidate[candidate.length() - 1] != '*') {
        candidates.append(candidate);
        return;
    }
    LString::size_type separator = candidate.length();
    while (separator > 0 && !isPathSeparator(candidate[separator - 1])) --separator;
    const LString parent = candidate.substr(0, separator);
    const LString prefix = candidate.substr(separator, candidate.length() - 1 - separator);
    if (prefix.find('*') != LString::npos) return;  // only a final "*" is a wildcard
    StringList names;
    DirectoryListing listing(parent.empty() ? LString(".") : parent);
    DirectoryEntry entry;
    while (listing.next(entry)) {
        if (!startsWithNoCase(entry.name, prefix)) continue;
        // A link to a directory counts too (as /usr/lib/jvm has them).
        uint32_t attributes = 0;
        if (entry.isPlainDirectory() ||
            (readAttributes(parent + entry.name + pathSeparator(), attributes).ok() &&
             (attributes & kAttrDirectory))) {
            names.append(entry.name);
        }
    }
    sortNewestFirst(names);
    for (int32_t i = 0; i < names.count(); ++i) candidates.append(parent + names.at(i));
}

}  // namespace wiz
