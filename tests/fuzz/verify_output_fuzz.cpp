// Fuzz target: the check of a verification run's output (the marker line, then one line per
// required property; a required value ending in "..." is a prefix).
//
// Input: the JVM_PROPERTIES entries (one "name=value" a line), a NUL byte, then the output. The
// check is compared with a plain model of the protocol, and an output made from the entries'
// own values must always pass.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "jvm/jvm_descriptor.h"
#include "tagdoc/text.h"

namespace {

using wiz::LString;

const char kMarker[] = "1739021872";

std::string trimmed(const std::string& s) {
    const char* ws = " \t\n\r";
    const size_t first = s.find_first_not_of(ws);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(ws) - first + 1);
}

// The protocol, read line by line: carriage returns dropped, lines trimmed.
bool modelCheck(const std::string& output, const std::vector<std::string>& expected) {
    size_t position = 0;
    const auto nextLine = [&] {
        const size_t feed = output.find('\n', position);
        std::string raw = output.substr(
            position, feed == std::string::npos ? std::string::npos : feed - position);
        position = feed == std::string::npos ? output.size() : feed + 1;
        std::string line;
        for (char c : raw) {
            if (c != '\r') line += c;
        }
        return trimmed(line);
    };
    bool found = false;
    while (position < output.size()) {
        if (nextLine() == kMarker) {
            found = true;
            break;
        }
    }
    if (!found) return false;
    for (size_t i = 0; i < expected.size() && position < output.size(); ++i) {
        const std::string line = nextLine();
        const std::string& want = expected[i];
        const bool prefix = want.size() >= 3 && want.compare(want.size() - 3, 3, "...") == 0;
        if (prefix ? line.compare(0, want.size() - 3, want, 0, want.size() - 3) != 0 ||
                         line.size() < want.size() - 3
                   : line != want) {
            return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<std::string> parts = wizfuzz::splitParts(data, size, 2);
    const std::string output = parts.size() > 1 ? parts[1] : std::string();

    // The requirements as the verification builds them from JVM_PROPERTIES (values of a tag
    // document hold no line breaks).
    wiz::VerificationRequest request;
    wiz::PropertyRequirementList& requirements = request.requirements;
    std::vector<std::string> expected;
    size_t start = 0;
    while (start <= parts[0].size()) {
        size_t end = parts[0].find('\n', start);
        if (end == std::string::npos) end = parts[0].size();
        std::string entry = parts[0].substr(start, end - start);
        start = end + 1;
        std::string kept;
        for (char c : entry) {
            if (c != '\r') kept += c;
        }
        const size_t equals = kept.find('=');
        if (equals == std::string::npos) continue;
        auto requirement = std::make_unique<wiz::PropertyRequirement>();
        requirement->name = LString(kept.substr(0, equals));
        requirement->expected = LString(kept.substr(equals + 1));
        wiz::trim(requirement->name);
        wiz::trim(requirement->expected);
        expected.push_back(requirement->expected.str());
        requirements.appendOwned(std::move(requirement));
    }

    const bool accepted = wiz::JvmDescriptor::checkVerifyOutput(LString(output), request);
    if (accepted != modelCheck(output, expected)) {
        wizfuzz::finding(std::string("the check ") + (accepted ? "accepted" : "rejected") +
                         " the output " + wizfuzz::shown(output));
    }

    // A version range only adds a condition: the java.version asked for after the properties
    // must be a Java version within it.
    wiz::VerificationRequest ranged;
    for (int32_t i = 0; i < requirements.count(); ++i) {
        ranged.requirements.appendOwned(
            std::make_unique<wiz::PropertyRequirement>(*requirements.getPayload(i)));
    }
    ranged.range.hasMinimum = true;
    ranged.range.minimum = size > 0 ? data[0] % 30 : 1;
    ranged.versionIndex = ranged.requirements.count();
    if (wiz::JvmDescriptor::checkVerifyOutput(LString(output), ranged) && !accepted) {
        wizfuzz::finding("a range made the check accept " + wizfuzz::shown(output));
    }

    // A runtime that reports every required value (any text after a prefix) passes, whatever
    // comes before the marker line.
    std::string report = "x" + output.substr(0, 64);
    for (char& c : report) {
        if (c == '\n') c = ' ';
    }
    report += "\r\n  " + std::string(kMarker) + " \r\n";
    for (const std::string& want : expected) {
        const bool prefix = want.size() >= 3 && want.compare(want.size() - 3, 3, "...") == 0;
        report += prefix ? want.substr(0, want.size() - 3) + "_42" : want;
        report += "\r\n";
    }
    if (!wiz::JvmDescriptor::checkVerifyOutput(LString(report), request)) {
        wizfuzz::finding("a matching report was rejected: " + wizfuzz::shown(report));
    }
    return 0;
}
