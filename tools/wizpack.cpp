// wizpack: packs embedded files into a copy of the launcher executable, and lists the index of a
// packed launcher. It shares the byte layout (archive/launcher_format.h) with the launcher's own
// reader, so what it writes is exactly what the launcher reads.
//
// The output is written under a temporary name next to it and renamed at the end; on any failure
// the temporary file is removed and an existing output file stays as it was.

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "archive/launcher_format.h"
#include "base/exceptions.h"
#include "platform/file.h"
#include "platform/path.h"
#include "platform/system_library.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"
#include "wiz_version.h"

namespace fs = std::filesystem;
using wiz::EntryRecord;
using wiz::LString;

namespace {

const char* const kUsage =
    "Usage:\n"
    "  wizpack -o OUTPUT [--style N] BASE [ENTRY]...\n"
    "  wizpack -o OUTPUT --manifest MANIFEST [-D NAME=VALUE]...\n"
    "  wizpack --list LAUNCHER\n"
    "  wizpack --extract LAUNCHER DIRECTORY\n"
    "  wizpack --version | --help\n"
    "\n"
    "Packing copies the launcher executable BASE to OUTPUT and appends the embedded files, their\n"
    "index, the style byte N (0..255, default 0) and the trailer. Each ENTRY is\n"
    "\n"
    "  --type T [--id I] [--name NAME] [--compressed COUNT SIZE] FILE\n"
    "\n"
    "where the options describe the FILE that follows them:\n"
    "  --type T        0..7 or its name: 0 instructions, 1 jvm, 2 launchscript, 3 classpath,\n"
    "                  4 jvminstaller, 5 verification, 6 application, 7 launcher (required)\n"
    "  --id I          file id, 0..4294967295 (default 0)\n"
    "  --name NAME     name the file is written out under (default: FILE without its directory);\n"
    "                  at most 32767 bytes, no line feed\n"
    "  --compressed COUNT SIZE\n"
    "                  mark the entry as an archive that unpacks to COUNT files of SIZE bytes in\n"
    "                  all (only enlarges the free-space check before it is written out)\n"
    "Entries are stored in the order given. Offsets and sizes must stay below 2^31.\n"
    "BASE must be unsigned: sign the packed launcher, not the launcher it is packed onto.\n"
    "\n"
    "--manifest reads BASE, the style byte and the entries from a tag document:\n"
    "  LAUNCHER: PATH\n"
    "  STYLE: N                      (optional, default 0)\n"
    "  ENTRIES:\n"
    "    TYPE PATH [id=I] [name=NAME] [compressed=COUNT/SIZE]\n"
    "    // a comment line\n"
    "  /:\n"
    "  COMMENT: TEXT                 (optional, ignored; a block for several lines)\n"
    "Relative paths are taken from the manifest's folder; a PATH or NAME with blanks is written\n"
    "in double quotes. ${NAME} in a path stands for the VALUE of a -D NAME=VALUE option.\n"
    "The same manifest and files give the same bytes.\n"
    "\n"
    "--list prints the style byte and one line per index entry:\n"
    "  POSITION type=T id=I offset=O length=L name=NAME [compressed=COUNT/SIZE]\n"
    "--extract writes every entry into DIRECTORY (created if missing) under its name.\n"
    "A launcher signed after packing lists and extracts as before it was signed.\n"
    "\n"
    "Exit codes: 0 done, 1 refused or failed (nothing written), 2 usage error.\n";

const char* const kTypeNames[wiz::kEntryTypeCount] = {
    "instructions", "jvm",          "launchscript", "classpath",
    "jvminstaller", "verification", "application",  "launcher"};

// A refusal: the message is printed after "wizpack: " and the tool ends with `exitCode`.
struct Failure {
    std::string message;
    int exitCode;
};

[[noreturn]] void fail(const std::string& message, int exitCode = 1) {
    throw Failure{message, exitCode};
}
[[noreturn]] void usageError(const std::string& message) { fail(message, 2); }

// A whole unsigned decimal number no greater than `max`.
bool parseNumber(const std::string& text, uint64_t max, uint64_t& value) {
    if (text.empty() || text.size() > 10) return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value <= max;
}

int32_t parseType(const std::string& text) {
    uint64_t n = 0;
    if (parseNumber(text, wiz::kEntryTypeCount - 1, n)) return static_cast<int32_t>(n);
    for (int32_t t = 0; t < wiz::kEntryTypeCount; ++t)
        if (text == kTypeNames[t]) return t;
    fail("unknown entry type '" + text +
         "' (use 0..7 or instructions, jvm, launchscript, classpath, jvminstaller, "
         "verification, application, launcher)");
}

uint32_t parseUInt32(const std::string& option, const std::string& text) {
    uint64_t n = 0;
    if (!parseNumber(text, 0xFFFFFFFFu, n))
        fail("the value of " + option + " must be a number 0..4294967295, not '" + text + "'");
    return static_cast<uint32_t>(n);
}

std::string baseName(const std::string& path) {
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

struct PlannedEntry {
    std::string path;
    EntryRecord record;
    std::string origin;  // "MANIFEST:LINE" of a manifest entry, for its messages
};

struct PackJob {
    std::string output;
    std::string base;
    uint8_t style = 0;
    uint64_t baseSize = 0;
    std::vector<PlannedEntry> entries;
};

// Size of an existing regular file; refuses a missing or unreadable one.
uint64_t inputSize(const std::string& path) {
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec || !fs::exists(status)) fail("cannot find the file '" + path + "'");
    if (!fs::is_regular_file(status)) fail("'" + path + "' is not a regular file");
    const uint64_t size = fs::file_size(path, ec);
    if (ec) fail("cannot read the size of '" + path + "': " + ec.message());
    wiz::FilePtr probe = wiz::openFile(path.c_str(), "rb");
    if (!probe) fail("cannot open '" + path + "': " + std::strerror(errno));
    return size;
}

PackJob parsePackArguments(const std::vector<std::string>& args) {
    PackJob job;
    bool haveStyle = false;
    // Options of the entry being described; they apply to the next FILE only.
    bool haveType = false, haveId = false, haveName = false, haveCompressed = false;
    EntryRecord pending;
    auto value = [&](size_t& i) -> const std::string& {
        if (i + 1 >= args.size()) usageError(args[i] + " needs a value");
        return args[++i];
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "-o") {
            if (!job.output.empty()) usageError("-o given twice");
            job.output = value(i);
            if (job.output.empty()) usageError("-o needs a file name");
        } else if (a == "--style") {
            if (haveStyle) usageError("--style given twice");
            uint64_t n = 0;
            const std::string& text = value(i);
            if (!parseNumber(text, 255, n))
                fail("the style byte must be a number 0..255, not '" + text + "'");
            job.style = static_cast<uint8_t>(n);
            haveStyle = true;
        } else if (a == "--type") {
            pending.type = parseType(value(i));
            haveType = true;
        } else if (a == "--id") {
            pending.id = parseUInt32(a, value(i));
            haveId = true;
        } else if (a == "--name") {
            pending.name = LString(value(i));
            haveName = true;
        } else if (a == "--compressed") {
            pending.decompressedCount = parseUInt32("--compressed", value(i));
            pending.decompressedSize = parseUInt32("--compressed", value(i));
            pending.compressed = true;
            haveCompressed = true;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            usageError("unknown option '" + a + "'");
        } else if (job.base.empty()) {
            if (haveType || haveId || haveName || haveCompressed)
                usageError("entry options must follow the BASE executable");
            job.base = a;
        } else {
            if (!haveType) usageError("--type is missing for '" + a + "'");
            if (!haveName) pending.name = LString(baseName(a));
            job.entries.push_back(PlannedEntry{a, pending, std::string()});
            pending = EntryRecord();
            haveType = haveId = haveName = haveCompressed = false;
        }
    }
    if (haveType || haveId || haveName || haveCompressed)
        usageError("entry options at the end without a FILE");
    if (job.output.empty()) usageError("no output file (-o OUTPUT)");
    if (job.base.empty()) usageError("no BASE executable");
    return job;
}

