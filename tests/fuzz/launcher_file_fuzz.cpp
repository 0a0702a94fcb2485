// Fuzz target: the launcher file index over a whole file image (trailer, style byte, index
// records and the embedded documents of types 0..2, which become the instruction script, the JVM
// descriptors and the launch script), unsigned or signed after packing (a certificate table at
// the end of a PE image). The image lives in an anonymous memory file that the
// launcher opens by path, as it opens its own file.
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "archive/launcher_format.h"
#include "core/file_index.h"
#include "fuzz_support.h"
#include "services/settings.h"
#include "support/process_state.h"

namespace {

using wiz::EmbeddedFileEntry;
using wiz::LauncherException;

// The memory file that holds the current input, and its path.
struct ImageFile {
    int fd = -1;
    std::string path;
    ImageFile() {
        fd = memfd_create("wizfuzz-launcher", MFD_CLOEXEC);
        if (fd < 0) {
            std::perror("wizfuzz: memfd_create");
            std::abort();
        }
        path = "/proc/self/fd/" + std::to_string(fd);
    }
    void store(const uint8_t* data, size_t size) const {
        if (ftruncate(fd, 0) != 0 ||
            (size > 0 && pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))) {
            std::perror("wizfuzz: writing the image");
            std::abort();
        }
    }
};

uint32_t bigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

uint32_t littleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// Where the launcher's own bytes end, by the signed layout: a PE image (PE32 or PE32+) whose
// security data directory places a certificate table exactly at the end of the file has its
// trailer right in front of the table, or in front of up to 7 zero bytes that align it;
// anything else ends at the end of the file.
size_t dataEnd(const uint8_t* data, size_t size) {
    if (size < 64 || data[0] != 'M' || data[1] != 'Z') return size;
    const uint64_t pe = littleEndian32(data + 0x3C);
    if (pe + 26 > size || data[pe] != 'P' || data[pe + 1] != 'E' || data[pe + 2] != 0 ||
        data[pe + 3] != 0)
        return size;
    const uint64_t optionalSize = data[pe + 20] | data[pe + 21] << 8;
    const uint64_t optional = pe + 24;
    const unsigned magic = data[optional] | data[optional + 1] << 8;
    const uint64_t countAt = magic == 0x10B ? 92 : magic == 0x20B ? 108 : 0;
    const uint64_t directoryAt = countAt + 4 + 4 * 8;  // the fifth directory: security
    if (countAt == 0 || optionalSize < directoryAt + 8 || optional + directoryAt + 8 > size ||
        littleEndian32(data + optional + countAt) <= 4)
        return size;
    const uint64_t table = littleEndian32(data + optional + directoryAt);
    const uint64_t tableSize = littleEndian32(data + optional + directoryAt + 4);
    if (table == 0 || tableSize == 0 || table + tableSize != size) return size;
    for (uint64_t end = table, padding = 0; padding < 8 && end > 0; ++padding, --end) {
        if (end >= wiz::kTrailerSize && bigEndian32(data + end - 4) == wiz::kLauncherIdentification)
            return static_cast<size_t>(end);
        if (data[end - 1] != 0) break;
    }
    return size;
}

// After a successful load the entries are exactly the records at the index offset, in order:
// encoding them again gives the image's bytes (a compressed byte other than 1 reads as "not
// compressed", and the last record's compressed byte may be missing), and each entry's bytes lie
// before the index.
void checkAgainstImage(const uint8_t* data, size_t fileSize) {
    const size_t size = dataEnd(data, fileSize);
    if (size < wiz::kTrailerSize || bigEndian32(data + size - 4) != wiz::kLauncherIdentification) {
        if (wiz::fileIndex().count() != 0) wizfuzz::finding("entries without an index");
        return;
    }
    const uint32_t indexOffset = bigEndian32(data + size - 8);
    const int32_t count = wiz::fileIndex().count();
    if (bigEndian32(data + indexOffset) != static_cast<uint32_t>(count)) {
        wizfuzz::finding("entry count differs from the index's count");
    }
    size_t at = indexOffset + 4;
    const size_t indexEnd = size - wiz::kTrailerSize;
    for (int32_t i = 0; i < count; ++i) {
        const EmbeddedFileEntry& e = *wiz::fileIndex().entryAt(i);
        if (e.type < 0 || e.type >= wiz::kEntryTypeCount) wizfuzz::finding("entry type");
        if (static_cast<uint64_t>(e.offset) + e.length > indexOffset) {
            wizfuzz::finding("entry bytes reach into the index");
        }
        if (e.name.find('\n') != wiz::LString::npos) wizfuzz::finding("line feed in a name");
        std::string encoded;
        wiz::appendEntryRecord(encoded, e);
        // Without the compressed byte: it is compared on its own below.
        const size_t fixedSize = wiz::kMinRecordSize - 1 + e.name.length();
        if (at + fixedSize > indexEnd ||
            encoded.compare(0, fixedSize, reinterpret_cast<const char*>(data + at), fixedSize) !=
                0) {
            wizfuzz::finding("entry " + std::to_string(i) + " differs from its record");
        }
        at += fixedSize;
        if (at == indexEnd) {
            if (e.compressed) wizfuzz::finding("compressed without its byte");
            continue;
        }
        const bool compressed = data[at] == wiz::kCompressedFlag;
        ++at;
        if (compressed != e.compressed) wizfuzz::finding("compressed flag misread");
        if (compressed) {
            if (at + 8 > indexEnd || bigEndian32(data + at) != e.decompressedCount ||
                bigEndian32(data + at + 4) != e.decompressedSize) {
                wizfuzz::finding("decompressed fields misread");
            }
            at += 8;
        }
        // The documents of types 0..2 were read when the documents were loaded.
        const bool isDocument = e.type <= wiz::kEntryLaunchScript;
        if (isDocument != static_cast<bool>(e.document)) wizfuzz::finding("document presence");
        // The first entry with an id is the one findById gives.
        const EmbeddedFileEntry* byId = wiz::fileIndex().findById(e.id);
        if (!byId || byId->id != e.id) wizfuzz::finding("findById lost an entry");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const ImageFile image;
    image.store(data, size);
    wiz::RunSettings& settings = wiz::runSettings();
    settings.launcherPath = image.path.c_str();
    settings.origLauncherPath = settings.launcherPath;
    wiztest::resetFileIndex();

    bool loaded = false;
    wiz::LString failure;
    try {
        wiz::fileIndex().load(true);
        loaded = true;
    } catch (const LauncherException& e) {
        failure = e.message();
    }
    // A second load returns at once after a success and fails the same way after a failure.
    try {
        wiz::fileIndex().load(true);
        if (!loaded) wizfuzz::finding("a failed load succeeded the second time");
    } catch (const LauncherException& e) {
        if (loaded || e.message() != failure) wizfuzz::finding("a second load changed its result");
    }
    if (loaded) checkAgainstImage(data, size);
    if (wiz::fileIndex().entryAt(-1) || wiz::fileIndex().entryAt(wiz::fileIndex().count())) {
        wizfuzz::finding("entryAt outside the entries");
    }

    // The style byte: 0..255 9 bytes before the end of the launcher's data, or -1 for a shorter
    // file; the same when asked again.
    const size_t end = dataEnd(data, size);
    const int32_t expected = end < wiz::kTrailerSize ? -1 : data[end - wiz::kTrailerSize];
    for (int i = 0; i < 2; ++i) {
        if (wiz::readLauncherStyle(settings.launcherPath) != expected) {
            wizfuzz::finding("style byte misread");
        }
    }
    wiztest::resetFileIndex();
    return 0;
}
