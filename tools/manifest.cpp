#include "tools/manifest.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "base/exceptions.h"
#include "platform/file.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"

namespace fs = std::filesystem;
using wiz::LString;

namespace wizpack {

namespace {

// The tags that take one value.
const char* const kSingleTags[] = {"LAUNCHER",  "STYLE",          "PRODUCT_NAME", "TEXTS",
                                   "ICON",      "VERSION",        "COMPANY",      "DESCRIPTION",
                                   "COPYRIGHT", "EXECUTION_LEVEL"};

// A manifest path: substituted, then taken from the manifest's folder unless absolute.
std::string manifestPath(const std::string& text, const fs::path& folder,
                         const std::vector<std::string>& defines) {
    const std::string path = substitute(text, defines);
    if (path.empty()) fail("an empty path");
    const fs::path p(path);
    return p.is_absolute() ? path : (folder / p).lexically_normal().string();
}

// One entry line: TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE], words split as the
// launcher splits its arguments (double quotes around blanks, a doubled quote for a quote).
PlannedEntry parseManifestEntry(const LString& line, const fs::path& folder,
                                const std::vector<std::string>& defines) {
    std::vector<std::string> words;
    try {
        LString::size_type cursor = 0;
        while (cursor != LString::npos && cursor < line.length()) {
            while (cursor < line.length() && (line[cursor] == ' ' || line[cursor] == '\t'))
                ++cursor;
            if (cursor >= line.length()) break;
            const bool quoted = line[cursor] == '"';
            if (quoted) ++cursor;
            words.push_back(wiz::nextArgument(line, cursor, quoted).str());
        }
    } catch (const wiz::LauncherException& e) {
        fail(e.message().str());
    }
    if (words.size() < 2) fail("an entry is TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE]");
    PlannedEntry entry;
    entry.record.type = parseType(words[0]);
    entry.path = manifestPath(words[1], folder, defines);
    entry.record.name = LString(baseName(entry.path));
    bool haveId = false, haveName = false, haveCompressed = false;
    for (size_t i = 2; i < words.size(); ++i) {
        const std::string& w = words[i];
        const size_t eq = w.find('=');
        const std::string key = eq == std::string::npos ? w : w.substr(0, eq);
        const std::string value = eq == std::string::npos ? std::string() : w.substr(eq + 1);
        bool* seen = key == "id"           ? &haveId
                     : key == "name"       ? &haveName
                     : key == "compressed" ? &haveCompressed
                                           : nullptr;
        if (!seen || eq == std::string::npos)
            fail("unknown entry option '" + w + "' (id=I, name=NAME, compressed=COUNT/SIZE)");
        if (*seen) fail(key + "= given twice");
        *seen = true;
        if (key == "id") {
            entry.record.id = parseUInt32("id", value);
        } else if (key == "name") {
            entry.record.name = LString(value);
        } else {
            const size_t slash = value.find('/');
            if (slash == std::string::npos)
                fail("compressed= takes COUNT/SIZE, not '" + value + "'");
            entry.record.compressed = true;
            entry.record.decompressedCount = parseUInt32("compressed", value.substr(0, slash));
            entry.record.decompressedSize = parseUInt32("compressed", value.substr(slash + 1));
        }
    }
    return entry;
}

}  // namespace

std::string substitute(const std::string& text, const std::vector<std::string>& defines) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text.compare(i, 2, "${") != 0) {
            out += text[i++];
            continue;
        }
        const size_t close = text.find('}', i + 2);
        if (close == std::string::npos) fail("'${' without its '}' in '" + text + "'");
        const std::string name = text.substr(i + 2, close - i - 2);
        const std::string* value = nullptr;
        for (const std::string& d : defines)
            if (d.compare(0, name.size() + 1, name + "=") == 0) value = &d;
        if (!value) fail("${" + name + "} is not defined (give -D " + name + "=VALUE)");
        out += value->substr(name.size() + 1);
        i = close + 1;
    }
    return out;
}

PackJob readManifest(const std::string& path, const std::vector<std::string>& defines) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    return readManifest(in.get(), path, defines);
}

