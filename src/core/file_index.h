// The file index: the launcher file's embedded files (archive/embedded_files.h) and the objects
// made from their documents or from the files an input document names: the instruction script,
// the JVM descriptors registered with the JVM searcher, and the launch script.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

#include "archive/embedded_files.h"
#include "base/lstring.h"
#include "jvm/jvm_searcher.h"
#include "launch/launch_script.h"
#include "script/interpreter.h"
#include "tagdoc/tag_document.h"

namespace wiz {

class FileIndex {
public:
    FileIndex();
    ~FileIndex();
    FileIndex(const FileIndex&) = delete;
    FileIndex& operator=(const FileIndex&) = delete;

    // Reads the index of the running launcher file; later calls return at once. A file without
    // the trailer's identification gives an empty index without a message. With
    // `withDocuments`, also reads the embedded documents (types 0..2) and makes from them
    // whatever the input document did not supply: the first type-0 entry becomes the instruction
    // script, every type-1 entry a JVM descriptor (in index order, unless the input document
    // listed JVM files), the first type-2 entry the launch script. Failures throw
    // LauncherException with the exact reason; the index then counts as not loaded, and a later
    // call throws the same reason again.
    void load(bool withDocuments);

    // Takes INSTRUCTIONS, LAUNCHSCRIPT, VERIFY_CLASSPATH + VERIFY_CLASS_NAME, UI_TITLE and every
    // JVM value of an input document. Call it before load so that the named files win over the
    // embedded ones. Failures throw LauncherException (string 9, 10 or 11 followed by the reason).
    void applyInputDocument(const TagDocument& input);

    // The entries (process-wide, see embeddedFiles()).
    EmbeddedFileEntry* entryAt(int32_t position) const { return embeddedFiles().entryAt(position); }
    EmbeddedFileEntry* findById(uint32_t id) const { return embeddedFiles().findById(id); }
    int32_t count() const { return embeddedFiles().count(); }

    // Reads a tag document from disk and keeps it for the rest of the run.
    TagDocument& loadDocumentFile(const LString& path);

    bool indexLoaded() const { return indexLoaded_; }
    bool jvmListFromInput() const { return jvmListFromInput_; }
    // The instruction script and the launch script; null when none was loaded.
    InstructionInterpreter* instructions() const { return instructions_.get(); }
    LaunchScript* launchScript() const { return launchScript_.get(); }
    JvmSearcher& jvmSearcher() { return jvmSearcher_; }

private:
    void processEmbeddedDocuments(std::FILE* stream);
    void applyTexts(const TagDocument& document);
    void setInstructions(const TagDocument& document);
    void setLaunchScript(const TagDocument& document);
    void registerDescriptor(TagDocument& document);

    TagDocumentList documents_;
    std::unique_ptr<InstructionInterpreter> instructions_;
    std::unique_ptr<LaunchScript> launchScript_;
    JvmSearcher jvmSearcher_;
    bool jvmListFromInput_ = false;
    bool indexLoaded_ = false;
    // The reason of a failed load, thrown again by later calls (entries read before it stay).
    LString loadFailure_;
    bool loadFailed_ = false;

    // The process-wide index. The launcher reads it once per run; tests that run several
    // launches in one process start over through their friend in tests/support/process_state.h.
    friend FileIndex& fileIndex();
    friend class ProcessStateForTests;
    static std::unique_ptr<FileIndex> process_;
};

// The process-wide index.
FileIndex& fileIndex();

}  // namespace wiz
