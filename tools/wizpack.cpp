// wizpack: packs embedded files into a copy of the launcher executable, and lists the index of a
// packed launcher. It shares the byte layout (archive/launcher_format.h) with the launcher's own
// reader, so what it writes is exactly what the launcher reads. This file is the command line;
// the manifest reader is tools/manifest.cpp.
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
#include "services/string_table.h"
#include "tools/branding.h"
#include "tools/check.h"
#include "tools/manifest.h"
#include "tools/pack_job.h"
#include "tools/texts.h"
#include "wiz_version.h"

namespace fs = std::filesystem;
using wiz::EntryRecord;
using wiz::LString;
using namespace wizpack;

namespace {

const char* const kUsage =
    "Usage:\n"
    "  wizpack -o OUTPUT [--style N] BASE [ENTRY]...\n"
    "  wizpack -o OUTPUT --manifest MANIFEST [-D NAME=VALUE]...\n"
    "  wizpack --check [-o OUTPUT] (--manifest MANIFEST [-D NAME=VALUE]... | BASE [ENTRY]...)\n"
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
    "Branding (each also a manifest tag: PRODUCT_NAME, TEXTS, ICON, VERSION, COMPANY,\n"
    "DESCRIPTION, COPYRIGHT, EXECUTION_LEVEL; an option overrides its tag):\n"
    "  --product-name TEXT   the product's name in every text and in the version information\n"
    "  --texts FILE          the author's texts by language and string id\n"
    "  --icon FILE.ico       the icon (Windows)\n"
    "  --version-number A.B.C.D, --company TEXT, --description TEXT, --copyright TEXT\n"
    "                        the version information (Windows)\n"
    "  --execution-level asInvoker|highestAvailable|requireAdministrator  (Windows)\n"
    "See docs/packing.md.\n"
    "\n"
    "Before packing, each instruction script, JVM descriptor and launch script is read as the\n"
    "launcher will read it; what it would reject is reported as FILE:LINE: message and nothing\n"
    "is written. --check runs these checks and the branding's, and writes nothing; --no-check\n"
    "packs such documents all the same (to see how the launcher reports them).\n"
    "\n"
    "--list prints the style byte and one line per index entry:\n"
    "  POSITION type=T id=I offset=O length=L name=NAME [compressed=COUNT/SIZE]\n"
    "--extract writes every entry into DIRECTORY (created if missing) under its name.\n"
    "A launcher signed after packing lists and extracts as before it was signed.\n"
    "\n"
    "Exit codes: 0 done, 1 refused or failed (nothing written), 2 usage error.\n";

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

// The branding value an option such as --product-name sets; null for any other word.
BrandValue* brandOption(BrandingRequest& b, const std::string& option) {
    if (option == "--product-name") return &b.productName;
    if (option == "--texts") return &b.textsPath;
    if (option == "--icon") return &b.iconPath;
    if (option == "--version-number") return &b.version;
    if (option == "--company") return &b.company;
    if (option == "--description") return &b.description;
    if (option == "--copyright") return &b.copyright;
    if (option == "--execution-level") return &b.executionLevel;
    return nullptr;
}

PackJob parsePackArguments(const std::vector<std::string>& args, bool checkOnly) {
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
        } else if (a == "--no-check") {
            job.skipDocumentChecks = true;
        } else if (BrandValue* brand = brandOption(job.branding, a)) {
            if (brand->given()) usageError(a + " given twice");
            brand->value = value(i);
            brand->origin = a;
        } else if (a.size() > 1 && a[0] == '-' && a != "-") {
            usageError("unknown option '" + a + "'");
        } else if (job.base.empty()) {
            if (haveType || haveId || haveName || haveCompressed)
                usageError("entry options must follow the BASE executable");
            job.base = a;
        } else {
            if (!haveType) usageError("--type is missing for '" + a + "'");
            if (!haveName) pending.name = LString(baseName(a));
            job.entries.push_back(PlannedEntry{a, pending, std::string(), false, std::string()});
            pending = EntryRecord();
            haveType = haveId = haveName = haveCompressed = false;
        }
    }
    if (haveType || haveId || haveName || haveCompressed)
        usageError("entry options at the end without a FILE");
    if (job.output.empty() && !checkOnly) usageError("no output file (-o OUTPUT)");
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

