#include "tools/pe_resources.h"

#include <algorithm>
#include <cstring>

#include "tools/pack_job.h"

namespace wizpack {

namespace {

constexpr uint32_t kSectionHeaderSize = 40;
constexpr uint32_t kResourceDirectory = 2;
constexpr uint32_t kCertificateDirectory = 4;
// Enough for every tree a launcher carries; a tree beyond it is not one wizpack wrote or reads.
constexpr uint32_t kMaxResources = 65536;

uint16_t get16(const Bytes& b, uint64_t at) {
    if (at + 2 > b.size()) fail("the executable ends inside its headers or resources");
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
uint32_t get32(const Bytes& b, uint64_t at) {
    if (at + 4 > b.size()) fail("the executable ends inside its headers or resources");
    return static_cast<uint32_t>(b[at]) | (static_cast<uint32_t>(b[at + 1]) << 8) |
           (static_cast<uint32_t>(b[at + 2]) << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
void put16(Bytes& b, uint64_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void put32(Bytes& b, uint64_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t alignUp(uint64_t v, uint32_t a) {
    const uint64_t r = (v + a - 1) / a * a;
    if (r > 0xFFFFFFFFu) fail("the rewritten executable would be larger than 4 GB");
    return static_cast<uint32_t>(r);
}

struct Section {
    uint32_t virtualSize, rva, rawSize, rawOffset;
};

// Resource keys in the order the format requires: names (compared as upper-case UTF-16 units)
// before numbers, numbers ascending.
bool keyLess(const ResourceKey& a, const ResourceKey& b) {
    const bool an = !a.text.empty(), bn = !b.text.empty();
    if (an != bn) return an;
    if (!an) return a.id < b.id;
    auto upper = [](char16_t c) { return c >= u'a' && c <= u'z' ? char16_t(c - 32) : c; };
    return std::lexicographical_compare(
        a.text.begin(), a.text.end(), b.text.begin(), b.text.end(),
        [&](char16_t x, char16_t y) { return upper(x) < upper(y); });
}

class TreeReader {
public:
    TreeReader(const Bytes& image, const Section& section, uint32_t treeRva, uint32_t treeSize,
               std::vector<Resource>& out)
        : image_(image), section_(section), treeRva_(treeRva), treeSize_(treeSize), out_(out) {}

    void read() {
        Resource path;
        directory(0, 0, path);
    }

private:
    uint64_t fileOffset(uint32_t rva, uint32_t size) const {
        if (rva < section_.rva || uint64_t(rva) + size > uint64_t(section_.rva) + section_.rawSize)
            fail("a resource lies outside the resource section");
        return uint64_t(section_.rawOffset) + (rva - section_.rva);
    }
    uint64_t treeOffset(uint32_t offset, uint32_t size) const {
        if (uint64_t(offset) + size > treeSize_) fail("the resource tree points beyond its end");
        return fileOffset(treeRva_ + offset, size);
    }
    ResourceKey key(uint32_t field) const {
        ResourceKey k;
        if (field & 0x80000000u) {
            const uint64_t at = treeOffset(field & 0x7FFFFFFFu, 2);
            const uint16_t length = get16(image_, at);
            treeOffset((field & 0x7FFFFFFFu) + 2, uint32_t(length) * 2);
            for (uint16_t i = 0; i < length; ++i) k.text += char16_t(get16(image_, at + 2 + 2 * i));
            if (k.text.empty()) fail("a resource has an empty name");
        } else {
            if (field > 0xFFFF) fail("a resource id is larger than 65535");
            k.id = field;
        }
        return k;
    }
    void directory(uint32_t offset, int level, Resource& path) {
        if (++directories_ > kMaxResources) fail("the resource tree has too many directories");
        const uint64_t at = treeOffset(offset, 16);
        const uint32_t count = uint32_t(get16(image_, at + 12)) + get16(image_, at + 14);
        treeOffset(offset + 16, count * 8);
        for (uint32_t i = 0; i < count; ++i) {
            const uint32_t nameField = get32(image_, at + 16 + 8 * i);
            const uint32_t target = get32(image_, at + 20 + 8 * i);
            const ResourceKey k = key(nameField);
            const bool subdirectory = (target & 0x80000000u) != 0;
            if (subdirectory != (level < 2))
                fail("the resource tree does not have the three levels type, name, language");
            if (level == 0) path.type = k;
            if (level == 1) path.name = k;
            if (subdirectory) {
                directory(target & 0x7FFFFFFFu, level + 1, path);
                continue;
            }
            if (!k.text.empty()) fail("a resource language is a name, not a number");
            const uint64_t data = treeOffset(target, 16);
            const uint32_t rva = get32(image_, data), size = get32(image_, data + 4);
            Resource r = path;
            r.language = static_cast<uint16_t>(k.id);
            r.codePage = get32(image_, data + 8);
            const uint64_t from = fileOffset(rva, size);
            r.data.assign(image_.begin() + from, image_.begin() + from + size);
            if (out_.size() >= kMaxResources) fail("the resource tree has too many entries");
            out_.push_back(std::move(r));
        }
    }

    const Bytes& image_;
    const Section& section_;
    uint32_t treeRva_, treeSize_;
    std::vector<Resource>& out_;
    uint32_t directories_ = 0;
};

void appendKeyString(Bytes& strings, const std::u16string& text) {
    const size_t at = strings.size();
    strings.resize(at + 2 + 2 * text.size());
    put16(strings, at, static_cast<uint32_t>(text.size()));
    for (size_t i = 0; i < text.size(); ++i) put16(strings, at + 2 + 2 * i, text[i]);
}

}  // namespace

std::u16string utf16(const std::string& text, const std::string& what) {
    std::u16string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t cp = 0;
        int more = 0;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            cp = c & 0x1F, more = 1;
        } else if ((c & 0xF0) == 0xE0) {
            cp = c & 0x0F, more = 2;
        } else if ((c & 0xF8) == 0xF0) {
            cp = c & 0x07, more = 3;
        } else {
            fail(what + " is not UTF-8 text");
        }
        if (i + more >= text.size() + (more ? 0 : 1)) fail(what + " is not UTF-8 text");
        for (int k = 1; k <= more; ++k) {
            const unsigned char n = static_cast<unsigned char>(text[i + k]);
            if ((n & 0xC0) != 0x80) fail(what + " is not UTF-8 text");
            cp = (cp << 6) | (n & 0x3F);
        }
        const uint32_t least[] = {0, 0x80, 0x800, 0x10000};
        if (cp < least[more] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            fail(what + " is not UTF-8 text");
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out += char16_t(0xD800 + (cp >> 10));
            out += char16_t(0xDC00 + (cp & 0x3FF));
        } else {
            out += char16_t(cp);
        }
        i += 1 + more;
    }
    return out;
}

uint32_t peChecksum(const Bytes& image, uint32_t fieldOffset) {
    uint64_t sum = 0;
    for (size_t i = 0; i < image.size(); i += 2) {
        if (i == fieldOffset || i == fieldOffset + 2) continue;
        uint32_t word = image[i];
        if (i + 1 < image.size()) word |= uint32_t(image[i + 1]) << 8;
        sum += word;
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    sum = (sum & 0xFFFF) + (sum >> 16);
    return static_cast<uint32_t>(sum + image.size());
}

Bytes buildResourceTree(std::vector<Resource> resources, uint32_t baseRva) {
    std::stable_sort(resources.begin(), resources.end(), [](const Resource& a, const Resource& b) {
        if (!(a.type == b.type)) return keyLess(a.type, b.type);
        if (!(a.name == b.name)) return keyLess(a.name, b.name);
        return a.language < b.language;
    });
    for (size_t i = 1; i < resources.size(); ++i)
        if (resources[i].type == resources[i - 1].type &&
            resources[i].name == resources[i - 1].name &&
            resources[i].language == resources[i - 1].language)
            fail("two resources of one type, name and language");

    // Runs of equal types, and of equal names within them.
    struct Run {
        size_t first, last;  // [first, last)
    };
    std::vector<Run> types, names;
    for (size_t i = 0; i < resources.size();) {
        size_t j = i;
        while (j < resources.size() && resources[j].type == resources[i].type) ++j;
        types.push_back({i, j});
        i = j;
    }
    for (size_t i = 0; i < resources.size();) {
        size_t j = i;
        while (j < resources.size() && resources[j].type == resources[i].type &&
               resources[j].name == resources[i].name)
            ++j;
        names.push_back({i, j});
        i = j;
    }
    // Layout: the root, the type directories, the name directories, the data entries, the
    // strings of named keys, then each resource's bytes on an 8-byte boundary.
    const uint32_t rootSize = 16 + 8 * uint32_t(types.size());
    uint32_t typeDirs = rootSize;
    uint32_t nameDirs = typeDirs;
    for (const Run& t : types) {
        size_t count = 0;
        for (const Run& n : names)
            if (n.first >= t.first && n.last <= t.last) ++count;
        nameDirs += 16 + 8 * uint32_t(count);
    }
    uint32_t dataEntries = nameDirs;
    for (const Run& n : names) dataEntries += 16 + 8 * uint32_t(n.last - n.first);
    const uint32_t stringsAt = dataEntries + 16 * uint32_t(resources.size());
    Bytes strings;
    std::vector<uint32_t> typeKey(types.size()), nameKey(names.size());
    for (size_t i = 0; i < types.size(); ++i) {
        const ResourceKey& k = resources[types[i].first].type;
        typeKey[i] = k.id;
        if (!k.text.empty()) {
            typeKey[i] = 0x80000000u | (stringsAt + uint32_t(strings.size()));
            appendKeyString(strings, k.text);
        }
    }
    for (size_t i = 0; i < names.size(); ++i) {
        const ResourceKey& k = resources[names[i].first].name;
        nameKey[i] = k.id;
        if (!k.text.empty()) {
            nameKey[i] = 0x80000000u | (stringsAt + uint32_t(strings.size()));
            appendKeyString(strings, k.text);
        }
    }
    uint32_t dataAt = alignUp(stringsAt + strings.size(), 8);
    std::vector<uint32_t> dataOffset(resources.size());
    for (size_t i = 0; i < resources.size(); ++i) {
        dataOffset[i] = dataAt;
        dataAt = alignUp(uint64_t(dataAt) + resources[i].data.size(), 8);
    }
    Bytes tree(dataAt, 0);
    auto directoryHeader = [&](uint32_t at, size_t first, size_t last, auto isNamed) {
        uint32_t named = 0;
        for (size_t i = first; i < last; ++i) named += isNamed(i) ? 1 : 0;
        put16(tree, at + 12, named);
        put16(tree, at + 14, uint32_t(last - first) - named);
    };
    directoryHeader(0, 0, types.size(), [&](size_t i) { return (typeKey[i] >> 31) != 0; });
    uint32_t nextTypeDir = typeDirs, nextNameDir = nameDirs;
    size_t nameIndex = 0;
    for (size_t t = 0; t < types.size(); ++t) {
        put32(tree, 16 + 8 * t, typeKey[t]);
        put32(tree, 20 + 8 * t, 0x80000000u | nextTypeDir);
        const size_t firstName = nameIndex;
        while (nameIndex < names.size() && names[nameIndex].last <= types[t].last) ++nameIndex;
        directoryHeader(nextTypeDir, firstName, nameIndex,
                        [&](size_t i) { return (nameKey[i] >> 31) != 0; });
        for (size_t n = firstName; n < nameIndex; ++n) {
            const uint32_t entry = nextTypeDir + 16 + 8 * uint32_t(n - firstName);
            put32(tree, entry, nameKey[n]);
            put32(tree, entry + 4, 0x80000000u | nextNameDir);
            const Run& run = names[n];
            directoryHeader(nextNameDir, run.first, run.last, [](size_t) { return false; });
            for (size_t r = run.first; r < run.last; ++r) {
                const uint32_t leaf = nextNameDir + 16 + 8 * uint32_t(r - run.first);
                put32(tree, leaf, resources[r].language);
                put32(tree, leaf + 4, dataEntries + 16 * uint32_t(r));
            }
            nextNameDir += 16 + 8 * uint32_t(run.last - run.first);
        }
        nextTypeDir += 16 + 8 * uint32_t(nameIndex - firstName);
    }
    for (size_t r = 0; r < resources.size(); ++r) {
        const uint32_t at = dataEntries + 16 * uint32_t(r);
        put32(tree, at, baseRva + dataOffset[r]);
        put32(tree, at + 4, uint32_t(resources[r].data.size()));
        put32(tree, at + 8, resources[r].codePage);
        if (!resources[r].data.empty())
            std::memcpy(tree.data() + dataOffset[r], resources[r].data.data(),
                        resources[r].data.size());
    }
    if (!strings.empty()) std::memcpy(tree.data() + stringsAt, strings.data(), strings.size());
    return tree;
}

PeResources::PeResources(Bytes image) : image_(std::move(image)) {
    const char* notPe = "it is not a Windows executable (no PE header)";
    if (image_.size() < 64 || image_[0] != 'M' || image_[1] != 'Z') fail(notPe);
    peOffset_ = get32(image_, 0x3C);
    if (uint64_t(peOffset_) + 24 > image_.size() || get32(image_, peOffset_) != 0x00004550)
        fail(notPe);
    sectionCount_ = get16(image_, peOffset_ + 6);
    const uint16_t optionalSize = get16(image_, peOffset_ + 20);
    optionalOffset_ = peOffset_ + 24;
    const uint16_t magic = get16(image_, optionalOffset_);
    if (magic != 0x10B && magic != 0x20B) fail(notPe);
    pe32Plus_ = magic == 0x20B;
    const uint32_t directories = optionalOffset_ + (pe32Plus_ ? 112 : 96);
    const uint32_t directoryCount = get32(image_, optionalOffset_ + (pe32Plus_ ? 108 : 92));
    if (directoryCount <= kCertificateDirectory ||
        directories + 8 * directoryCount > optionalOffset_ + optionalSize)
        fail("its PE header has no resource directory entry");
    if (get32(image_, directories + 8 * kCertificateDirectory + 4) != 0)
        fail(
            "it is signed (it carries a certificate table): pack the unsigned launcher, then "
            "sign the packed file");
    sectionTable_ = optionalOffset_ + optionalSize;
    if (sectionCount_ == 0) fail("it has no sections");
    get32(image_, sectionTable_ + sectionCount_ * kSectionHeaderSize - 4);
    const uint32_t treeRva = get32(image_, directories + 8 * kResourceDirectory);
    const uint32_t treeSize = get32(image_, directories + 8 * kResourceDirectory + 4);
    if (treeRva == 0 || treeSize == 0) fail("it has no resources to rewrite");
    bool found = false;
    Section holder{};
    for (uint16_t i = 0; i < sectionCount_; ++i) {
        const uint32_t at = sectionTable_ + i * kSectionHeaderSize;
        const Section s{get32(image_, at + 8), get32(image_, at + 12), get32(image_, at + 16),
                        get32(image_, at + 20)};
        if (treeRva >= s.rva && uint64_t(treeRva) + treeSize <= uint64_t(s.rva) + s.rawSize) {
            found = true;
            holder = s;
            resourceSection_ = i;
        }
    }
    if (!found) fail("its resources do not lie inside one section");
    if (uint64_t(holder.rawOffset) + holder.rawSize > image_.size())
        fail("its resource section runs beyond the end of the file");
    TreeReader(image_, holder, treeRva, treeSize, resources_).read();
}

Resource* PeResources::find(uint32_t type, uint32_t name) {
    for (Resource& r : resources_)
        if (r.type.text.empty() && r.type.id == type && r.name.text.empty() && r.name.id == name)
            return &r;
    return nullptr;
}

void PeResources::remove(uint32_t type, uint32_t name, bool anyName) {
    resources_.erase(
        std::remove_if(resources_.begin(), resources_.end(),
                       [&](const Resource& r) {
                           return r.type.text.empty() && r.type.id == type &&
                                  (anyName || (r.name.text.empty() && r.name.id == name));
                       }),
        resources_.end());
}

Bytes PeResources::write() const {
    Bytes out = image_;
    const uint32_t sectionAlignment = get32(out, optionalOffset_ + 32);
    const uint32_t fileAlignment = get32(out, optionalOffset_ + 36);
    const uint32_t sizeOfHeaders = get32(out, optionalOffset_ + 60);
    if (sectionAlignment == 0 || fileAlignment == 0)
        fail("its PE header gives no section or file alignment");
    // Room for one more section header before the first section's bytes.
    const uint32_t newHeader = sectionTable_ + sectionCount_ * kSectionHeaderSize;
    uint32_t firstRaw = sizeOfHeaders;
    uint64_t endRva = 0;
    for (uint16_t i = 0; i < sectionCount_; ++i) {
        const uint32_t at = sectionTable_ + i * kSectionHeaderSize;
        const uint32_t raw = get32(out, at + 20), rawSize = get32(out, at + 16);
        if (rawSize && raw < firstRaw) firstRaw = raw;
        const uint32_t vsize = get32(out, at + 8);
        endRva =
            std::max<uint64_t>(endRva, uint64_t(get32(out, at + 12)) + std::max(vsize, rawSize));
    }
    if (newHeader + kSectionHeaderSize > firstRaw || newHeader + kSectionHeaderSize > sizeOfHeaders)
        fail("its headers have no room for the section that would hold the new resources");
    if (sectionCount_ >= 96) fail("it has too many sections to add one");
    for (uint32_t i = newHeader; i < newHeader + kSectionHeaderSize; ++i)
        if (out[i] != 0) fail("the space after its section table is not free");

    const uint32_t rva = alignUp(endRva, sectionAlignment);
    const Bytes tree = buildResourceTree(resources_, rva);
    // The new section's bytes follow the last section's. What the file holds after them (the
    // COFF symbol table of an unstripped build) moves behind the new section, and the header
    // that points to it moves with it.
    uint64_t sectionsEnd = sizeOfHeaders;
    for (uint16_t i = 0; i < sectionCount_; ++i) {
        const uint32_t at = sectionTable_ + i * kSectionHeaderSize;
        const uint32_t rawSize = get32(out, at + 16);
        if (rawSize)
            sectionsEnd = std::max<uint64_t>(sectionsEnd, uint64_t(get32(out, at + 20)) + rawSize);
    }
    if (sectionsEnd > out.size()) fail("its sections run beyond the end of the file");
    const uint32_t rawOffset = alignUp(sectionsEnd, fileAlignment);
    // Padded to a whole page as well: readers that map a section by its page-rounded size then
    // find all of it in the file.
    const uint32_t rawSize =
        alignUp(alignUp(tree.size(), fileAlignment), std::max(fileAlignment, sectionAlignment));
    Bytes trailing(out.begin() + static_cast<std::ptrdiff_t>(sectionsEnd), out.end());
    out.resize(rawOffset, 0);
    out.insert(out.end(), tree.begin(), tree.end());
    out.resize(uint64_t(rawOffset) + rawSize, 0);
    const uint64_t trailingAt = out.size();
    out.insert(out.end(), trailing.begin(), trailing.end());
    const uint32_t symbols = get32(out, peOffset_ + 12);
    if (symbols != 0 && symbols >= sectionsEnd)
        put32(out, peOffset_ + 12, static_cast<uint32_t>(symbols - sectionsEnd + trailingAt));

    const uint32_t oldHeader = sectionTable_ + resourceSection_ * kSectionHeaderSize;
    const uint32_t characteristics = get32(out, oldHeader + 36);
    static const char oldName[8] = {'.', 'r', 's', 'r', 'c', '0', 0, 0};
    std::memcpy(out.data() + oldHeader, oldName, 8);
    static const char newName[8] = {'.', 'r', 's', 'r', 'c', 0, 0, 0};
    std::memcpy(out.data() + newHeader, newName, 8);
    put32(out, newHeader + 8, uint32_t(tree.size()));
    put32(out, newHeader + 12, rva);
    put32(out, newHeader + 16, rawSize);
    put32(out, newHeader + 20, rawOffset);
    put32(out, newHeader + 36, characteristics);
    put16(out, peOffset_ + 6, sectionCount_ + 1u);

    const uint32_t directories = optionalOffset_ + (pe32Plus_ ? 112 : 96);
    put32(out, directories + 8 * kResourceDirectory, rva);
    put32(out, directories + 8 * kResourceDirectory + 4, uint32_t(tree.size()));
    put32(out, optionalOffset_ + 56, alignUp(uint64_t(rva) + tree.size(), sectionAlignment));
    put32(out, optionalOffset_ + 8, get32(out, optionalOffset_ + 8) + rawSize);
    const uint32_t checksumField = optionalOffset_ + 64;
    if (get32(out, checksumField) != 0) put32(out, checksumField, peChecksum(out, checksumField));
    return out;
}

}  // namespace wizpack
