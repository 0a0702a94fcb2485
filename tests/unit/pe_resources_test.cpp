#include "tools/pe_resources.h"

#include <gtest/gtest.h>

#include <cstring>

#include "tools/branding.h"
#include "tools/pack_job.h"

using namespace wizpack;

namespace {

void put32(Bytes& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get32(const Bytes& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

Resource resource(uint32_t type, uint32_t name, uint16_t language, const std::string& data) {
    Resource r;
    r.type.id = type;
    r.name.id = name;
    r.language = language;
    r.data.assign(data.begin(), data.end());
    return r;
}

// A 32-bit image with one section, .rsrc at 0x1000, holding `resources`.
constexpr size_t kOptional = 0x40 + 24;
Bytes image(const std::vector<Resource>& resources, uint32_t checksum = 0) {
    const Bytes tree = buildResourceTree(resources, 0x1000);
    const uint32_t raw = (static_cast<uint32_t>(tree.size()) + 0x1FF) & ~0x1FFu;
    Bytes b(0x200 + raw, 0);
    b[0] = 'M', b[1] = 'Z';
    put32(b, 0x3C, 0x40);
    put32(b, 0x40, 0x4550);
    b[0x44] = 0x4C, b[0x45] = 0x01;  // i386
    b[0x46] = 1;                     // one section
    b[0x54] = 224;                   // optional header size
    b[kOptional] = 0x0B, b[kOptional + 1] = 0x01;
    put32(b, kOptional + 32, 0x1000);
    put32(b, kOptional + 36, 0x200);
    put32(b, kOptional + 56, 0x1000 + ((raw + 0xFFF) & ~0xFFFu));
    put32(b, kOptional + 60, 0x200);
    put32(b, kOptional + 64, checksum);
    put32(b, kOptional + 92, 16);
    put32(b, kOptional + 96 + 16, 0x1000);
    put32(b, kOptional + 96 + 20, static_cast<uint32_t>(tree.size()));
    const size_t section = kOptional + 224;
    std::memcpy(&b[section], ".rsrc", 5);
    put32(b, section + 8, static_cast<uint32_t>(tree.size()));
    put32(b, section + 12, 0x1000);
    put32(b, section + 16, raw);
    put32(b, section + 20, 0x200);
    std::copy(tree.begin(), tree.end(), b.begin() + 0x200);
    return b;
}

std::string refusal(const Bytes& b) {
    try {
        PeResources pe(b);
        pe.write();
    } catch (const PackError& e) {
        return e.what();
    }
    return "accepted";
}

}  // namespace

// Read, changed, written, read again: the resources come back sorted, with their bytes, in a
// new last section that the headers describe.
TEST(PeResources, RewriteRoundTrip) {
    Resource named = resource(10, 0, 0, "named");
    named.name.text = u"Config";
    const std::vector<Resource> original = {resource(6, 7, 0x409, "strings"), named,
                                            resource(3, 1, 0, "icon")};
    PeResources pe(image(original));
    ASSERT_EQ(pe.resources().size(), 3u);
    pe.remove(3, 1);
    pe.resources().push_back(resource(3, 2, 0, "new icon bytes"));
    const Bytes written = pe.write();

    EXPECT_EQ(written[0x46], 2) << "a second section";
    const size_t added = kOptional + 224 + 40;
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&written[added])), ".rsrc");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&written[kOptional + 224])), ".rsrc0");
    const uint32_t rva = get32(written, added + 12);
    EXPECT_EQ(rva % 0x1000, 0u);
    EXPECT_EQ(get32(written, kOptional + 96 + 16), rva) << "the resource directory entry";
    EXPECT_EQ(get32(written, kOptional + 56), rva + 0x1000) << "SizeOfImage";
    EXPECT_EQ(get32(written, added + 20) % 0x200, 0u);
    EXPECT_EQ(get32(written, kOptional + 64), 0u) << "a checksum of 0 stays 0";

    PeResources again(written);
    std::vector<std::string> seen;
    for (const Resource& r : again.resources())
        seen.push_back(std::to_string(r.type.id) + "/" +
                       (r.name.text.empty() ? std::to_string(r.name.id) : "Config") + ":" +
                       std::string(r.data.begin(), r.data.end()));
    EXPECT_EQ(seen,
              (std::vector<std::string>{"3/2:new icon bytes", "6/7:strings", "10/Config:named"}));
}