// The first `count` bytes of a file (fewer when it is shorter).
Bytes readHead(const std::string& path, uint64_t count) {
    wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
    if (!in) fail("cannot open '" + path + "': " + std::strerror(errno));
    Bytes bytes(count);
    bytes.resize(std::fread(bytes.data(), 1, bytes.size(), in.get()));
    if (std::ferror(in.get())) fail("cannot read '" + path + "'");
    return bytes;
}

// Refuses an output that names one of the inputs: the pack would destroy what it reads.
void refuseOutputAsInput(const PackJob& job) {
    std::vector<std::pair<std::string, std::string>> inputs = {{job.base, job.baseOrigin}};
    if (!job.manifest.empty()) inputs.emplace_back(job.manifest, job.manifest);
    for (const PlannedEntry& e : job.entries)
        if (!e.generated) inputs.emplace_back(e.path, e.origin);
    for (const BrandValue* b : {&job.branding.iconPath, &job.branding.textsPath})
        if (b->given()) inputs.emplace_back(b->value, b->origin);
    for (const auto& input : inputs) {
        std::error_code ec;
        if (fs::equivalent(job.output, input.first, ec) && !ec)
            fail((input.second.empty() ? std::string() : input.second + ": ") + "the output '" +
                 job.output + "' is this input ('" + input.first + "'): name another output");
    }
}

