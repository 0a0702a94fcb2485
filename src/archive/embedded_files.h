// The embedded files of the running launcher file: the index of entries read from it and the
// documents the entries carry. The byte layout lives in archive/launcher_format.h; the objects
// made from the documents (instruction script, JVM descriptors, launch script) belong to the file
// index of core/file_index.h.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <memory>

#include "archive/launcher_format.h"
#include "base/lstring.h"
#include "base/ptrlist.h"
#include "tagdoc/tag_document.h"

namespace wiz {

// One embedded file: its index record (type, id, length, offset, name, compressed,
// decompressedCount, decompressedSize) and, for types 0..2, its document.
class EmbeddedFileEntry : public EntryRecord {
public:
    EmbeddedFileEntry() { id = 0xFFFFFFFFu; }  // -1 until the record is read

    std::unique_ptr<TagDocument> document;  // types 0..2, once read

    // Reads one index record; throws LauncherException with the field's message.
    void readRecord(std::FILE* stream);
    // The same, never reading more than `remaining` bytes (decreased by what the record takes).
    void readRecord(std::FILE* stream, uint32_t& remaining);
    // Types 0..2: reads the entry's document in place from the launcher file. Other types: nothing.
    void readDocument(std::FILE* stream);
    // Copies the entry's bytes into `directory` under its name; returns the written path.
    LString extractTo(const LString& directory) const;
};

// The entries of the launcher file, in index order.
class EmbeddedFiles {
public:
    // Reads the trailer and the index records of an opened launcher file and appends an entry
    // per record (each logged). A file without the trailer's identification has no entries.
    // Failures throw LauncherException with the exact reason followed by kDamagedLauncherText
    // (or that text alone for an executable whose trailer was cut off); entries read before
    // stay.
    void readIndex(std::FILE* stream);

    // The entry at 0-based `position`; null outside 0..count-1.
    EmbeddedFileEntry* entryAt(int32_t position) const;
    // The first entry in index order with this id; null when there is none.
    EmbeddedFileEntry* findById(uint32_t id) const;
    int32_t count() const { return entries_.count(); }

private:
    void readRecords(std::FILE* stream);
    TypedList<EmbeddedFileEntry> entries_;

    // The process-wide entries of the running launcher file and its style byte once read. The
    // launcher reads them once per run; tests that run several launches in one process start
    // over through their friend in tests/support/process_state.h.
    friend EmbeddedFiles& embeddedFiles();
    friend int32_t readLauncherStyle(const LString& path);
    friend class ProcessStateForTests;
    static std::unique_ptr<EmbeddedFiles> process_;
    // The progress window reads it on the user-interface thread while the launch runs on another.
    static std::atomic<int32_t> launcherStyle_;
};

// The process-wide entries of the running launcher file (filled by the file index).
EmbeddedFiles& embeddedFiles();

// The launcher style byte (at file size - 9) of the file at `path`: 0..255, or -1 when the file
// cannot be opened or is shorter than 9 bytes. For the running launcher file the first value
// other than -1 is remembered and returned by later calls without reading the file again.
int32_t readLauncherStyle(const LString& path);

}  // namespace wiz
