#include "tools/branding.h"

#include <cerrno>
#include <cstring>

#include "platform/file.h"
#include "tools/texts.h"

namespace wizpack {

namespace {

constexpr uint16_t kEnglishUs = 0x0409;

void put16(Bytes& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void add16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void add32(Bytes& b, uint32_t v) {
    add16(b, v & 0xFFFF);
    add16(b, v >> 16);
}
uint32_t read32(const Bytes& b, size_t at) {
    return uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16) |
           (uint32_t(b[at + 3]) << 24);
}
void pad4(Bytes& b) {
    while (b.size() % 4) b.push_back(0);
}
void addText(Bytes& b, const std::u16string& text) {
    for (char16_t c : text) add16(b, c);
    add16(b, 0);
}

Bytes readWholeFile(const std::string& path) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    Bytes data;
    uint8_t buffer[65536];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, in.get())) > 0;) {
        data.insert(data.end(), buffer, buffer + n);
        if (data.size() > (64u << 20)) fail("'" + path + "' is larger than 64 MB");
    }
    if (std::ferror(in.get())) fail("cannot read '" + path + "'");
    return data;
}

// One node of a version resource: its length, the length of its value, its type (1: text),
// its key, then the value and the children, each on a 4-byte boundary.
Bytes versionNode(const std::u16string& key, const Bytes& value, uint16_t valueLength, bool text,
                  const std::vector<Bytes>& children) {
    Bytes node;
    add16(node, 0);
    add16(node, valueLength);
    add16(node, text ? 1 : 0);
    addText(node, key);
    pad4(node);
    node.insert(node.end(), value.begin(), value.end());
    for (const Bytes& child : children) {
        pad4(node);
        node.insert(node.end(), child.begin(), child.end());
    }
    put16(node, 0, static_cast<uint32_t>(node.size()));
    return node;
}

Bytes versionString(const std::u16string& key, const std::u16string& value) {
    Bytes v;
    addText(v, value);
    return versionNode(key, v, static_cast<uint16_t>(value.size() + 1), true, {});
}

std::u16string versionText(const uint16_t parts[4]) {
    std::string s;
    for (int i = 0; i < 4; ++i) s += (i ? "." : "") + std::to_string(parts[i]);
    return std::u16string(s.begin(), s.end());
}

// The version numbers of the base's own version resource, or 0.0.0.0.
void baseVersion(PeResources& pe, uint16_t parts[4]) {
    parts[0] = parts[1] = parts[2] = parts[3] = 0;
    const Resource* r = pe.find(kRtVersion, 1);
    // Header (6 bytes), "VS_VERSION_INFO" with its terminator (32), padding (2), then the fixed
    // part, which starts with its signature.
    if (!r || r->data.size() < 40 + 52 || read32(r->data, 40) != 0xFEEF04BDu) return;
    const uint32_t ms = read32(r->data, 48), ls = read32(r->data, 52);
    parts[0] = ms >> 16, parts[1] = ms & 0xFFFF, parts[2] = ls >> 16, parts[3] = ls & 0xFFFF;
}

void brandVersion(PeResources& pe, const BrandingRequest& b, const std::string& outputName) {
    uint16_t v[4];
    if (b.version.given())
        parseVersion(b.version.value, v);
    else
        baseVersion(pe, v);
    Bytes fixed;
    add32(fixed, 0xFEEF04BDu);
    add32(fixed, 0x00010000u);
    for (int twice = 0; twice < 2; ++twice) {  // file version, product version
        add32(fixed, (uint32_t(v[0]) << 16) | v[1]);
        add32(fixed, (uint32_t(v[2]) << 16) | v[3]);
    }
    add32(fixed, 0x3F);  // flags mask
    add32(fixed, 0);     // flags
    add32(fixed, 0x4);   // VOS__WINDOWS32
    add32(fixed, 0x1);   // VFT_APP
    add32(fixed, 0);
    add32(fixed, 0);
    add32(fixed, 0);

    const std::u16string version = versionText(v);
    std::vector<Bytes> strings;
    auto add = [&](const char16_t* key, const BrandValue& value) {
        if (value.given())
            strings.push_back(versionString(key, utf16(value.value, "a version text")));
    };
    add(u"CompanyName", b.company);
    add(u"FileDescription", b.description.given() ? b.description : b.productName);
    strings.push_back(versionString(u"FileVersion", version));
    strings.push_back(versionString(u"InternalName", utf16(outputName, "the output's name")));
    add(u"LegalCopyright", b.copyright);
    strings.push_back(versionString(u"OriginalFilename", utf16(outputName, "the output's name")));
    add(u"ProductName", b.productName);
    strings.push_back(versionString(u"ProductVersion", version));

    const Bytes table = versionNode(u"040904B0", {}, 0, true, strings);
    const Bytes stringInfo = versionNode(u"StringFileInfo", {}, 0, true, {table});
    Bytes translation;
    add16(translation, kEnglishUs);
    add16(translation, 1200);
    const Bytes var = versionNode(u"Translation", translation, 4, false, {});
    const Bytes varInfo = versionNode(u"VarFileInfo", {}, 0, true, {var});
    Bytes root = versionNode(u"VS_VERSION_INFO", fixed, 52, false, {stringInfo, varInfo});

    uint16_t language = kEnglishUs;
    if (const Resource* old = pe.find(kRtVersion, 1)) language = old->language;
    pe.remove(kRtVersion, 0, true);
    Resource r;
    r.type.id = kRtVersion;
    r.name.id = 1;
    r.language = language;
    r.data = std::move(root);
    pe.resources().push_back(std::move(r));
}

