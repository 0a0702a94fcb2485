// The launcher-file layout shared by the packing tool and the launcher: the writers' exact bytes,
// the checks of what can be stored, and reading written records back.

#include "archive/launcher_format.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/exceptions.h"
#include "platform/file.h"
#include "support/temp_dir.h"

namespace {

using wiz::EntryRecord;
using wiz::LString;

EntryRecord makeRecord(int32_t type, uint32_t id, uint32_t offset, uint32_t length,
                       const LString& name) {
    EntryRecord r;
    r.type = type;
    r.id = id;
    r.offset = offset;
    r.length = length;
    r.name = name;
    return r;
}

TEST(LauncherFormatTest, RecordAndTrailerBytesAreBigEndian) {
    EntryRecord r = makeRecord(6, 0x01020304u, 0x0A0B0C0Du, 0x11121314u, "ab");
    r.compressed = true;
    r.decompressedCount = 0x21222324u;
    r.decompressedSize = 0x31323334u;
    std::string out;
    wiz::appendEntryRecord(out, r);
    const std::string expected(
        "\x06"
        "\x01\x02\x03\x04"
        "\x11\x12\x13\x14"
        "\x0A\x0B\x0C\x0D"
        "\x00\x02"
        "ab"
        "\x01"
        "\x21\x22\x23\x24"
        "\x31\x32\x33\x34",
        1 + 4 + 4 + 4 + 2 + 2 + 1 + 4 + 4);
    EXPECT_EQ(out, expected);
    EXPECT_EQ(wiz::encodedRecordSize(r), expected.size());

    r.compressed = false;
    out.clear();
    wiz::appendEntryRecord(out, r);
    EXPECT_EQ(out.size(), wiz::encodedRecordSize(r));
    EXPECT_EQ(out.back(), '\0');

    out.clear();
    wiz::appendTrailer(out, 0xFE, 0x00ABCDEFu);
    EXPECT_EQ(out, std::string("\xFE\x00\xAB\xCD\xEF\xCA\x82\xCA\x82", 9));
}

TEST(LauncherFormatTest, RecordProblems) {
    const struct {
        EntryRecord record;
        const char* problem;
    } cases[] = {
        {makeRecord(0, 0, 0, 0, "ok"), ""},
        {makeRecord(7, 0, 0x7FFFFFFFu, 0, LString(32767, 'n')), ""},
        {makeRecord(-1, 0, 0, 0, "a"), "the type -1 is not one of 0..7"},
        {makeRecord(8, 0, 0, 0, "a"), "the type 8 is not one of 0..7"},
        {makeRecord(3, 0, 0, 0, "a\nb"), "the name holds a line feed"},
        {makeRecord(3, 0, 0, 0, LString(32768, 'n')), "the name is longer than 32767 bytes"},
        {makeRecord(3, 0, 0x80000000u, 0, "a"), "the offset lies beyond 2^31 - 1"},
        {makeRecord(3, 0, 0x7FFFFFF0u, 0x10u, "a"),
         "the file ends beyond 2^31 - 1 bytes into the launcher"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.problem);
        EXPECT_EQ(wiz::recordProblem(c.record).str(), c.problem);
    }
}

class LauncherFormatFileTest : public ::testing::Test {
protected:
    wiz::FilePtr open(const std::string& bytes) {
        return wiz::openFile(LString(dir.write("launcher", bytes)), "rb");
    }
    wiztest::TempDir dir;
};

TEST_F(LauncherFormatFileTest, WrittenIndexIsLocatedAndReadBack) {
    std::vector<EntryRecord> records = {makeRecord(0, 1, 4, 3, "setup.tag"),
                                        makeRecord(7, 0xFFFFFFFFu, 7, 0, "")};
    records[1].compressed = true;
    records[1].decompressedCount = 2;
    records[1].decompressedSize = 9;
    std::string bytes = "MZ..ABC";
    std::string index;
    wiz::appendUInt32BE(index, 2);
    for (const auto& r : records) wiz::appendEntryRecord(index, r);
    bytes += index;
    wiz::appendTrailer(bytes, 3, 7);

    wiz::FilePtr f = open(bytes);
    const wiz::IndexLocation where = wiz::locateIndex(f.get());
    EXPECT_TRUE(where.present);
    EXPECT_EQ(where.offset, 7u);
    EXPECT_EQ(where.count, 2u);
    EXPECT_EQ(where.recordBytes, index.size() - 4);

    uint32_t remaining = where.recordBytes;
    for (const EntryRecord& expected : records) {
        EntryRecord r;
        wiz::readEntryRecord(f.get(), r, remaining);
        EXPECT_EQ(r.type, expected.type);
        EXPECT_EQ(r.id, expected.id);
        EXPECT_EQ(r.offset, expected.offset);
        EXPECT_EQ(r.length, expected.length);
        EXPECT_EQ(r.name.str(), expected.name.str());
        EXPECT_EQ(r.compressed, expected.compressed);
        EXPECT_EQ(r.decompressedCount, expected.decompressedCount);
        EXPECT_EQ(r.decompressedSize, expected.decompressedSize);
    }
    EXPECT_EQ(remaining, 0u);
    EXPECT_EQ(wiz::readStyleByte(f.get()), 3);
}

TEST_F(LauncherFormatFileTest, RecordNeverReadsBeyondItsIndexBytes) {
    // The file holds the whole record, but only its first bytes belong to the index: the
    // remaining bytes (here, the style byte and trailer) are never taken as record fields.
    std::string record;
    wiz::appendEntryRecord(record, makeRecord(3, 1, 2, 3, "name"));
    wiz::FilePtr f = open(record);
    const struct {
        uint32_t bytes;
        const char* message;
    } cases[] = {
        {0, "Invalid file type in file index."},  {4, "Unable to load file id."},
        {8, "Unable to load file length."},       {12, "Unable to load offset to file bytes."},
        {14, "Unable to load the string value."}, {18, "Unable to load the string value."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        std::rewind(f.get());
        uint32_t remaining = c.bytes;
        EntryRecord r;
        try {
            wiz::readEntryRecord(f.get(), r, remaining);
            ADD_FAILURE() << "no failure";
        } catch (const wiz::LauncherException& e) {
            EXPECT_EQ(e.message().str(), c.message);
        }
    }
}

// A minimal PE image (DOS header, PE signature, file header, optional header with 16 data
// directories) of `imageSize` bytes in all; `magic` is 0x10B (PE32) or 0x20B (PE32+).
std::string peImage(uint16_t magic, size_t imageSize = 512) {
    std::string image(imageSize, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) image[at + i] = static_cast<char>(v >> (8 * i));
    };
    image[0] = 'M';
    image[1] = 'Z';
    const size_t pe = 0x80;
    put32(0x3C, pe);
    image.replace(pe, 4, std::string("PE\0\0", 4));
    const uint16_t optionalSize = magic == 0x10B ? 224 : 240;
    image[pe + 20] = static_cast<char>(optionalSize & 0xFF);
    image[pe + 21] = static_cast<char>(optionalSize >> 8);
    image[pe + 24] = static_cast<char>(magic & 0xFF);
    image[pe + 25] = static_cast<char>(magic >> 8);
    put32(pe + 24 + (magic == 0x10B ? 92 : 108), 16);
    // SizeOfHeaders: the headers fill the whole image.
    put32(pe + 24 + 60, static_cast<uint32_t>(imageSize));
    return image;
}

// A minimal ELF image: the header of the given class (1: 32-bit, 2: 64-bit), little-endian, with
// one section of `sectionBytes` bytes after the header and the section header table after it.
std::string elfImage(int elfClass, uint32_t sectionBytes) {
    const bool wide = elfClass == 2;
    const size_t header = wide ? 64 : 52, entry = wide ? 64 : 40;
    const size_t table = header + sectionBytes;
    std::string image(table + 2 * entry, '\0');
    auto put = [&](size_t at, uint64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) image[at + i] = static_cast<char>(v >> (8 * i));
    };
    image.replace(0, 4,
                  "\x7F"
                  "ELF");
    image[4] = static_cast<char>(elfClass);
    image[5] = 1;
    put(wide ? 0x28 : 0x20, table, wide ? 8 : 4);  // e_shoff
    put(wide ? 0x3A : 0x2E, entry, 2);             // e_shentsize
    put(wide ? 0x3C : 0x30, 2, 2);                 // e_shnum: the null section and one more
    const size_t second = table + entry;
    put(second + 4, 1, 4);  // SHT_PROGBITS
    put(second + (wide ? 0x18 : 0x10), header, wide ? 8 : 4);
    put(second + (wide ? 0x20 : 0x14), sectionBytes, wide ? 8 : 4);
    return image;
}

