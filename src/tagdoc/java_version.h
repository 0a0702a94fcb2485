// Java versions as JVM descriptors name them: the feature version of a runtime's java.version
// ("1.8.0_392" is 8, "17.0.2" is 17) and the range of feature versions a descriptor accepts
// (JVM_MIN_VERSION, JVM_MAX_VERSION). The launcher and the packing tool read the range with the
// same function, so a descriptor the one refuses the other refuses too.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// The feature version of a java.version value: its first number, or the second one in the
// scheme of Java 8 and before ("1.8.0_392" is 8, "1.5.0_06" is 5). The number must end the
// text or be followed by "." and a digit, by "_" and a digit (the old scheme only), or by "-" or
// "+" and more ("25-ea", "26.0.1+7"). False when the text is no Java version or its feature is 0
// or does not fit into 32 bits.
bool javaFeatureVersion(const LString& version, int32_t& feature);

// The feature versions a descriptor accepts; both ends inclusive, either may be open.
struct JavaVersionRange {
    bool hasMinimum = false;
    bool hasMaximum = false;
    int32_t minimum = 0;
    int32_t maximum = 0;

    // Whether the descriptor names a range at all.
    bool present() const { return hasMinimum || hasMaximum; }
    bool contains(int32_t feature) const;
    // For messages: "17 or newer", "8 to 11", "11 or older".
    LString text() const;
};

// What is wrong with a document's tag: the message, and the line of the value (0 when the
// document keeps no lines, see TagDocument::keepValueLines).
struct TagFlaw {
    LString message;
    int32_t line = 0;
};

// The tags of the range.
extern const char* const kMinVersionTag;
extern const char* const kMaxVersionTag;

// Reads JVM_MIN_VERSION and JVM_MAX_VERSION: each a whole number (blanks around it allowed),
// either may be absent. False, with `flaw` set, when one is not a whole number or the minimum is
// above the maximum.
bool readJavaVersionRange(const TagDocument& document, JavaVersionRange& range, TagFlaw& flaw);

}  // namespace wiz