// Refuses a base that already carries a signature: packing appends after the certificate
// table, where no signature check would look, and the launcher would not find its trailer.
void refuseSignedBase(const std::string& path) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    uint32_t offset = 0, size = 0;
    if (in && wiz::findCertificateTable(in.get(), offset, size))
        fail("'" + path +
             "' is signed (it carries a certificate table): pack the unsigned launcher, then "
             "sign the packed file");
}

// Runs `step`; a refusal in it is prefixed with the manifest line the entry came from.
template <typename Step>
void atOrigin(const std::string& origin, Step step) {
    try {
        step();
    } catch (Failure& f) {
        if (!origin.empty()) f.message = origin + ": " + f.message;
        throw;
    }
}

// Lays the entries out after the base and checks every record before anything is written.
void planLayout(PackJob& job, uint64_t& indexOffset) {
    job.baseSize = inputSize(job.base);
    refuseSignedBase(job.base);
    uint64_t position = job.baseSize;
    for (PlannedEntry& e : job.entries)
        atOrigin(e.origin, [&] {
            const uint64_t size = inputSize(e.path);
            if (size > wiz::kMaxFilePosition)
                fail("'" + e.path + "' is too large for the launcher format (" +
                     std::to_string(size) + " bytes, at most 2147483647)");
            if (position > wiz::kMaxFilePosition)
                fail("'" + e.path + "' would start at offset " + std::to_string(position) +
                     ", beyond the format's limit of 2147483647");
            e.record.offset = static_cast<uint32_t>(position);
            e.record.length = static_cast<uint32_t>(size);
            const LString problem = wiz::recordProblem(e.record);
            if (!problem.empty()) fail("cannot pack '" + e.path + "': " + problem.str());
            position += size;
        });
    if (position > wiz::kMaxFilePosition)
        fail("the index would start at offset " + std::to_string(position) +
             ", beyond the format's limit of 2147483647");
    indexOffset = position;
}

