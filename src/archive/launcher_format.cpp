#include "archive/launcher_format.h"

#include <algorithm>
#include <vector>

#include "base/exceptions.h"
#include "platform/path.h"
#include "tagdoc/text.h"

namespace wiz {

namespace {

const char* const kNameMessage = "Unable to load the string value.";

// Fails with `message` when fewer than `size` index bytes are left; otherwise takes them.
void takeBytes(uint32_t& remaining, uint32_t size, const char* message) {
    if (remaining < size) throw LauncherException(message);
    remaining -= size;
}

uint32_t readField32(std::FILE* stream, uint32_t& remaining, const char* message) {
    takeBytes(remaining, 4, message);
    return readUInt32BE(stream, message);
}

// Size of the file; the stream's position is left at the end. -1 when it cannot be told.
long fileSize(std::FILE* stream) {
    if (std::fseek(stream, 0, SEEK_END) != 0) return -1;
    return std::ftell(stream);
}

// Little-endian fields of the PE headers; false when the bytes cannot be read.
bool readAt(std::FILE* stream, long offset, unsigned char* buffer, uint32_t count) {
    return offset >= 0 && std::fseek(stream, offset, SEEK_SET) == 0 &&
           readBytes(stream, buffer, count) == count;
}
uint32_t littleEndian32(const unsigned char* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
uint16_t littleEndian16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// Whether the 4 bytes before `end` hold the identification.
bool identificationBefore(std::FILE* stream, long end) {
    unsigned char id[4];
    return end >= static_cast<long>(kTrailerSize) && readAt(stream, end - 4, id, 4) &&
           (static_cast<uint32_t>(id[0]) << 24 | static_cast<uint32_t>(id[1]) << 16 |
            static_cast<uint32_t>(id[2]) << 8 | id[3]) == kLauncherIdentification;
}

uint64_t littleEndian64(const unsigned char* p) {
    return static_cast<uint64_t>(littleEndian32(p + 4)) << 32 | littleEndian32(p);
}

// Fields of an ELF file, in the byte order its header names.
struct ElfFields {
    bool bigEndian = false;
    uint64_t u16(const unsigned char* p) const {
        return bigEndian ? static_cast<uint64_t>(p[0] << 8 | p[1]) : littleEndian16(p);
    }
    uint64_t u32(const unsigned char* p) const {
        return bigEndian ? static_cast<uint64_t>(p[0]) << 24 | static_cast<uint64_t>(p[1]) << 16 |
                               static_cast<uint64_t>(p[2]) << 8 | p[3]
                         : littleEndian32(p);
    }
    uint64_t u64(const unsigned char* p) const {
        return bigEndian ? u32(p) << 32 | u32(p + 4) : littleEndian64(p);
    }
};

// The tables of headers that an image lists are read only up to this many entries; no real
// executable comes near it, and a corrupt count must not make the reader walk gigabytes.
constexpr uint32_t kMaxHeaderEntries = 4096;

// The end of a PE image: its headers, the raw data of its sections and the COFF symbol table
// with its string table (kept by unstripped builds). -1 when the file is no PE image.
long peImageEnd(std::FILE* stream) {
    unsigned char dos[64];
    if (!readAt(stream, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return -1;
    const uint32_t peOffset = littleEndian32(dos + 0x3C);
    if (peOffset > kMaxFilePosition - 4096) return -1;
    unsigned char pe[24];
    if (!readAt(stream, static_cast<long>(peOffset), pe, sizeof pe) || pe[0] != 'P' ||
        pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
        return -1;
    const uint32_t sections = littleEndian16(pe + 6);
    const uint64_t symbols = littleEndian32(pe + 12);
    const uint64_t symbolCount = littleEndian32(pe + 16);
    const uint64_t optional = static_cast<uint64_t>(peOffset) + 24;
    const uint64_t sectionTable = optional + littleEndian16(pe + 20);
    if (sections > kMaxHeaderEntries) return -1;
    uint64_t end = sectionTable + static_cast<uint64_t>(sections) * 40;
    unsigned char headersSize[4];
    if (readAt(stream, static_cast<long>(optional + 60), headersSize, 4))
        end = std::max<uint64_t>(end, littleEndian32(headersSize));
    for (uint32_t i = 0; i < sections; ++i) {
        unsigned char section[40];
        if (!readAt(stream, static_cast<long>(sectionTable + i * 40ull), section, sizeof section))
            return -1;
        const uint64_t size = littleEndian32(section + 16);
        if (size != 0) end = std::max(end, littleEndian32(section + 20) + size);
    }
    if (symbols != 0) {
        // 18 bytes a symbol, then the string table, whose first 4 bytes hold its size.
        const uint64_t strings = symbols + symbolCount * 18;
        unsigned char stringsSize[4];
        end = std::max(end, strings);
        if (strings <= kMaxFilePosition &&
            readAt(stream, static_cast<long>(strings), stringsSize, 4))
            end = std::max(end, strings + std::max<uint64_t>(4, littleEndian32(stringsSize)));
    }
    return end > kMaxFilePosition ? -1 : static_cast<long>(end);
}

// The end of an ELF image: its header, the program and section header tables and the contents of
// every section and segment. -1 when the file is no ELF image.
long elfImageEnd(std::FILE* stream) {
    unsigned char h[64];
    if (!readAt(stream, 0, h, 52) || h[0] != 0x7F || h[1] != 'E' || h[2] != 'L' || h[3] != 'F')
        return -1;
    const bool wide = h[4] == 2;
    if ((h[4] != 1 && !wide) || (h[5] != 1 && h[5] != 2)) return -1;
    if (wide && !readAt(stream, 0, h, 64)) return -1;
    ElfFields f;
    f.bigEndian = h[5] == 2;
    const uint64_t phoff = wide ? f.u64(h + 0x20) : f.u32(h + 0x1C);
    const uint64_t shoff = wide ? f.u64(h + 0x28) : f.u32(h + 0x20);
    const unsigned char* counts = h + (wide ? 0x36 : 0x2A);
    const uint64_t phentsize = f.u16(counts), phnum = f.u16(counts + 2);
    const uint64_t shentsize = f.u16(counts + 4), shnum = f.u16(counts + 6);
    if (phnum > kMaxHeaderEntries || shnum > kMaxHeaderEntries || phentsize > 256 ||
        shentsize > 256 || phoff > kMaxFilePosition || shoff > kMaxFilePosition)
        return -1;
    uint64_t end = wide ? 64 : 52;
    if (phnum != 0) end = std::max(end, phoff + phnum * phentsize);
    if (shnum != 0) end = std::max(end, shoff + shnum * shentsize);
    unsigned char entry[256];
    for (uint64_t i = 0; i < phnum; ++i) {
        const size_t need = wide ? 40 : 20;
        if (phentsize < need ||
            !readAt(stream, static_cast<long>(phoff + i * phentsize), entry, need))
            return -1;
        const uint64_t offset = wide ? f.u64(entry + 8) : f.u32(entry + 4);
        const uint64_t size = wide ? f.u64(entry + 32) : f.u32(entry + 16);
        end = std::max(end, offset + size);
    }
    for (uint64_t i = 0; i < shnum; ++i) {
        const size_t need = wide ? 40 : 24;
        if (shentsize < need ||
            !readAt(stream, static_cast<long>(shoff + i * shentsize), entry, need))
            return -1;
        const uint64_t kNoBits = 8;
        if (f.u32(entry + 4) == kNoBits) continue;
        const uint64_t offset = wide ? f.u64(entry + 0x18) : f.u32(entry + 0x10);
        const uint64_t size = wide ? f.u64(entry + 0x20) : f.u32(entry + 0x14);
        end = std::max(end, offset + size);
    }
    return end > kMaxFilePosition ? -1 : static_cast<long>(end);
}

// Whether bytes follow the executable image that carry no index: what is left of a launcher
// whose end was cut off (its trailer is the last thing written) or overwritten. An Authenticode
// table at the end of the file, with the zero bytes that align it, belongs to the image. False
// for a file that is no executable image the reader knows.
bool carriesUnindexedBytes(std::FILE* stream) {
    long image = peImageEnd(stream);
    if (image < 0) image = elfImageEnd(stream);
    long end = fileSize(stream);
    if (image < 0 || end < 0) return false;
    uint32_t tableOffset = 0;
    uint32_t tableSize = 0;
    if (findCertificateTable(stream, tableOffset, tableSize) &&
        static_cast<uint64_t>(tableOffset) + tableSize == static_cast<uint64_t>(end) &&
        static_cast<long>(tableOffset) >= image) {
        end = static_cast<long>(tableOffset);
        unsigned char c;
        while (end > image && end - image < 8 && readAt(stream, end - 1, &c, 1) && c == 0) --end;
    }
    return end > image;
}

}  // namespace

const char* const kDamagedLauncherText =
    "The launcher file is damaged or incomplete; download it again.";

bool findCertificateTable(std::FILE* stream, uint32_t& offset, uint32_t& size) {
    // DOS header: "MZ", the offset of the PE signature at 0x3C.
    unsigned char dos[64];
    if (!readAt(stream, 0, dos, sizeof dos) || dos[0] != 'M' || dos[1] != 'Z') return false;
    const uint32_t peOffset = littleEndian32(dos + 0x3C);
    if (peOffset > kMaxFilePosition - 4096) return false;
    // "PE\0\0", the file header (20 bytes), then the optional header.
    unsigned char pe[24];
    if (!readAt(stream, static_cast<long>(peOffset), pe, sizeof pe) || pe[0] != 'P' ||
        pe[1] != 'E' || pe[2] != 0 || pe[3] != 0)
        return false;
    const uint16_t optionalSize = littleEndian16(pe + 20);
    unsigned char magic[2];
    const long optional = static_cast<long>(peOffset) + 24;
    if (!readAt(stream, optional, magic, 2)) return false;
    // PE32 and PE32+ differ in where the count of data directories and the directories lie.
    uint32_t countAt;
    switch (littleEndian16(magic)) {
        case 0x10B:
            countAt = 92;
            break;
        case 0x20B:
            countAt = 108;
            break;
        default:
            return false;
    }
    const uint32_t kSecurityDirectory = 4;
    const uint32_t directoryAt = countAt + 4 + kSecurityDirectory * 8;
    if (optionalSize < directoryAt + 8) return false;
    unsigned char count[4];
    unsigned char directory[8];
    if (!readAt(stream, optional + static_cast<long>(countAt), count, 4) ||
        littleEndian32(count) <= kSecurityDirectory ||
        !readAt(stream, optional + static_cast<long>(directoryAt), directory, 8))
        return false;
    // The security directory holds a file offset, not a virtual address.
    offset = littleEndian32(directory);
    size = littleEndian32(directory + 4);
    return offset != 0 && size != 0;
}

long launcherDataEnd(std::FILE* stream) {
    const long size = fileSize(stream);
    if (size < 0) return -1;
    uint32_t tableOffset = 0;
    uint32_t tableSize = 0;
    if (!findCertificateTable(stream, tableOffset, tableSize) ||
        static_cast<uint64_t>(tableOffset) + tableSize != static_cast<uint64_t>(size))
        return size;
    // The table is aligned to 8 bytes: up to 7 zero bytes may stand between the trailer, whose
    // last byte is never zero, and the table.
    long end = static_cast<long>(tableOffset);
    for (int padding = 0; padding < 8 && end > 0; ++padding, --end) {
        if (identificationBefore(stream, end)) return end;
        unsigned char c;
        if (!readAt(stream, end - 1, &c, 1) || c != 0) break;
    }
    return size;
}

IndexLocation locateIndex(std::FILE* stream) {
    IndexLocation where;
    const long size = launcherDataEnd(stream);
    if (size < static_cast<long>(kTrailerSize) - 1 || std::fseek(stream, size - 8, SEEK_SET) != 0)
        throw LauncherException("Invalid launcher format.");
    where.offset = readUInt32BE(stream, "Unable to read file index offset.");
    const uint32_t identification =
        readUInt32BE(stream, "Unable to read launcher identification value.");
    if (identification != kLauncherIdentification) {
        // An executable with nothing behind its image was never packed; one with bytes behind
        // it lost its trailer.
        if (carriesUnindexedBytes(stream)) throw LauncherException(kDamagedLauncherText);
        return where;
    }
    where.present = true;

    // The index lies in front of the style byte. An offset beyond it (or beyond what a signed
    // file position holds) cannot be reached.
    const uint32_t indexEnd = static_cast<uint32_t>(size) - kTrailerSize;
    if (size < static_cast<long>(kTrailerSize) || where.offset > kMaxFilePosition ||
        where.offset > indexEnd ||
        std::fseek(stream, static_cast<long>(where.offset), SEEK_SET) != 0)
        throw LauncherException("Invalid file index offset.");
    uint32_t remaining = indexEnd - where.offset;
    where.count = readField32(stream, remaining, "Unable to read the file count.");
    where.recordBytes = remaining;
    return where;
}

void readEntryRecord(std::FILE* stream, EntryRecord& record, uint32_t& remaining) {
    const char* const typeMessage = "Invalid file type in file index.";
    takeBytes(remaining, 1, typeMessage);
    const int type = std::getc(stream);
    if (type == EOF || type >= kEntryTypeCount) throw LauncherException(typeMessage);
    record.type = type;

    record.id = readField32(stream, remaining, "Unable to load file id.");
    record.length = readField32(stream, remaining, "Unable to load file length.");
    record.offset = readField32(stream, remaining, "Unable to load offset to file bytes.");

    takeBytes(remaining, 2, kNameMessage);
    // The length is a signed 16-bit value: 32768 and above are negative, i.e. corrupt.
    const uint16_t nameLength = readUInt16BE(stream, kNameMessage);
    if (nameLength > kMaxNameLength) throw LauncherException(kNameMessage);
    takeBytes(remaining, nameLength, kNameMessage);
    std::vector<unsigned char> name(nameLength);
    if (nameLength != 0 && readBytes(stream, name.data(), nameLength) != nameLength)
        throw LauncherException(kNameMessage);
    // A line feed ends a name: a name holding one would leave the rest of the record misread.
    for (unsigned char c : name)
        if (c == '\n') throw LauncherException(kNameMessage);
    record.name = nameLength == 0 ? LString()
                                  : LString(reinterpret_cast<const char*>(name.data()), nameLength);

    // The compressed byte has no message of its own: a missing one reads as "not compressed",
    // and the next record (if any) then fails on its type.
    record.compressed = false;
    record.decompressedCount = 0;
    record.decompressedSize = 0;
    if (remaining == 0) return;
    remaining -= 1;
    const int flag = std::getc(stream);
    if (flag != kCompressedFlag) return;
    record.compressed = true;
    record.decompressedCount =
        readField32(stream, remaining, "Unable to load decompressed file count.");
    record.decompressedSize = readField32(stream, remaining, "Unable to load decompressed size.");
}

int32_t readStyleByte(std::FILE* stream) {
    const long size = launcherDataEnd(stream);
    if (size < static_cast<long>(kTrailerSize) ||
        std::fseek(stream, size - static_cast<long>(kTrailerSize), SEEK_SET) != 0)
        return -1;
    const int c = std::getc(stream);
    return c == EOF ? -1 : c;
}

void appendUInt32BE(std::string& out, uint32_t value) {
    out.push_back(static_cast<char>(value >> 24));
    out.push_back(static_cast<char>(value >> 16));
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

void appendUInt16BE(std::string& out, uint16_t value) {
    out.push_back(static_cast<char>(value >> 8));
    out.push_back(static_cast<char>(value));
}

namespace {

bool isReservedDeviceName(const LString& name) {
    // Windows opens the device for these names whatever the extension, and ignores blanks
    // before the extension.
    LString base = name.substr(0, name.find('.'));
    LString::size_type last = base.find_last_not_of(" ");
    base = last == LString::npos ? LString() : base.substr(0, last + 1);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : kDevices) {
        if (equalsNoCase(base, d)) return true;
    }
    if (base.length() == 4 && base[3] >= '1' && base[3] <= '9' &&
        (startsWithNoCase(base, "COM") || startsWithNoCase(base, "LPT"))) {
        return true;
    }
    return false;
}

}  // namespace

bool isSafeEntryName(const LString& name) {
    if (name.empty()) return false;
    for (LString::size_type i = 0; i < name.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || c == '/' || c == '\\' || c == ':') return false;
    }
    // "." and ".." name directories; Windows drops trailing dots and blanks, so "..." or ". ."
    // would too.
    if (name.find_first_not_of(". ") == LString::npos) return false;
    return !isReservedDeviceName(name);
}

LString recordProblem(const EntryRecord& record) {
    if (record.type < 0 || record.type >= kEntryTypeCount)
        return "the type " + numberToString(record.type) + " is not one of 0..7";
    if (record.name.find('\n') != LString::npos) return "the name holds a line feed";
    if (record.name.length() > kMaxNameLength) return "the name is longer than 32767 bytes";
    if (!isSafeEntryName(record.name)) {
        return "the name is not a plain file name (empty, a path, a drive, dots only, a control "
               "character or a device name)";
    }
    if (record.offset > kMaxFilePosition) return "the offset lies beyond 2^31 - 1";
    if (record.length > kMaxFilePosition - record.offset)
        return "the file ends beyond 2^31 - 1 bytes into the launcher";
    return LString();
}

uint32_t encodedRecordSize(const EntryRecord& record) {
    return kMinRecordSize + record.name.length() +
           (record.compressed ? kDecompressedFieldsSize : 0);
}

void appendEntryRecord(std::string& out, const EntryRecord& record) {
    out.push_back(static_cast<char>(record.type));
    appendUInt32BE(out, record.id);
    appendUInt32BE(out, record.length);
    appendUInt32BE(out, record.offset);
    appendUInt16BE(out, static_cast<uint16_t>(record.name.length()));
    out.append(record.name.str());
    out.push_back(static_cast<char>(record.compressed ? kCompressedFlag : 0));
    if (record.compressed) {
        appendUInt32BE(out, record.decompressedCount);
        appendUInt32BE(out, record.decompressedSize);
    }
}

void appendTrailer(std::string& out, uint8_t style, uint32_t indexOffset) {
    out.push_back(static_cast<char>(style));
    appendUInt32BE(out, indexOffset);
    appendUInt32BE(out, kLauncherIdentification);
}

}  // namespace wiz
