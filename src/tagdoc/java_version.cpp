#include "tagdoc/java_version.h"

#include "base/chars.h"
#include "base/text_quote.h"
#include "tagdoc/text.h"

namespace wiz {

const char* const kMinVersionTag = "JVM_MIN_VERSION";
const char* const kMaxVersionTag = "JVM_MAX_VERSION";

namespace {

// Reads the digits at `at` as a number of at most 31 bits; false when there are none or the
// number is larger. `at` ends after the digits.
bool readNumber(const LString& text, LString::size_type& at, int32_t& number) {
    const LString::size_type start = at;
    int64_t value = 0;
    while (at < text.length() && isDigit(text[at])) {
        value = value * 10 + (text[at] - '0');
        if (value > INT32_MAX) return false;
        ++at;
    }
    if (at == start) return false;
    number = static_cast<int32_t>(value);
    return true;
}

// Whether what follows a version number at `at` lets it stand: the end, "." and a digit, "_" and
// a digit where `underscore` allows it, or "-" or "+" and anything.
bool endsNumber(const LString& text, LString::size_type at, bool underscore) {
    if (at == text.length()) return true;
    const char c = text[at];
    const bool more = at + 1 < text.length();
    if (c == '.' || (c == '_' && underscore)) return more && isDigit(text[at + 1]);
    return (c == '-' || c == '+') && more;
}

bool readBound(const TagDocument& document, const char* tag, bool& has, int32_t& bound,
               TagFlaw& flaw) {
    has = document.hasTag(tag);
    if (!has) return true;
    LString value = document.getValue(tag, 0);
    trim(value);
    LString::size_type at = 0;
    if (readNumber(value, at, bound) && at == value.length()) return true;
    flaw.message = LString(tag) + " must be a whole number such as 17, not \"" +
                   quoteForMessage(value) + "\".";
    flaw.line = document.valueLine(tag, 0);
    return false;
}

}  // namespace

bool javaFeatureVersion(const LString& version, int32_t& feature) {
    LString::size_type at = 0;
    int32_t first = 0;
    if (!readNumber(version, at, first)) return false;
    int32_t number = first;
    bool oldScheme = false;
    if (first == 1 && at + 1 < version.length() && version[at] == '.' && isDigit(version[at + 1])) {
        // 1.N: Java N of the old scheme.
        ++at;
        if (!readNumber(version, at, number)) return false;
        oldScheme = true;
    }
    if (number == 0 || !endsNumber(version, at, oldScheme)) return false;
    feature = number;
    return true;
}

bool JavaVersionRange::contains(int32_t feature) const {
    return (!hasMinimum || feature >= minimum) && (!hasMaximum || feature <= maximum);
}

LString JavaVersionRange::text() const {
    if (hasMinimum && hasMaximum) {
        if (minimum == maximum) return numberToString(minimum);
        return numberToString(minimum) + " to " + numberToString(maximum);
    }
    if (hasMinimum) return numberToString(minimum) + " or newer";
    if (hasMaximum) return numberToString(maximum) + " or older";
    return "any";
}

bool readJavaVersionRange(const TagDocument& document, JavaVersionRange& range, TagFlaw& flaw) {
    range = JavaVersionRange();
    if (!readBound(document, kMinVersionTag, range.hasMinimum, range.minimum, flaw) ||
        !readBound(document, kMaxVersionTag, range.hasMaximum, range.maximum, flaw)) {
        return false;
    }
    if (range.hasMinimum && range.hasMaximum && range.minimum > range.maximum) {
        flaw.message = LString(kMinVersionTag) + " (" + numberToString(range.minimum) +
                       ") is above " + kMaxVersionTag + " (" + numberToString(range.maximum) + ").";
        flaw.line = document.valueLine(kMinVersionTag, 0);
        return false;
    }
    return true;
}

}  // namespace wiz
