// Helpers shared by the fuzz targets: splitting an input into parts, reading a tag document from
// memory, a scratch directory that is removed again, and a finding report.
#pragma once

#include <stdlib.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "base/exceptions.h"
#include "tagdoc/tag_document.h"

namespace wizfuzz {

// The input split at NUL bytes into at most `maxParts` parts (the last one keeps any further NUL
// bytes). Text parts never hold a NUL, which no document or command line can carry.
inline std::vector<std::string> splitParts(const uint8_t* data, size_t size, size_t maxParts) {
    std::vector<std::string> parts;
    const char* p = reinterpret_cast<const char*>(data);
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (p[i] == '\0' && parts.size() + 1 < maxParts) {
            parts.push_back(current);
            current.clear();
        } else {
            current += p[i];
        }
    }
    parts.push_back(current);
    return parts;
}

// Reads `text` as a tag document; false when the reader rejects it.
inline bool readDocument(const std::string& text, wiz::TagDocument& document,
                         const char* sourceName) {
    if (text.empty()) return true;  // fmemopen refuses an empty buffer; the document stays empty
    std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (!f) return false;
    bool ok = true;
    try {
        document.read(f, sourceName, 0, -1);
    } catch (const wiz::LauncherException&) {
        ok = false;
    }
    std::fclose(f);
    return ok;
}

// A directory of its own under the system's temporary directory (TMPDIR), removed with
// everything in it when the object goes (and at exit for a process-wide one).
class ScratchDir {
public:
    ScratchDir() {
        std::string pattern = (std::filesystem::temp_directory_path() / "wizfuzz-XXXXXX").string();
        if (!mkdtemp(pattern.data())) {
            std::perror("wizfuzz: mkdtemp");
            std::abort();
        }
        path_ = pattern;
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// A finding that no sanitizer would report: print it and abort, which libFuzzer records as a
// crash with the input that caused it.
[[noreturn]] inline void finding(const std::string& what) {
    std::fprintf(stderr, "wizfuzz finding: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

// Makes a text printable for a finding report (non-printable bytes as \xNN).
inline std::string shown(const std::string& text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        }
    }
    return out;
}

}  // namespace wizfuzz