// Removes the temporary output unless the pack completed.
class TemporaryOutput {
public:
    explicit TemporaryOutput(std::string path) : path_(std::move(path)) {}
    ~TemporaryOutput() {
        if (!path_.empty()) std::remove(path_.c_str());
    }
    TemporaryOutput(const TemporaryOutput&) = delete;
    TemporaryOutput& operator=(const TemporaryOutput&) = delete;
    const std::string& path() const { return path_; }
    void keep() { path_.clear(); }

private:
    std::string path_;
};

// Appends exactly `expected` bytes of `path`; refuses a file that changed since it was planned.
void copyInto(std::FILE* out, const std::string& path, uint64_t expected) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    std::vector<char> buffer(1 << 16);
    uint64_t copied = 0;
    for (;;) {
        const size_t n = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (n == 0) break;
        copied += n;
        if (copied > expected) break;
        if (std::fwrite(buffer.data(), 1, n, out) != n)
            fail("cannot write the output: " + std::string(std::strerror(errno)));
    }
    if (std::ferror(in.get())) fail("cannot read '" + path + "'");
    if (copied != expected) fail("'" + path + "' changed while it was being packed");
}

// ---- Manifest ---------------------------------------------------------------------------------

// Replaces ${NAME} with the value of -D NAME=VALUE.
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

PackJob readManifest(const std::string& manifest, const std::vector<std::string>& defines) {
    wiz::TagDocument doc;
    doc.keepValueLines();
    {
        wiz::FilePtr in = wiz::openFile(manifest.c_str(), "rb");
        if (!in) fail("cannot open '" + manifest + "': " + std::strerror(errno));
        try {
            doc.read(in.get(), LString(manifest), 0, -1);
        } catch (const wiz::LauncherException& e) {
            fail(e.message().str());
        }
    }
    const fs::path folder = fs::path(manifest).parent_path();
    const auto origin = [&](const char* tag, int32_t index) {
        return manifest + ":" + std::to_string(doc.valueLine(tag, index));
    };
    const wiz::StringList tags = doc.tagNames();
    for (int32_t i = 0; i < tags.count(); ++i) {
        const LString& tag = tags.at(i);
        if (tag != "LAUNCHER" && tag != "STYLE" && tag != "ENTRIES" && tag != "COMMENT")
            fail(origin(tag.c_str(), 0) + ": unknown tag '" + tag.str() +
                 "' (a manifest has LAUNCHER, STYLE, ENTRIES and COMMENT)");
    }
    for (const char* single : {"LAUNCHER", "STYLE"})
        if (doc.valueCount(single) > 1)
            fail(origin(single, 1) + ": " + single + " takes one value");

    PackJob job;
    if (!doc.hasTag("LAUNCHER")) fail(manifest + ": no LAUNCHER tag naming the launcher");
    atOrigin(origin("LAUNCHER", 0),
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
    return job;
}

// -o OUTPUT --manifest MANIFEST [-D NAME=VALUE]..., in any order.
PackJob parseManifestArguments(const std::vector<std::string>& args) {
    std::string output, manifest;
    std::vector<std::string> defines;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "-o" && a != "--manifest" && a != "-D")
            usageError("with --manifest, only -o and -D are given, not '" + a + "'");
        if (i + 1 >= args.size()) usageError(a + " needs a value");
        const std::string& v = args[++i];
        if (a == "-o") {
            if (!output.empty()) usageError("-o given twice");
            output = v;
        } else if (a == "--manifest") {
            if (!manifest.empty()) usageError("--manifest given twice");
            manifest = v;
        } else {
            const size_t eq = v.find('=');
            if (eq == 0 || eq == std::string::npos)
                usageError("-D takes NAME=VALUE, not '" + v + "'");
            defines.push_back(v);
        }
    }
    if (output.empty()) usageError("no output file (-o OUTPUT)");
    if (manifest.empty()) usageError("no manifest");
    PackJob job = readManifest(manifest, defines);
    job.output = output;
    return job;
}

