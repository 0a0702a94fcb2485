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

namespace fs = std::filesystem;
using wiz::EntryRecord;
using wiz::LString;

namespace {

const char* const kUsage =
    "Usage:\n"
    "  wizpack -o OUTPUT [--style N] BASE [ENTRY]...\n"
    "  wizpack --list LAUNCHER\n"
    "  wizpack --help\n"
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
    "\n"
    "--list prints the style byte and one line per index entry:\n"
    "  POSITION type=T id=I offset=O length=L name=NAME [compressed=COUNT/SIZE]\n"
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
            job.entries.push_back(PlannedEntry{a, pending});
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

// Lays the entries out after the base and checks every record before anything is written.
void planLayout(PackJob& job, uint64_t& indexOffset) {
    job.baseSize = inputSize(job.base);
    uint64_t position = job.baseSize;
    for (PlannedEntry& e : job.entries) {
        const uint64_t size = inputSize(e.path);
        if (size > wiz::kMaxFilePosition)
            fail("'" + e.path + "' is too large for the launcher format (" + std::to_string(size) +
                 " bytes, at most 2147483647)");
        if (position > wiz::kMaxFilePosition)
            fail("'" + e.path + "' would start at offset " + std::to_string(position) +
                 ", beyond the format's limit of 2147483647");
        e.record.offset = static_cast<uint32_t>(position);
        e.record.length = static_cast<uint32_t>(size);
        const LString problem = wiz::recordProblem(e.record);
        if (!problem.empty()) fail("cannot pack '" + e.path + "': " + problem.str());
        position += size;
    }
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

int pack(const std::vector<std::string>& args) {
    PackJob job = parsePackArguments(args);
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

int list(const std::string& path) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    try {
        const wiz::IndexLocation where = wiz::locateIndex(in.get());
        if (!where.present) {
            std::printf("no index\n");
            return 0;
        }
        // Records first: a corrupt index prints nothing but the reason.
        std::vector<EntryRecord> records;
        uint32_t remaining = where.recordBytes;
        for (uint32_t i = 0; i < where.count; ++i) {
            records.emplace_back();
            wiz::readEntryRecord(in.get(), records.back(), remaining);
        }
        std::printf("style %d\n", static_cast<int>(wiz::readStyleByte(in.get())));
        std::printf("entries %u\n", static_cast<unsigned>(records.size()));
        for (size_t i = 0; i < records.size(); ++i) {
            const EntryRecord& r = records[i];
            std::printf("%u type=%d id=%u offset=%u length=%u name=%s", static_cast<unsigned>(i),
                        static_cast<int>(r.type), static_cast<unsigned>(r.id),
                        static_cast<unsigned>(r.offset), static_cast<unsigned>(r.length),
                        r.name.c_str());
            if (r.compressed)
                std::printf(" compressed=%u/%u", static_cast<unsigned>(r.decompressedCount),
                            static_cast<unsigned>(r.decompressedSize));
            std::printf("\n");
        }
    } catch (const wiz::LauncherException& e) {
        fail("'" + path + "': " + e.message().str());
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

int run(const std::vector<std::string>& args) {
    if (args.empty()) usageError("nothing to do");
    if (args[0] == "--help" || args[0] == "-h") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (args[0] == "--list") {
        if (args.size() != 2) usageError("--list takes one LAUNCHER file");
        return list(args[1]);
    }
    return pack(args);
}

}  // namespace

int main(int argc, char** argv) {
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
