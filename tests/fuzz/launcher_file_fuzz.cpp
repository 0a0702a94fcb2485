// Fuzz target: the launcher file index over a whole file image (trailer, style byte, index
// records and the embedded documents of types 0..2, which become the instruction script, the JVM
// descriptors and the launch script). The image lives in an anonymous memory file that the
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

// After a successful load the entries are exactly the records at the index offset, in order:
// encoding them again gives the image's bytes (a compressed byte other than 1 reads as "not
// compressed", and the last record's compressed byte may be missing), and each entry's bytes lie
// before the index.
void checkAgainstImage(const uint8_t* data, size_t size) {
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

    // The style byte: 0..255 at size - 9, or -1 for a shorter file; the same when asked again.
    const int32_t expected = size < wiz::kTrailerSize ? -1 : data[size - wiz::kTrailerSize];
    for (int i = 0; i < 2; ++i) {
        if (wiz::readLauncherStyle(settings.launcherPath) != expected) {
            wizfuzz::finding("style byte misread");
        }
    }
    wiztest::resetFileIndex();
    return 0;
}