bool hasManifestOption(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--manifest") return true;
    return false;
}

int pack(const std::vector<std::string>& args) {
    PackJob job = hasManifestOption(args) ? parseManifestArguments(args) : parsePackArguments(args);
    uint64_t indexOffset = 0;
    planLayout(job, indexOffset);

    std::string index;
    wiz::appendUInt32BE(index, static_cast<uint32_t>(job.entries.size()));
    for (const PlannedEntry& e : job.entries) wiz::appendEntryRecord(index, e.record);
    wiz::appendTrailer(index, job.style, static_cast<uint32_t>(indexOffset));
    // The launcher finds its trailer through a signed file size.
    if (indexOffset + index.size() > wiz::kMaxFilePosition)
        fail("the launcher would be " + std::to_string(indexOffset + index.size()) +
             " bytes long, beyond the format's limit of 2147483647");

    TemporaryOutput temp(job.output + ".wizpack-tmp");
    {
        wiz::FilePtr out = wiz::openFile(temp.path().c_str(), "wb");
        if (!out) fail("cannot create '" + temp.path() + "': " + std::strerror(errno));
        copyInto(out.get(), job.base, job.baseSize);
        for (const PlannedEntry& e : job.entries) copyInto(out.get(), e.path, e.record.length);
        if (std::fwrite(index.data(), 1, index.size(), out.get()) != index.size())
            fail("cannot write the output: " + std::string(std::strerror(errno)));
        if (!wiz::closeFile(std::move(out)))
            fail("cannot write the output: " + std::string(std::strerror(errno)));
    }
    // The packed launcher is as executable as its base.
    std::error_code ec;
    fs::permissions(temp.path(), fs::status(job.base, ec).permissions(), ec);
    fs::rename(temp.path(), job.output, ec);
    if (ec) fail("cannot rename '" + temp.path() + "' to '" + job.output + "': " + ec.message());
    temp.keep();
    return 0;
}

// The index of a packed launcher: false when the file carries none.
struct ReadIndex {
    uint32_t offset = 0;
    int32_t style = -1;
    std::vector<EntryRecord> records;
};
bool readPackedIndex(std::FILE* in, const std::string& path, ReadIndex& index) {
    try {
        const wiz::IndexLocation where = wiz::locateIndex(in);
        if (!where.present) return false;
        index.offset = where.offset;
        uint32_t remaining = where.recordBytes;
        for (uint32_t i = 0; i < where.count; ++i) {
            index.records.emplace_back();
            wiz::readEntryRecord(in, index.records.back(), remaining);
        }
        index.style = wiz::readStyleByte(in);
    } catch (const wiz::LauncherException& e) {
        fail("'" + path + "': " + e.message().str());
    }
    return true;
}

