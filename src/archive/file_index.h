// The launcher file's embedded files: the index of entries read from the running launcher, the
// documents they carry and the objects made from those documents (instruction script, JVM
// descriptors, launch script). The byte layout lives in archive/launcher_format.h.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "archive/launcher_format.h"
#include "base/lstring.h"
#include "base/ptrlist.h"
#include "jvm/jvm_searcher.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class InstructionInterpreter;
class LaunchScript;

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

// The index of the running launcher file (launcherPath), read once per process.
class FileIndex {
public:
    FileIndex();
    ~FileIndex();
    FileIndex(const FileIndex&) = delete;
    FileIndex& operator=(const FileIndex&) = delete;

    // Reads the index of launcherPath; later calls return at once. A file without the trailer's
    // identification gives an empty index without a message. With `withDocuments`, also reads the
    // embedded documents (types 0..2) and makes from them whatever the input document did not
    // supply: the first type-0 entry becomes the instruction script, every type-1 entry a JVM
    // descriptor (in index order, unless the input document listed JVM files), the first type-2
    // entry the launch script. Failures throw LauncherException with the exact reason; the index
    // then counts as not loaded, and a later call throws the same reason again.
    void load(bool withDocuments);

    // Takes INSTRUCTIONS, LAUNCHSCRIPT, VERIFY_CLASSPATH + VERIFY_CLASS_NAME, UI_TITLE and every
    // JVM value of an input document. Call it before load so that the named files win over the
    // embedded ones. Failures throw LauncherException (string 9, 10 or 11 followed by the reason).
    void applyInputDocument(const TagDocument& input);

    // The entry at 0-based `position`; null outside 0..count-1.
    EmbeddedFileEntry* entryAt(int32_t position) const;
    // The first entry in index order with this id; null when there is none.
    EmbeddedFileEntry* findById(uint32_t id) const;
    int32_t count() const { return entries_.count(); }

    // Reads a tag document from disk and keeps it for the rest of the run.
    TagDocument& loadDocumentFile(const LString& path);

    bool indexLoaded() const { return indexLoaded_; }
    bool jvmListFromInput() const { return jvmListFromInput_; }
    // The instruction script and the launch script; null when none was loaded.
    InstructionInterpreter* instructions() const { return instructions_.get(); }
    LaunchScript* launchScript() const { return launchScript_.get(); }
    JvmSearcher& jvmSearcher() { return jvmSearcher_; }

private:
    void readIndex(std::FILE* stream);
    void processEmbeddedDocuments(std::FILE* stream);
    void setInstructions(const TagDocument& document);
    void setLaunchScript(const TagDocument& document);
    void registerDescriptor(TagDocument& document);

    TypedList<EmbeddedFileEntry> entries_;
    TagDocumentList documents_;
    std::unique_ptr<InstructionInterpreter> instructions_;
    std::unique_ptr<LaunchScript> launchScript_;
    JvmSearcher jvmSearcher_;
    bool jvmListFromInput_ = false;
    bool indexLoaded_ = false;
    // The reason of a failed load, thrown again by later calls (entries read before it stay).
    LString loadFailure_;
    bool loadFailed_ = false;
};

// The process-wide index.
FileIndex& fileIndex();
// Replaces the process-wide index by a new, empty one and forgets the remembered style byte.
// For tests only: the launcher itself reads the index once per run.
void resetFileIndex();

// The launcher style byte (at file size - 9) of the file at `path`: 0..255, or -1 when the file
// cannot be opened or is shorter than 9 bytes. For launcherPath the first value other than -1 is
// remembered and returned by later calls without reading the file again.
int32_t readLauncherStyle(const LString& path);

}  // namespace wiz