// A PE32 image with a COFF symbol table of `symbols` symbols and a string table behind its
// 512 bytes, as unstripped builds are.
std::string peImageWithSymbols(uint32_t symbols, uint32_t stringBytes) {
    std::string image = peImage(0x10B);
    for (int i = 0; i < 4; ++i) {
        image[0x80 + 12 + i] = static_cast<char>(512u >> (8 * i));
        image[0x80 + 16 + i] = static_cast<char>(symbols >> (8 * i));
    }
    image += std::string(symbols * 18, 's');
    std::string strings(stringBytes, 't');
    for (int i = 0; i < 4; ++i) strings[i] = static_cast<char>(stringBytes >> (8 * i));
    return image + strings;
}

// Appends a certificate table the way signing tools do: zero padding up to a multiple of 8, then
// the table, recorded in the security data directory.
void appendSignature(std::string& file, uint16_t magic, uint32_t tableSize) {
    while (file.size() % 8 != 0) file.push_back('\0');
    const uint32_t offset = static_cast<uint32_t>(file.size());
    const size_t directory = 0x80 + 24 + (magic == 0x10B ? 96 : 112) + 4 * 8;
    for (int i = 0; i < 4; ++i) {
        file[directory + i] = static_cast<char>(offset >> (8 * i));
        file[directory + 4 + i] = static_cast<char>(tableSize >> (8 * i));
    }
    file += std::string(tableSize, '\x30');
}

