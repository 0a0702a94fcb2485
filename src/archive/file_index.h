// The launcher file's embedded files: the layout shared by the launcher (reader) and the packing
// tool (writer), the index of entries, and the documents they carry.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// Layout: entry bytes | index (count, records) | style byte | index offset | identification.
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

class EmbeddedFileEntry {
public:
    int32_t type = 0;
    uint32_t id = 0xFFFFFFFFu;
    uint32_t length = 0;
    uint32_t offset = 0;
    LString name;
    bool compressed = false;
    uint32_t decompressedCount = 0;
    uint32_t decompressedSize = 0;
    std::unique_ptr<TagDocument> document;  // types 0..2, once read

    // Reads one index record; throws LauncherException with the field's message.
    void readRecord(std::FILE* stream);
    // Types 0..2: reads the entry's document in place from the launcher file.
    void readDocument(std::FILE* stream);
    // Copies the entry's bytes into `directory` under its name; returns the written path.
    LString extractTo(const LString& directory) const;
};

}  // namespace wiz