// Lays the entries out after the base and checks every record before anything is written.
void planLayout(PackJob& job, uint64_t& baseSize, uint64_t& indexOffset, Bytes& branded) {
    checkBranding(job.branding);
    atOrigin(job.baseOrigin, [&] {
        baseSize = inputSize(job.base);
        refuseSignedBase(job.base);
        const Bytes head = readHead(job.base, 4);
        const bool windows = head.size() >= 2 && head[0] == 'M' && head[1] == 'Z';
        const bool elf = head.size() == 4 && head[0] == 0x7F && head[1] == 'E' && head[2] == 'L' &&
                         head[3] == 'F';
        if (!windows && !elf)
            fail("'" + job.base +
                 "' is not a launcher executable (neither a Windows nor an ELF "
                 "executable)");
        const BrandingRequest& b = job.branding;
        if (windows && b.any()) {
            try {
                branded = brandExecutable(readHead(job.base, baseSize), b, baseName(job.output));
            } catch (const PackError& e) {
                fail("cannot rewrite the resources of '" + job.base + "': " + e.what());
            }
            baseSize = branded.size();
        }
        if (elf && (b.productName.given() || b.textsPath.given())) {
            // A Linux launcher reads its texts from the payload, first of all.
            PlannedEntry texts;
            texts.path = wiz::kTextsEntryName;
            texts.record.type = wiz::kEntryInstructions;
            texts.record.name = LString(wiz::kTextsEntryName);
            texts.generated = true;
            texts.content = textsDocument(readTexts(b));
            job.entries.insert(job.entries.begin(), texts);
        }
        if (elf) {
            std::string unused;
            for (const auto& tag :
                 {std::make_pair("ICON", &b.iconPath), std::make_pair("VERSION", &b.version),
                  std::make_pair("DESCRIPTION", &b.description),
                  std::make_pair("COPYRIGHT", &b.copyright),
                  std::make_pair("EXECUTION_LEVEL", &b.executionLevel)})
                if (tag.second->given())
                    unused += std::string(unused.empty() ? "" : ", ") + tag.first;
            if (!unused.empty())
                std::fprintf(stderr,
                             "wizpack: %s: for a Windows launcher only, not used for this Linux "
                             "launcher\n",
                             unused.c_str());
        }
    });
    refuseOutputAsInput(job);
    uint64_t position = baseSize;
    for (PlannedEntry& e : job.entries)
        atOrigin(e.origin, [&] {
            const uint64_t size = e.generated ? e.content.size() : inputSize(e.path);
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

// -o OUTPUT --manifest MANIFEST [-D NAME=VALUE]..., in any order.
PackJob parseManifestArguments(const std::vector<std::string>& args, bool checkOnly) {
    std::string output, manifest;
    std::vector<std::string> defines;
    std::vector<std::pair<std::string, std::string>> options;
    bool skipChecks = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--no-check") {
            skipChecks = true;
            continue;
        }
        BrandingRequest unused;
        const bool brand = brandOption(unused, a) != nullptr;
        if (a != "-o" && a != "--manifest" && a != "-D" && !brand)
            usageError(
                "with --manifest, only -o, -D, --no-check and the branding options are given, not "
                "'" +
                a + "'");
        if (i + 1 >= args.size()) usageError(a + " needs a value");
        const std::string& v = args[++i];
        if (brand) {
            for (const auto& given : options)
                if (given.first == a) usageError(a + " given twice");
            options.emplace_back(a, v);
        } else if (a == "-o") {
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
    if (output.empty() && !checkOnly) usageError("no output file (-o OUTPUT)");
    if (manifest.empty()) usageError("no manifest");
    PackJob job = readManifest(manifest, defines);
    job.output = output;
    job.skipDocumentChecks = skipChecks;
    // An option overrides the manifest's tag of the same meaning.
    for (const auto& option : options) {
        BrandValue* brand = brandOption(job.branding, option.first);
        brand->value = option.second;
        brand->origin = option.first;
    }
    return job;
}

bool hasManifestOption(const std::vector<std::string>& args) {
    for (const std::string& a : args)
        if (a == "--manifest") return true;
    return false;
}

int pack(const std::vector<std::string>& args, bool checkOnly) {
    PackJob job = hasManifestOption(args) ? parseManifestArguments(args, checkOnly)
                                          : parsePackArguments(args, checkOnly);
    // The documents first: a launcher that would reject its own script is not written.
    if (!job.skipDocumentChecks || checkOnly) checkDocuments(job, stderr);
    if (checkOnly) {
        checkBranding(job.branding);
        return 0;
    }
    uint64_t baseSize = 0, indexOffset = 0;
    Bytes branded;
    planLayout(job, baseSize, indexOffset, branded);

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
        if (!branded.empty()) {
            if (std::fwrite(branded.data(), 1, branded.size(), out.get()) != branded.size())
                fail("cannot write the output: " + std::string(std::strerror(errno)));
        } else {
            copyInto(out.get(), job.base, baseSize);
        }
        for (const PlannedEntry& e : job.entries) {
            if (!e.generated) {
                copyInto(out.get(), e.path, e.record.length);
            } else if (std::fwrite(e.content.data(), 1, e.content.size(), out.get()) !=
                       e.content.size()) {
                fail("cannot write the output: " + std::string(std::strerror(errno)));
            }
        }
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
    if (args[0] == "--check")
        return pack(std::vector<std::string>(args.begin() + 1, args.end()), true);
    return pack(args, false);
}

}  // namespace

int main(int argc, char** argv) {
    wiz::restrictLibrarySearch();
    std::vector<std::string> args(argv + 1, argv + argc);
    try {
        return run(args);
    } catch (const PackError& e) {
        std::fprintf(stderr, "wizpack: %s\n", e.what());
        if (e.exitCode() == 2) std::fputs("Try 'wizpack --help'.\n", stderr);
        return e.exitCode();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "wizpack: %s\n", e.what());
        return 1;
    } catch (...) {
        // Caught so that the temporary output is removed on the way here.
        std::fprintf(stderr, "wizpack: unexpected failure\n");
        return 1;
    }
}
