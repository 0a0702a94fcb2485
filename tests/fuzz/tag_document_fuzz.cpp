// libFuzzer entry: TagDocument::read over arbitrary bytes, as a whole document and as an embedded
// range in the middle of the input.
#include <cstdint>
#include <cstdio>

#include "base/exceptions.h"
#include "tagdoc/tag_document.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    std::FILE* f = fmemopen(const_cast<uint8_t*>(data), size, "rb");
    if (!f) return 0;
    for (int pass = 0; pass < 2; ++pass) {
        wiz::TagDocument doc;
        long offset = pass == 0 ? 0 : static_cast<long>(data[0] % size);
        long length = pass == 0 ? -1 : static_cast<long>(size / 2);
        try {
            doc.read(f, "fuzz.tag", offset, length);
            // Everything read must be retrievable.
            const wiz::StringList names = doc.tagNames();
            for (int32_t i = 0; i < names.count(); ++i)
                (void)doc.getValue(names.at(i), doc.valueCount(names.at(i)) - 1);
        } catch (const wiz::LauncherException&) {
        }
    }
    std::fclose(f);
    return 0;
}