PackJob readManifest(std::FILE* stream, const std::string& manifest,
                     const std::vector<std::string>& defines) {
    wiz::TagDocument doc;
    doc.keepValueLines();
    try {
        doc.read(stream, LString(manifest), 0, -1);
    } catch (const wiz::TagSyntaxError& e) {
        fail(manifest + ":" + std::to_string(e.line()) + ": " + e.reason().str());
    } catch (const wiz::LauncherException& e) {
        fail(manifest + ": " + e.message().str());
    }
    const fs::path folder = fs::path(manifest).parent_path();
    const auto origin = [&](const char* tag, int32_t index) {
        return manifest + ":" + std::to_string(doc.valueLine(tag, index));
    };
    const wiz::StringList tags = doc.tagNames();
    for (int32_t i = 0; i < tags.count(); ++i) {
        const LString& tag = tags.at(i);
        bool known = tag == "ENTRIES" || tag == "COMMENT";
        for (const char* single : kSingleTags) known = known || tag == single;
        if (!known)
            fail(origin(tag.c_str(), 0) + ": unknown tag '" + tag.str() +
                 "' (a manifest has LAUNCHER, STYLE, ENTRIES, COMMENT, PRODUCT_NAME, TEXTS, "
                 "ICON, VERSION, COMPANY, DESCRIPTION, COPYRIGHT and EXECUTION_LEVEL)");
        for (int32_t v = 0; v < doc.valueCount(tag); ++v)
            if (doc.getValue(tag, v).find('\0') != LString::npos)
                fail(origin(tag.c_str(), v) + ": the value of " + tag.str() +
                     " holds a NUL character");
    }
    for (const char* single : kSingleTags)
        if (doc.valueCount(single) > 1)
            fail(origin(single, 1) + ": " + single + " takes one value");

    PackJob job;
    job.manifest = manifest;
    if (!doc.hasTag("LAUNCHER")) fail(manifest + ": no LAUNCHER tag naming the launcher");
    job.baseOrigin = origin("LAUNCHER", 0);
    atOrigin(job.baseOrigin,
             [&] { job.base = manifestPath(doc.getValue("LAUNCHER").str(), folder, defines); });
    if (doc.hasTag("STYLE")) {
        atOrigin(origin("STYLE", 0), [&] {
            uint64_t n = 0;
            const std::string text = doc.getValue("STYLE").str();
            if (!parseNumber(text, 255, n))
                fail("the style byte must be a number 0..255, not '" + text + "'");
            job.style = static_cast<uint8_t>(n);
        });
    }
    for (int32_t i = 0; i < doc.valueCount("ENTRIES"); ++i) {
        const std::string where = origin("ENTRIES", i);
        if (doc.getValue("ENTRIES", i).str().rfind("//", 0) == 0) continue;
        atOrigin(where, [&] {
            job.entries.push_back(parseManifestEntry(doc.getValue("ENTRIES", i), folder, defines));
        });
        job.entries.back().origin = where;
    }
    struct Branded {
        const char* tag;
        BrandValue BrandingRequest::*value;
        bool path;
    };
    static const Branded kBranded[] = {
        {"PRODUCT_NAME", &BrandingRequest::productName, false},
        {"TEXTS", &BrandingRequest::textsPath, true},
        {"ICON", &BrandingRequest::iconPath, true},
        {"VERSION", &BrandingRequest::version, false},
        {"COMPANY", &BrandingRequest::company, false},
        {"DESCRIPTION", &BrandingRequest::description, false},
        {"COPYRIGHT", &BrandingRequest::copyright, false},
        {"EXECUTION_LEVEL", &BrandingRequest::executionLevel, false},
    };
    for (const Branded& b : kBranded) {
        if (!doc.hasTag(b.tag)) continue;
        BrandValue& value = job.branding.*b.value;
        value.origin = origin(b.tag, 0);
        value.value = doc.getValue(b.tag).str();
        if (b.path)
            atOrigin(value.origin,
                     [&] { value.value = manifestPath(value.value, folder, defines); });
    }
    return job;
}

}  // namespace wizpack
