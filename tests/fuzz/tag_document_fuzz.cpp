// Fuzz target: the tag document reader and writer. The input is read as a whole document and as
// an embedded range in the middle of it (as entries are read from a launcher file). A document
// that reads is written out and read back, and must come back with the same tags and values.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>

#include "fuzz_support.h"
#include "tagdoc/tag_document.h"

namespace {

using wiz::LString;
using wiz::StringList;
using wiz::TagDocument;

// Everything read must be retrievable, and getValue and valueCount must agree.
void touchAll(const TagDocument& doc) {
    const StringList names = doc.tagNames();
    for (int32_t i = 0; i < names.count(); ++i) {
        const int32_t count = doc.valueCount(names.at(i));
        for (int32_t v = 0; v <= count; ++v) (void)doc.getValue(names.at(i), v);
        (void)doc.getBool(names.at(i), false);
    }
}

// A name appears at most once in tagNames (a later tag of the same name replaces the earlier
// one), and a tag is listed only with values.
void checkNames(const TagDocument& doc) {
    const StringList names = doc.tagNames();
    std::set<std::string> seen;
    for (int32_t i = 0; i < names.count(); ++i) {
        const std::string& name = names.at(i).str();
        if (doc.valueCount(names.at(i)) == 0) {
            wizfuzz::finding("tag " + wizfuzz::shown(name) + " listed without values");
        }
        if (!seen.insert(name).second) {
            wizfuzz::finding("tag " + wizfuzz::shown(name) + " listed twice");
        }
    }
}

// Writes the document to memory and reads it back: same names in the same order, same values.
void checkRoundTrip(const TagDocument& doc) {
    char* buffer = nullptr;
    size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    if (!out) return;
    if (!doc.writeTo(wiz::FilePtr(out))) {
        std::free(buffer);
        return;
    }
    const std::string written(buffer, size);
    std::free(buffer);

    TagDocument back;
    if (!wizfuzz::readDocument(written, back, "written.tag")) {
        wizfuzz::finding("a written document does not read back:\n" + wizfuzz::shown(written));
    }
    const StringList names = doc.tagNames();
    const StringList backNames = back.tagNames();
    if (names.count() != backNames.count()) {
        wizfuzz::finding("written document lost or gained tags:\n" + wizfuzz::shown(written));
    }
    for (int32_t i = 0; i < names.count(); ++i) {
        const LString& name = names.at(i);
        if (backNames.at(i) != name) {
            wizfuzz::finding("tag order changed at " + wizfuzz::shown(name.str()) + ":\n" +
                             wizfuzz::shown(written));
        }
        const int32_t count = doc.valueCount(name);
        if (back.valueCount(name) != count) {
            wizfuzz::finding("value count of " + wizfuzz::shown(name.str()) + " changed:\n" +
                             wizfuzz::shown(written));
        }
        for (int32_t v = 0; v < count; ++v) {
            if (back.getValue(name, v) != doc.getValue(name, v)) {
                wizfuzz::finding("value " + std::to_string(v) + " of " +
                                 wizfuzz::shown(name.str()) + " changed from " +
                                 wizfuzz::shown(doc.getValue(name, v).str()) + " to " +
                                 wizfuzz::shown(back.getValue(name, v).str()));
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        TagDocument doc;
        const long offset = pass == 0 ? 0 : static_cast<long>(data[0] % size);
        const long length = pass == 0 ? -1 : static_cast<long>(size / 2);
        try {
            doc.read(f, "fuzz.tag", offset, length);
        } catch (const wiz::LauncherException&) {
            touchAll(doc);
            continue;
        }
        touchAll(doc);
        checkNames(doc);
        // Documents are text: a NUL byte cannot be written (nor typed into a document).
        if (pass == 0 && std::memchr(data, '\0', size) == nullptr) checkRoundTrip(doc);
    }
    std::fclose(f);
    return 0;
}
