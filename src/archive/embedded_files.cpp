#include "archive/embedded_files.h"

#include <limits>

#include "base/exceptions.h"
#include "base/text_quote.h"
#include "platform/file.h"
#include "services/log.h"
#include "services/settings.h"
#include "tagdoc/text.h"

namespace wiz {

std::unique_ptr<EmbeddedFiles> EmbeddedFiles::process_;
std::atomic<int32_t> EmbeddedFiles::launcherStyle_{-1};

// ---- EmbeddedFileEntry ---------------------------------------------------------------------

void EmbeddedFileEntry::readRecord(std::FILE* stream) {
    uint32_t unlimited = std::numeric_limits<uint32_t>::max();
    readRecord(stream, unlimited);
}

void EmbeddedFileEntry::readRecord(std::FILE* stream, uint32_t& remaining) {
    readEntryRecord(stream, *this, remaining);
}

void EmbeddedFileEntry::readDocument(std::FILE* stream) {
    if (type != kEntryInstructions && type != kEntryJvmDescriptor && type != kEntryLaunchScript)
        return;
    auto doc = std::make_unique<TagDocument>();
    // Exactly the entry's bytes: a document without a final line feed ends with the entry.
    doc->read(stream, name, offset, length);
    document = std::move(doc);
}

// ---- EmbeddedFiles -------------------------------------------------------------------------

void EmbeddedFiles::readIndex(std::FILE* stream) {
    try {
        readRecords(stream);
    } catch (const LauncherException& e) {
        // Whatever part of the trailer or index fails, the user learns the one thing to do.
        if (e.message() == kDamagedLauncherText) throw;
        throw LauncherException(e.message() + " " + kDamagedLauncherText);
    }
}

void EmbeddedFiles::readRecords(std::FILE* stream) {
    const IndexLocation where = locateIndex(stream);
    if (!where.present) return;
    uint32_t remaining = where.recordBytes;
    // Entries are appended one by one as their records are read, so a count larger than the
    // index can hold fails at the first missing record instead of allocating for the count.
    for (uint32_t i = 0; i < where.count; ++i) {
        auto entry = std::make_unique<EmbeddedFileEntry>();
        entry->readRecord(stream, remaining);
        // An entry's bytes lie between the start of the file and the index.
        if (static_cast<uint64_t>(entry->offset) + entry->length > where.offset) {
            throw LauncherException("The embedded file " + quoteForMessage(entry->name) +
                                    " does not lie inside the launcher file.");
        }
        entries_.appendOwned(std::move(entry));
    }
    // One log line per entry; only put together when a log file is named.
    const bool logging = logEnabled();
    for (int32_t i = 0; logging && i < entries_.count(); ++i) {
        const EmbeddedFileEntry& e = *entries_.getPayload(i);
        writeLog("file type: " + numberToString(e.type) +
                 "\n  file id: " + numberToString(static_cast<int32_t>(e.id)) +
                 "\n  length: " + numberToString(static_cast<int32_t>(e.length)) + "\n  offset: " +
                 numberToString(static_cast<int32_t>(e.offset)) + "\n  file name: " + e.name);
    }
}

EmbeddedFileEntry* EmbeddedFiles::entryAt(int32_t position) const {
    return entries_.getPayload(position);
}

EmbeddedFileEntry* EmbeddedFiles::findById(uint32_t id) const {
    for (int32_t i = 0; i < entries_.count(); ++i) {
        EmbeddedFileEntry* entry = entries_.getPayload(i);
        if (entry->id == id) return entry;
    }
    return nullptr;
}

EmbeddedFiles& embeddedFiles() {
    if (!EmbeddedFiles::process_) EmbeddedFiles::process_ = std::make_unique<EmbeddedFiles>();
    return *EmbeddedFiles::process_;
}

int32_t readLauncherStyle(const LString& path) {
    const bool isLauncher = path == runSettings().launcherPath;
    if (isLauncher && EmbeddedFiles::launcherStyle_ != -1) return EmbeddedFiles::launcherStyle_;
    FilePtr file = openFile(path, "rb");
    if (!file) return -1;
    const int32_t style = readStyleByte(file.get());
    if (isLauncher && style != -1) EmbeddedFiles::launcherStyle_ = style;
    return style;
}

}  // namespace wiz