// What follows the sections in the file (the COFF symbol table of an unstripped build) moves
// behind the new section, and its pointer with it.
TEST(PeResources, SymbolTableMovesBehindTheNewSection) {
    Bytes base = image({resource(6, 1, 9, "x")});
    const uint32_t symbols = static_cast<uint32_t>(base.size());
    put32(base, 0x40 + 12, symbols);
    for (char c : std::string("SYMBOLS")) base.push_back(static_cast<uint8_t>(c));
    const Bytes written = PeResources(base).write();
    const uint32_t moved = get32(written, 0x40 + 12);
    EXPECT_EQ(std::string(written.begin() + moved, written.end()), "SYMBOLS");
    const size_t added = kOptional + 224 + 40;
    EXPECT_EQ(get32(written, added + 20), symbols) << "the new section takes the table's place";
    EXPECT_EQ(moved, get32(written, added + 20) + get32(written, added + 16));
}

TEST(PeResources, ChecksumAsTheLinkerComputesIt) {
    const Bytes written = PeResources(image({resource(6, 1, 9, "x")}, 0x1234)).write();
    const uint32_t field = kOptional + 64;
    EXPECT_EQ(get32(written, field), peChecksum(written, field));
    // The sum of the 16-bit words, carries folded, plus the length.
    // 1 + 0xFFFF folds to 1 (the field at 4 counts as 0), then 2, then the length 10.
    EXPECT_EQ(peChecksum(Bytes{1, 0, 0xAA, 0xAA, 0xAA, 0xAA, 0xFF, 0xFF, 2, 0}, 2), 1u + 2 + 10);
}

TEST(PeResources, Refusals) {
    Bytes signedImage = image({resource(6, 1, 9, "x")});
    put32(signedImage, kOptional + 96 + 4 * 8 + 4, 16);
    Bytes noResources = image({resource(6, 1, 9, "x")});
    put32(noResources, kOptional + 96 + 16, 0);
    Bytes outside = image({resource(6, 1, 9, "x")});
    put32(outside, kOptional + 96 + 16, 0x9000);
    Bytes loop = image({resource(6, 1, 9, "x")});
    put32(loop, 0x200 + 20, 0x80000000u);  // the type's directory is the root again
    Bytes full = image({resource(6, 1, 9, "x")});
    full[kOptional + 224 + 40] = 1;  // no free header room
    const struct {
        Bytes bytes;
        const char* message;
    } cases[] = {
        {Bytes(64, 0), "it is not a Windows executable (no PE header)"},
        {Bytes{'M', 'Z'}, "it is not a Windows executable (no PE header)"},
        {signedImage, "it is signed"},
        {noResources, "it has no resources to rewrite"},
        {outside, "its resources do not lie inside one section"},
        {loop, "the resource tree does not have the three levels type, name, language"},
        {full, "the space after its section table is not free"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(refusal(c.bytes).rfind(c.message, 0), 0u) << refusal(c.bytes);
}

TEST(Branding, VersionParts) {
    uint16_t v[4];
    parseVersion("3.1", v);
    EXPECT_EQ(std::vector<int>(v, v + 4), (std::vector<int>{3, 1, 0, 0}));
    parseVersion("65535.0.0.7", v);
    EXPECT_EQ(v[0], 65535);
    for (const char* bad : {"", "1.", ".1", "1.2.3.4.5", "65536", "1.-2", "1.2a", " 1"})
        EXPECT_THROW(parseVersion(bad, v), PackError) << bad;
}

TEST(Branding, IconRefusals) {
    auto ico = [](uint8_t w, const Bytes& data) {
        Bytes b = {0, 0, 1, 0, 1, 0, w, w, 0, 0, 1, 0, 32, 0};
        for (uint32_t v : {static_cast<uint32_t>(data.size()), 22u})
            for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
        b.insert(b.end(), data.begin(), data.end());
        return b;
    };
    Bytes bitmap(40 + 16 * 16 * 4 + 64, 0);
    put32(bitmap, 0, 40), put32(bitmap, 4, 16), put32(bitmap, 8, 32);
    EXPECT_EQ(readIcon(ico(16, bitmap)).size(), 1u);
    Bytes huge = bitmap;
    put32(huge, 4, 512), put32(huge, 8, 1024);
    Bytes truncated = ico(16, bitmap);
    truncated.resize(truncated.size() - 10);
    const struct {
        Bytes file;
        const char* message;
    } cases[] = {
        {Bytes{'P', 'K', 3, 4, 0, 0}, "it is not an .ico file"},
        {ico(0, huge), "image 1 is 512x512: an icon image is at most 256x256"},
        {truncated, "image 1 lies outside the .ico file"},
        {ico(16, Bytes(64, 'x')), "image 1 is neither a bitmap nor a PNG"},
    };
    for (const auto& c : cases) {
        try {
            readIcon(c.file);
            ADD_FAILURE() << c.message;
        } catch (const PackError& e) {
            EXPECT_EQ(std::string(e.what()), c.message);
        }
    }
}