void brandIcon(PeResources& pe, const std::vector<IconImage>& images) {
    // Every icon group (the launcher has one in each language of its texts) shows the new
    // images; the images the groups showed go.
    std::vector<uint32_t> oldIds;
    bool anyGroup = false;
    uint16_t imageLanguage = 0;
    for (const Resource& r : pe.resources()) {
        if (!r.type.text.empty() || r.type.id != kRtGroupIcon) continue;
        anyGroup = true;
        const Bytes& old = r.data;
        const size_t count = old.size() >= 6 ? (old[4] | (old[5] << 8)) : 0;
        for (size_t i = 0; i < count && 6 + 14 * i + 14 <= old.size(); ++i)
            oldIds.push_back(old[6 + 14 * i + 12] | (old[6 + 14 * i + 13] << 8));
    }
    if (!anyGroup) fail("it has no icon group to replace");
    for (uint32_t id : oldIds) {
        if (const Resource* image = pe.find(kRtIcon, id)) imageLanguage = image->language;
        pe.remove(kRtIcon, id);
    }
    Bytes directory;
    add16(directory, 0);
    add16(directory, 1);
    add16(directory, static_cast<uint32_t>(images.size()));
    uint32_t nextId = 1;
    for (const IconImage& image : images) {
        while (pe.find(kRtIcon, nextId)) ++nextId;
        directory.push_back(image.width);
        directory.push_back(image.height);
        directory.push_back(image.colors);
        directory.push_back(0);
        add16(directory, image.planes);
        add16(directory, image.bitCount);
        add32(directory, static_cast<uint32_t>(image.data.size()));
        add16(directory, nextId);
        Resource r;
        r.type.id = kRtIcon;
        r.name.id = nextId++;
        r.language = imageLanguage;
        r.data = image.data;
        pe.resources().push_back(std::move(r));
    }
    for (Resource& r : pe.resources())
        if (r.type.text.empty() && r.type.id == kRtGroupIcon) r.data = directory;
}

void brandExecutionLevel(PeResources& pe, const std::string& level) {
    Resource* manifest = pe.find(kRtManifest, 1);
    if (!manifest) fail("the launcher executable has no manifest to set the execution level in");
    std::string text(manifest->data.begin(), manifest->data.end());
    const std::string marker = "requestedExecutionLevel level=\"";
    const size_t at = text.find(marker);
    if (at == std::string::npos)
        fail("the launcher's manifest requests no execution level to replace");
    const size_t valueAt = at + marker.size();
    const size_t end = text.find('"', valueAt);
    if (end == std::string::npos) fail("the launcher's manifest is not well formed");
    text.replace(valueAt, end - valueAt, level);
    manifest->data.assign(text.begin(), text.end());
}

// Writes the texts into the string tables: string ID is entry ID % 16 of block ID / 16 + 1,
// each entry its length in UTF-16 units, then the units.
void brandStrings(PeResources& pe, const TextOverrides& texts) {
    for (const auto& language : texts) {
        for (const auto& text : language.second) {
            const uint32_t block = static_cast<uint32_t>(text.first) / 16 + 1;
            Resource* table = nullptr;
            for (Resource& r : pe.resources())
                if (r.type.text.empty() && r.type.id == kRtString && r.name.text.empty() &&
                    r.name.id == block && r.language == language.first)
                    table = &r;
            if (!table) {
                Resource r;
                r.type.id = kRtString;
                r.name.id = block;
                r.language = static_cast<uint16_t>(language.first);
                r.data.assign(32, 0);
                pe.resources().push_back(std::move(r));
                table = &pe.resources().back();
            }
            std::vector<std::u16string> entries(16);
            const Bytes& d = table->data;
            size_t at = 0;
            for (auto& entry : entries) {
                if (at + 2 > d.size()) fail("a string table of the launcher is damaged");
                const size_t length = d[at] | (d[at + 1] << 8);
                at += 2;
                if (at + 2 * length > d.size()) fail("a string table of the launcher is damaged");
                for (size_t i = 0; i < length; ++i, at += 2)
                    entry += char16_t(d[at] | (d[at + 1] << 8));
            }
            entries[static_cast<size_t>(text.first) % 16] = utf16(text.second, "a text");
            Bytes rebuilt;
            for (const auto& entry : entries) {
                add16(rebuilt, static_cast<uint32_t>(entry.size()));
                for (char16_t c : entry) add16(rebuilt, c);
            }
            table->data = std::move(rebuilt);
        }
    }
}

