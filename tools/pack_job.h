// What one run of the packing tool packs: the base executable, the style byte, the entries and
// the author's branding, as the command line or a manifest describes them; and the tool's one
// failure type.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "archive/launcher_format.h"

namespace wizpack {

// A refusal: the message is printed after "wizpack: " and the tool ends with the exit code
// (1: refused or failed, 2: a usage error).
class PackError : public std::runtime_error {
public:
    explicit PackError(const std::string& message, int exitCode = 1)
        : std::runtime_error(message), exitCode_(exitCode) {}
    int exitCode() const { return exitCode_; }

private:
    int exitCode_;
};

[[noreturn]] void fail(const std::string& message);
[[noreturn]] void usageError(const std::string& message);

// Runs `step`; a refusal in it comes out with "ORIGIN: " in front (nothing for an empty origin).
template <typename Step>
void atOrigin(const std::string& origin, Step step) {
    try {
        step();
    } catch (const PackError& e) {
        if (origin.empty()) throw;
        throw PackError(origin + ": " + e.what(), e.exitCode());
    }
}

// The names of the entry types an author gives (0..7), in type order.
extern const char* const kTypeNames[wiz::kEntryTypeCount];

// A whole unsigned decimal number no greater than `max`.
bool parseNumber(const std::string& text, uint64_t max, uint64_t& value);
// 0..7 or a type's name; refuses anything else.
int32_t parseType(const std::string& text);
// A number 0..4294967295; `option` names it in the message ("the value of --id must be ...").
uint32_t parseUInt32(const std::string& option, const std::string& text);
// The text after the last slash or backslash.
std::string baseName(const std::string& path);

struct PlannedEntry {
    std::string path;
    wiz::EntryRecord record;
    std::string origin;      // "MANIFEST:LINE" of a manifest entry, for its messages
    bool generated = false;  // written by wizpack from `content`, not read from `path`
    std::string content;
};

// A value of the branding with the place it was given, for its messages.
struct BrandValue {
    std::string value;
    std::string origin;  // "MANIFEST:LINE", or the command-line option
    bool given() const { return !origin.empty(); }
};

// The author's branding: each one is optional. Paths are as given (manifest paths already taken
// from the manifest's folder).
struct BrandingRequest {
    BrandValue productName;
    BrandValue textsPath;
    BrandValue iconPath;
    BrandValue version;
    BrandValue company;
    BrandValue description;
    BrandValue copyright;
    BrandValue executionLevel;
    bool any() const {
        return productName.given() || textsPath.given() || iconPath.given() || version.given() ||
               company.given() || description.given() || copyright.given() ||
               executionLevel.given();
    }
};

struct PackJob {
    std::string output;
    std::string base;
    std::string baseOrigin;  // where the base was named, for its messages
    std::string manifest;    // the manifest's path; empty for the command-line form
    uint8_t style = 0;
    std::vector<PlannedEntry> entries;
    BrandingRequest branding;
    // --no-check: pack documents the launcher would reject (to see how it reports them).
    bool skipDocumentChecks = false;
};

}  // namespace wizpack
