// Fuzz target: wizpack's manifest reader. The input is a manifest, read from memory with one
// define; the reader either gives a job or refuses with a message that names the manifest (and,
// for a line of it, a line that exists). A job's values and entries carry the line they came
// from, and a job read twice is the same.
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_support.h"
#include "tools/manifest.h"
#include "tools/pack_job.h"

namespace {

const char* const kName = "fuzz.manifest";

// The origin "fuzz.manifest:LINE" of something read, with a line of the input.
void checkOrigin(const std::string& origin, size_t lines) {
    const std::string prefix = std::string(kName) + ":";
    if (origin.compare(0, prefix.size(), prefix) != 0)
        wizfuzz::finding("origin " + wizfuzz::shown(origin) + " does not name the manifest");
    const std::string number = origin.substr(prefix.size());
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos ||
        number.size() > 9 || std::stoul(number) == 0 || std::stoul(number) > lines)
        wizfuzz::finding("origin " + wizfuzz::shown(origin) + " names no line of the input");
}

std::string describe(const wizpack::PackJob& job) {
    std::string d = job.base + "|" + std::to_string(job.style);
    for (const auto& e : job.entries)
        d += "|" + std::to_string(e.record.type) + " " + e.path + " " + e.record.name.str() + " " +
             std::to_string(e.record.id);
    const wizpack::BrandingRequest& b = job.branding;
    for (const wizpack::BrandValue* v :
         {&b.productName, &b.textsPath, &b.iconPath, &b.version, &b.company, &b.description,
          &b.copyright, &b.executionLevel})
        d += "|" + v->value + "@" + v->origin;
    return d;
}

// The job, or the refusal as "!" + message.
std::string read(const std::string& text, size_t lines) {
    std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
    if (!f) return "!fmemopen";
    std::string result;
    try {
        const wizpack::PackJob job = wizpack::readManifest(f, kName, {"DIR=d"});
        checkOrigin(job.baseOrigin, lines);
        for (const auto& e : job.entries) checkOrigin(e.origin, lines);
        const wizpack::BrandingRequest& b = job.branding;
        for (const wizpack::BrandValue* v :
             {&b.productName, &b.textsPath, &b.iconPath, &b.version, &b.company, &b.description,
              &b.copyright, &b.executionLevel})
            if (v->given()) checkOrigin(v->origin, lines);
        result = describe(job);
    } catch (const wizpack::PackError& e) {
        result = std::string("!") + e.what();
        if (result.compare(1, std::string(kName).size(), kName) != 0)
            wizfuzz::finding("refusal " + wizfuzz::shown(result) + " does not name the manifest");
    }
    std::fclose(f);
    return result;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0 || size > 65536) return 0;  // fmemopen refuses an empty buffer
    const std::string text(reinterpret_cast<const char*>(data), size);
    size_t lines = 1;
    for (char c : text) lines += c == '\n' || c == '\r' ? 1 : 0;
    const std::string first = read(text, lines);
    if (read(text, lines) != first) wizfuzz::finding("two reads of one manifest differ");
    return 0;
}
