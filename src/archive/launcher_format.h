// The layout of a launcher file, shared by the launcher (reader) and the packing tool (writer).
//
//   0               executable image
//   entry offsets   the bytes of each embedded file, stored as they are written out
//   index offset    entry count (u32), then the entry records back to back
//   size - 9        style byte
//   size - 8        index offset (u32)
//   size - 4        identification 0xCA82CA82 (u32)
//
// Entry record: type (u8) | id (u32) | length (u32) | offset (u32) | name length (u16, at most
// 32767) | name bytes | compressed (u8) | [decompressed file count (u32) | decompressed size (u32)]
// where the bracketed fields are present only when compressed is 1. All integers big-endian.
//
// A Windows launcher signed after packing carries its signature behind the trailer (see
// launcherDataEnd); the layout above then ends where the signature begins.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "base/lstring.h"

namespace wiz {

constexpr uint32_t kLauncherIdentification = 0xCA82CA82u;

enum EntryType : int32_t {
    kEntryInstructions = 0,
    kEntryJvmDescriptor = 1,
    kEntryLaunchScript = 2,
    kEntryClasspathArchive = 3,
    kEntryJvmInstaller = 4,
    kEntryVerificationArchive = 5,
    kEntryApplicationArchive = 6,
    kEntryEmbeddedLauncher = 7,
};
constexpr int32_t kEntryTypeCount = 8;

// Style byte, index offset and identification.
constexpr uint32_t kTrailerSize = 9;
// Entry count in front of the records.
constexpr uint32_t kIndexHeaderSize = 4;
// A record without name and without the decompressed fields.
constexpr uint32_t kMinRecordSize = 1 + 4 + 4 + 4 + 2 + 1;
constexpr uint32_t kDecompressedFieldsSize = 8;
constexpr uint32_t kMaxNameLength = 32767;
// Offsets, lengths and the index offset stay below 2^31 (the reader works with signed offsets).
constexpr uint32_t kMaxFilePosition = 0x7FFFFFFFu;
constexpr uint8_t kCompressedFlag = 1;

// One index record as stored in the file.
struct EntryRecord {
    int32_t type = 0;
    uint32_t id = 0;
    uint32_t length = 0;
    uint32_t offset = 0;
    LString name;
    bool compressed = false;
    uint32_t decompressedCount = 0;
    uint32_t decompressedSize = 0;
};

// ---- Reading -----------------------------------------------------------------------------------

// Where the launcher's own bytes end: the file size, or, when the file is a PE image signed after
// packing, the start of its certificate table. A signature is appended after the trailer, as the
// table of the security data directory; signing tools align the table to 8 bytes with up to 7
// zero bytes in front of it, which are skipped too. A table that does not end at the end of the
// file, or no trailer in front of it, leaves the file size. -1 when the size cannot be told.
long launcherDataEnd(std::FILE* stream);

// The file offset and size of the certificate table of a PE image, when it has one (the
// security data directory is set); false for any other file.
bool findCertificateTable(std::FILE* stream, uint32_t& offset, uint32_t& size);

// Where the index of an opened launcher file lies.
struct IndexLocation {
    bool present = false;  // false: the identification differs, the file carries no index
    uint32_t offset = 0;   // index offset from the trailer
    uint32_t count = 0;    // entry count
    // Bytes between the first record and the style byte; records never reach beyond them.
    uint32_t recordBytes = 0;
};

// What a launcher whose trailer or index cannot be read says after the reason.
extern const char* const kDamagedLauncherText;

// Reads the trailer and the entry count; on success the stream stands at the first record.
// Throws LauncherException: "Invalid launcher format." (shorter than the trailer), "Unable to read
// file index offset.", "Unable to read launcher identification value.", "Invalid file index
// offset." (the index does not lie between the start of the file and the style byte), "Unable to
// read the file count.", and kDamagedLauncherText when a PE or ELF executable has no
// identification at its end but bytes behind its image (a launcher cut short: its trailer is
// missing).
IndexLocation locateIndex(std::FILE* stream);

// Reads one record at the stream's position. `remaining` is the number of index bytes left before
// the style byte; it is decreased by what the record takes, and a field that does not fit fails
// like a field cut short by the end of the file. Throws LauncherException with the field's
// message ("Invalid file type in file index.", "Unable to load file id.", ...). A name length
// above 32767, a name cut short or a name holding a line feed fail with "Unable to load the
// string value.".
void readEntryRecord(std::FILE* stream, EntryRecord& record, uint32_t& remaining);

// The style byte (size - 9) of an opened file: 0..255, or -1 when it cannot be reached.
int32_t readStyleByte(std::FILE* stream);

// Whether an entry name can be written as a file of its own inside a directory: not empty, no
// path separator of either kind, no drive colon, not "." or ".." or only dots and blanks, no
// control characters, and not a reserved device name (CON, PRN, AUX, NUL, COM1..9, LPT1..9, with
// or without an extension). The launcher writes only such names; the packing tool packs only
// such names.
bool isSafeEntryName(const LString& name);

// ---- Writing -----------------------------------------------------------------------------------

void appendUInt32BE(std::string& out, uint32_t value);
void appendUInt16BE(std::string& out, uint16_t value);

// Empty when the record can be stored; otherwise the reason, e.g. "the name holds a line feed".
LString recordProblem(const EntryRecord& record);
// Bytes the record takes in the index.
uint32_t encodedRecordSize(const EntryRecord& record);
// Appends the record; the caller has checked it with recordProblem.
void appendEntryRecord(std::string& out, const EntryRecord& record);
// Appends style byte, index offset and identification.
void appendTrailer(std::string& out, uint8_t style, uint32_t indexOffset);

}  // namespace wiz