bool brandsVersion(const BrandingRequest& b) {
    return b.productName.given() || b.version.given() || b.company.given() ||
           b.description.given() || b.copyright.given();
}

void checkText(const BrandValue& value, const char* what) {
    if (!value.given()) return;
    atOrigin(value.origin, [&] {
        if (value.value.empty()) fail(std::string(what) + " is empty");
        for (unsigned char c : value.value)
            if (c < 0x20 || c == 0x7F) fail(std::string(what) + " holds a control character");
        const std::u16string text = utf16(value.value, what);
        if (text.size() > 255) fail(std::string(what) + " is longer than 255 characters");
    });
}

}  // namespace

void parseVersion(const std::string& text, uint16_t parts[4]) {
    size_t count = 0, start = 0;
    parts[0] = parts[1] = parts[2] = parts[3] = 0;
    for (;;) {
        const size_t dot = text.find('.', start);
        const std::string part = text.substr(start, dot == std::string::npos ? dot : dot - start);
        uint64_t n = 0;
        if (count == 4 || !parseNumber(part, 65535, n))
            fail("VERSION is a.b.c.d, each part a number 0..65535, not '" + text + "'");
        parts[count++] = static_cast<uint16_t>(n);
        if (dot == std::string::npos) break;
        start = dot + 1;
    }
}

std::vector<IconImage> readIcon(const Bytes& file) {
    const char* notIco = "it is not an .ico file";
    auto get16 = [&](size_t at) { return uint32_t(file[at] | (file[at + 1] << 8)); };
    if (file.size() < 6 || get16(0) != 0 || get16(2) != 1 || get16(4) == 0) fail(notIco);
    const size_t count = get16(4);
    if (6 + 16 * count > file.size()) fail(notIco);
    std::vector<IconImage> images;
    for (size_t i = 0; i < count; ++i) {
        const size_t e = 6 + 16 * i;
        const uint32_t size = read32(file, e + 8), offset = read32(file, e + 12);
        if (size < 40 || offset > file.size() || size > file.size() - offset)
            fail("image " + std::to_string(i + 1) + " lies outside the .ico file");
        IconImage image{file[e],
                        file[e + 1],
                        file[e + 2],
                        uint16_t(get16(e + 4)),
                        uint16_t(get16(e + 6)),
                        Bytes(file.begin() + offset, file.begin() + offset + size)};
        const Bytes& d = image.data;
        uint32_t width = 0, height = 0;
        static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
        if (std::memcmp(d.data(), png, 8) == 0) {
            if (d.size() < 24) fail("image " + std::to_string(i + 1) + " is a truncated PNG");
            width = (uint32_t(d[16]) << 24) | (d[17] << 16) | (d[18] << 8) | d[19];
            height = (uint32_t(d[20]) << 24) | (d[21] << 16) | (d[22] << 8) | d[23];
        } else if (read32(d, 0) == 40 || read32(d, 0) == 108 || read32(d, 0) == 124) {
            width = read32(d, 4);
            height = read32(d, 8) / 2;  // the colour bitmap and the mask
        } else {
            fail("image " + std::to_string(i + 1) + " is neither a bitmap nor a PNG");
        }
        if (width == 0 || height == 0 || width > 256 || height > 256)
            fail("image " + std::to_string(i + 1) + " is " + std::to_string(width) + "x" +
                 std::to_string(height) + ": an icon image is at most 256x256");
        images.push_back(std::move(image));
    }
    return images;
}

void checkBranding(const BrandingRequest& b) {
    checkText(b.productName, "PRODUCT_NAME");
    checkText(b.company, "COMPANY");
    checkText(b.description, "DESCRIPTION");
    checkText(b.copyright, "COPYRIGHT");
    if (b.version.given())
        atOrigin(b.version.origin, [&] {
            uint16_t parts[4];
            parseVersion(b.version.value, parts);
        });
    if (b.executionLevel.given())
        atOrigin(b.executionLevel.origin, [&] {
            const std::string& l = b.executionLevel.value;
            if (l != "asInvoker" && l != "highestAvailable" && l != "requireAdministrator")
                fail(
                    "EXECUTION_LEVEL is asInvoker, highestAvailable or requireAdministrator, "
                    "not '" +
                    l + "'");
        });
    readTexts(b);
    if (b.iconPath.given())
        atOrigin(b.iconPath.origin, [&] {
            try {
                readIcon(readWholeFile(b.iconPath.value));
            } catch (const PackError& e) {
                fail("'" + b.iconPath.value + "': " + e.what());
            }
        });
}

Bytes brandExecutable(const Bytes& base, const BrandingRequest& b, const std::string& outputName) {
    checkBranding(b);
    PeResources pe(base);
    if (b.iconPath.given()) brandIcon(pe, readIcon(readWholeFile(b.iconPath.value)));
    if (brandsVersion(b)) brandVersion(pe, b, outputName);
    if (b.executionLevel.given()) brandExecutionLevel(pe, b.executionLevel.value);
    brandStrings(pe, readTexts(b));
    return pe.write();
}

}  // namespace wizpack
