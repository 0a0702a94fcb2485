// A JVM descriptor: the tag document that describes one family of Java runtimes (its java
// executable, hints where it is installed, the properties a suitable runtime reports and the
// option fragments of the launch script).
#pragma once

#include "base/lstring.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class JvmDescriptor {
public:
    // The document is not owned: an embedded one belongs to its file-index entry, a file read
    // from disk to whoever loaded it. It must outlive the descriptor.
    explicit JvmDescriptor(TagDocument& document) : document_(document) {}
    JvmDescriptor(const JvmDescriptor&) = delete;
    JvmDescriptor& operator=(const JvmDescriptor&) = delete;
    virtual ~JvmDescriptor();

    // The descriptor's document; verification and the JVM file update its JVM_* tags.
    TagDocument& document() const { return document_; }
    // The entry name of an embedded descriptor or the path of a file, for messages.
    const LString& sourceName() const { return document_.sourceName(); }

private:
    TagDocument& document_;
};

}  // namespace wiz
