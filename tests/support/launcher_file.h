// Test launcher files as the packing tool writes them: a stub, the entries' bytes, the index,
// the style byte and the trailer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "archive/launcher_format.h"
#include "base/lstring.h"

namespace wiztest {

// One embedded file of a test launcher.
struct Part {
    int32_t type;
    uint32_t id;
    std::string name;
    std::string bytes;
    bool compressed = false;
    uint32_t decompressedCount = 0;
    uint32_t decompressedSize = 0;
};

inline const std::string kStub = "MZ-stub-image";

inline std::string u32(uint32_t v) {
    std::string s;
    wiz::appendUInt32BE(s, v);
    return s;
}
inline std::string u16(uint16_t v) {
    std::string s;
    wiz::appendUInt16BE(s, v);
    return s;
}

// A launcher file as the packing tool writes it: stub, entry bytes, index, style, trailer.
inline std::string packLauncher(const std::vector<Part>& parts, uint8_t style = 0) {
    std::string body = kStub;
    std::vector<wiz::EntryRecord> records;
    for (const Part& p : parts) {
        wiz::EntryRecord r;
        r.type = p.type;
        r.id = p.id;
        r.name = wiz::LString(p.name);
        r.offset = static_cast<uint32_t>(body.size());
        r.length = static_cast<uint32_t>(p.bytes.size());
        r.compressed = p.compressed;
        r.decompressedCount = p.decompressedCount;
        r.decompressedSize = p.decompressedSize;
        records.push_back(r);
        body += p.bytes;
    }
    const uint32_t indexOffset = static_cast<uint32_t>(body.size());
    body += u32(static_cast<uint32_t>(records.size()));
    for (const auto& r : records) wiz::appendEntryRecord(body, r);
    wiz::appendTrailer(body, style, indexOffset);
    return body;
}

}  // namespace wiztest
