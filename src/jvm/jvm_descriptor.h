// A JVM descriptor: the tag document that describes one family of Java runtimes (its java
// executable, hints where it is installed, the properties a suitable runtime reports and the
// option fragments of the launch script), and the match of a verified home.
#pragma once

#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "launch/jvm_tags.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class JvmDescriptor : public JvmTags {
public:
    // The document is not owned: an embedded one belongs to its file-index entry, a file read
    // from disk to whoever loaded it. It must outlive the descriptor. Verification and the JVM
    // file update its JVM_HOME, JVM_FILE and JVM_TEMP tags.
    explicit JvmDescriptor(TagDocument& document) : JvmTags(document) {}

    // The entry name of an embedded descriptor or the path of a file, for messages.
    const LString& sourceName() const { return document().sourceName(); }
};

// A verified JVM home of one descriptor.
class JvmMatch {
public:
    JvmMatch(const LString& verifiedHome, TagDocument& document, bool temporary = false)
        : home(verifiedHome), isTemporary(temporary), document_(document) {}

    // Writes the descriptor document, completed with this match (JVM_HOME the home, JVM_FILE the
    // new file's own path, JVM_TEMP "1" for a temporary home), to a new temporary file (prefix
    // "LRE", removed at exit unless taken off the registry) and returns its path.
    LString writeJvmFile() const;

    TagDocument& document() const { return document_; }

    // The home exactly as it was verified.
    LString home;
    // Found relative to the launcher's directory (a bundled runtime).
    bool isTemporary = false;

private:
    TagDocument& document_;
};

// Result lists own their matches.
class JvmMatchList : public TypedList<JvmMatch> {};

}  // namespace wiz
