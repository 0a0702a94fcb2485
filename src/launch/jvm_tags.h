// A JVM as the launch sees it: the tags of its descriptor document, whose @NAME@ tokens expand to
// the tag values. The JVM descriptors of the search (jvm/jvm_descriptor.h) derive from it.
#pragma once

#include "base/lstring.h"
#include "launch/token_expander.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class JvmTags : public TokenExpander {
public:
    // The document is not owned and must outlive this object.
    explicit JvmTags(TagDocument& document) : document_(document) {}
    JvmTags(const JvmTags&) = delete;
    JvmTags& operator=(const JvmTags&) = delete;

    TagDocument& document() const { return document_; }
    // The first value of the tag, empty when the document lacks it.
    LString tag(const LString& name) const { return document_.getValue(name, 0); }

    // An @NAME@ token becomes the value of the tag NAME (empty when missing); for JVM_HOME one
    // trailing path separator is left out. The paths the launcher wrote into the document (the
    // home and the JVM file's own path) go in as inserted values that no scan reads again; the
    // author's tags stay text that may hold further tokens.
    void resolveToken(ExpansionText& text, char delimiter, LString::size_type start,
                      LString::size_type close) override;

private:
    TagDocument& document_;
};

}  // namespace wiz