TEST_F(LauncherFormatFileTest, SignedLauncherIsReadInFrontOfItsCertificateTable) {
    // Payload sizes 0..7 give every padding the signing tool may put before the table.
    for (uint16_t magic : {uint16_t{0x10B}, uint16_t{0x20B}}) {
        for (size_t extra = 0; extra < 8; ++extra) {
            SCOPED_TRACE(testing::Message() << "magic " << magic << " payload +" << extra);
            std::string file = peImage(magic) + std::string(extra, 'p');
            const uint32_t indexOffset = static_cast<uint32_t>(file.size());
            wiz::appendUInt32BE(file, 1);
            wiz::appendEntryRecord(file, makeRecord(0, 9, 512, 0, "a.tag"));
            wiz::appendTrailer(file, 5, indexOffset);
            const long dataEnd = static_cast<long>(file.size());
            appendSignature(file, magic, 1000 + extra);

            wiz::FilePtr f = open(file);
            EXPECT_EQ(wiz::launcherDataEnd(f.get()), dataEnd);
            const wiz::IndexLocation where = wiz::locateIndex(f.get());
            EXPECT_TRUE(where.present);
            EXPECT_EQ(where.offset, indexOffset);
            EXPECT_EQ(where.count, 1u);
            EXPECT_EQ(wiz::readStyleByte(f.get()), 5);
        }
    }
}