int list(const std::string& path) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    // Records first: a corrupt index prints nothing but the reason.
    ReadIndex index;
    if (!readPackedIndex(in.get(), path, index)) {
        std::printf("no index\n");
        return 0;
    }
    std::printf("style %d\n", static_cast<int>(index.style));
    std::printf("entries %u\n", static_cast<unsigned>(index.records.size()));
    for (size_t i = 0; i < index.records.size(); ++i) {
        const EntryRecord& r = index.records[i];
        std::printf("%u type=%d id=%u offset=%u length=%u name=%s", static_cast<unsigned>(i),
                    static_cast<int>(r.type), static_cast<unsigned>(r.id),
                    static_cast<unsigned>(r.offset), static_cast<unsigned>(r.length),
                    r.name.c_str());
        if (r.compressed)
            std::printf(" compressed=%u/%u", static_cast<unsigned>(r.decompressedCount),
                        static_cast<unsigned>(r.decompressedSize));
        std::printf("\n");
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// Writes every entry under its name into `directory`. Every record is checked before the first
// file is written: a name that is not a plain file name, two entries of one name, or bytes that
// do not lie in front of the index refuse the whole extraction.
int extract(const std::string& path, const std::string& directory) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    ReadIndex index;
    if (!readPackedIndex(in.get(), path, index)) fail("'" + path + "' carries no index");
    std::vector<std::string> names;
    for (const EntryRecord& r : index.records) {
        if (!wiz::isSafeEntryName(r.name))
            fail("'" + path + "': the entry name '" + r.name.str() + "' is not a plain file name");
        if (static_cast<uint64_t>(r.offset) + r.length > index.offset)
            fail("'" + path + "': the entry '" + r.name.str() +
                 "' does not lie in front of the index");
        for (const std::string& n : names)
            if (wiz::equalsNoCase(LString(n), r.name))
                fail("'" + path + "': two entries are named '" + r.name.str() + "'");
        names.push_back(r.name.str());
    }
    std::error_code ec;
    fs::create_directories(directory, ec);
    if (ec) fail("cannot create '" + directory + "': " + ec.message());
    std::vector<char> buffer(1 << 16);
    for (const EntryRecord& r : index.records) {
        const std::string target = (fs::path(directory) / r.name.str()).string();
        bool isLink = false;
        uint32_t error = 0;
        wiz::FilePtr out = wiz::createFileNoLink(LString(target), false, isLink, error);
        if (!out)
            fail("cannot create '" + target + "': " +
                 (isLink ? std::string("it is a link") : std::strerror(static_cast<int>(error))));
        if (std::fseek(in.get(), static_cast<long>(r.offset), SEEK_SET) != 0)
            fail("cannot read '" + path + "'");
        for (uint32_t left = r.length; left > 0;) {
            const size_t want = left < buffer.size() ? left : buffer.size();
            const size_t n = std::fread(buffer.data(), 1, want, in.get());
            if (n == 0) fail("cannot read '" + path + "': it ends inside '" + r.name.str() + "'");
            if (std::fwrite(buffer.data(), 1, n, out.get()) != n)
                fail("cannot write '" + target + "': " + std::strerror(errno));
            left -= static_cast<uint32_t>(n);
        }
        if (!wiz::closeFile(std::move(out)))
            fail("cannot write '" + target + "': " + std::strerror(errno));
        std::printf("%s\n", target.c_str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) usageError("nothing to do");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "--version") {
        std::printf("wizpack %s\n", WIZ_VERSION_TEXT);
        return 0;
    }
    if (args[0] == "--list") {
        if (args.size() != 2) usageError("--list takes one LAUNCHER file");
        return list(args[1]);
    }
    if (args[0] == "--extract") {
        if (args.size() != 3) usageError("--extract takes a LAUNCHER file and a DIRECTORY");
        return extract(args[1], args[2]);
    }
    return pack(args);
}

}  // namespace

int main(int argc, char** argv) {
    wiz::restrictLibrarySearch();
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return run(args);
    } catch (const Failure& f) {
        std::fprintf(stderr, "wizpack: %s\n", f.message.c_str());
        if (f.exitCode == 2) std::fputs("Try 'wizpack --help'.\n", stderr);
        return f.exitCode;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wizpack: %s\n", e.what());
        return 1;
    } catch (...) {
        // Caught so that the temporary output is removed on the way here.
        std::fprintf(stderr, "wizpack: unexpected failure\n");
        return 1;
    }
}