TEST_F(LauncherFormatFileTest, EverythingElseReadsToTheEndOfTheFile) {
    std::string packed = peImage(0x10B);
    const uint32_t indexOffset = static_cast<uint32_t>(packed.size());
    wiz::appendUInt32BE(packed, 0);
    wiz::appendTrailer(packed, 2, indexOffset);

    // A signed base without a payload, signed and then packed, and a table that stops short of
    // the end: the trailer at the end of the file is the one read.
    std::string signedThenPacked = peImage(0x10B);
    appendSignature(signedThenPacked, 0x10B, 64);
    const uint32_t laterIndex = static_cast<uint32_t>(signedThenPacked.size());
    wiz::appendUInt32BE(signedThenPacked, 0);
    wiz::appendTrailer(signedThenPacked, 3, laterIndex);

    std::string tableNotAtEnd = packed;
    appendSignature(tableNotAtEnd, 0x10B, 64);
    tableNotAtEnd += "tail";

    std::string signedUnpacked = peImage(0x20B);
    appendSignature(signedUnpacked, 0x20B, 64);

    const struct {
        const char* what;
        std::string bytes;
        bool present;
        int32_t style;
    } cases[] = {
        {"unsigned packed image", packed, true, 2},
        {"packed after signing", signedThenPacked, true, 3},
        {"signed, nothing packed", signedUnpacked, false, '0'},
        {"not a PE image", "no image here", false, 'm'},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        wiz::FilePtr f = open(c.bytes);
        EXPECT_EQ(wiz::locateIndex(f.get()).present, c.present);
        EXPECT_EQ(wiz::readStyleByte(f.get()), c.style);
    }
    // Bytes behind the table and no trailer at the end: something was appended to or cut from
    // the file.
    wiz::FilePtr tail = open(tableNotAtEnd);
    EXPECT_EQ(wiz::readStyleByte(tail.get()), '0');
    try {
        wiz::locateIndex(tail.get());
        ADD_FAILURE() << "no failure";
    } catch (const wiz::LauncherException& e) {
        EXPECT_STREQ(e.message().c_str(), wiz::kDamagedLauncherText);
    }
    uint32_t offset = 0, size = 0;
    wiz::FilePtr f = open(signedUnpacked);
    EXPECT_TRUE(wiz::findCertificateTable(f.get(), offset, size));
    EXPECT_EQ(offset, 512u);
    EXPECT_EQ(size, 64u);
}

TEST_F(LauncherFormatFileTest, ExecutableCutShortIsDamagedAndOneNeverPackedIsNot) {
    const struct {
        const char* what;
        std::string image;
    } images[] = {
        {"PE32", peImage(0x10B)},
        {"PE32+", peImage(0x20B)},
        {"PE32 with symbols", peImageWithSymbols(3, 20)},
        {"ELF32", elfImage(1, 100)},
        {"ELF64", elfImage(2, 100)},
    };
    for (const auto& image : images) {
        SCOPED_TRACE(image.what);
        {
            wiz::FilePtr f = open(image.image);
            EXPECT_FALSE(wiz::locateIndex(f.get()).present);
        }
        std::string packed = image.image + "entry bytes";
        const uint32_t indexOffset = static_cast<uint32_t>(packed.size());
        wiz::appendUInt32BE(packed, 1);
        wiz::appendEntryRecord(packed, makeRecord(3, 1, indexOffset - 11, 11, "a.jar"));
        wiz::appendTrailer(packed, 0, indexOffset);
        {
            wiz::FilePtr f = open(packed);
            EXPECT_TRUE(wiz::locateIndex(f.get()).present);
        }
        // Cut inside the identification, right behind the index offset, and the whole trailer.
        for (size_t cut : {1, 4, 9}) {
            SCOPED_TRACE(cut);
            wiz::FilePtr f = open(packed.substr(0, packed.size() - cut));
            try {
                wiz::locateIndex(f.get());
                ADD_FAILURE() << "no failure";
            } catch (const wiz::LauncherException& e) {
                EXPECT_STREQ(e.message().c_str(), wiz::kDamagedLauncherText);
            }
        }
    }
}

}  // namespace
