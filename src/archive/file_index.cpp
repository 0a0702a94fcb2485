#include "archive/file_index.h"

#include <atomic>
#include <limits>

#include "base/exceptions.h"
#include "core/host.h"
#include "core/log.h"
#include "core/messages.h"
#include "core/settings.h"
#include "launch/launch_script.h"
#include "platform/file.h"
#include "script/interpreter.h"
#include "tagdoc/text.h"

namespace wiz {

namespace {

// Message numbers of the texts put in front of a failure to make an object from a document.
constexpr int kInstructionsFailure = 1;  // "Error loading instructions file."
constexpr int kLaunchScriptFailure = 2;  // "Error loading launch script."
constexpr int kJvmFileFailure = 3;       // "Error loading JVM file."

// Runs `make`; a LauncherException comes out with the message number's text in front.
template <typename F>
void withContext(int messageNumber, F make) {
    try {
        make();
    } catch (const LauncherException& e) {
        throw LauncherException(messageText(messageNumber) + e.message());
    }
}

// Positions and lengths of the file are below 2^31; larger values read as negative, which the
// document reader refuses instead of seeking far beyond the file.
long asFilePosition(uint32_t value) { return static_cast<long>(static_cast<int32_t>(value)); }

std::unique_ptr<FileIndex> theIndex;

// The style byte of launcherPath, once read. The progress window reads it on the user-interface
// thread while the launch runs on another.
std::atomic<int32_t> rememberedStyle{-1};

}  // namespace

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
    doc->read(stream, name, asFilePosition(offset), asFilePosition(length));
    document = std::move(doc);
}

// ---- FileIndex -----------------------------------------------------------------------------

FileIndex::FileIndex() = default;

// Members go in reverse order: the searcher, the launch script and the interpreter before the
// documents they refer to.
FileIndex::~FileIndex() = default;

void FileIndex::load(bool withDocuments) {
    if (indexLoaded_) return;
    if (loadFailed_) throw LauncherException(loadFailure_);
    FilePtr file = openFile(launcherPath, "rb");
    if (!file) throw LauncherException("Cannot open launcher file.");
    try {
        readIndex(file.get());
        if (withDocuments) processEmbeddedDocuments(file.get());
    } catch (const LauncherException& e) {
        // Entries (and objects) made before the failure stay; the run ends with this message.
        loadFailed_ = true;
        loadFailure_ = e.message();
        throw;
    } catch (...) {
        // Anything else is not a reason to stop the launch: go on with what was read.
    }
    indexLoaded_ = true;
}

void FileIndex::readIndex(std::FILE* stream) {
    const IndexLocation where = locateIndex(stream);
    if (!where.present) return;
    uint32_t remaining = where.recordBytes;
    // Entries are appended one by one as their records are read, so a count larger than the
    // index can hold fails at the first missing record instead of allocating for the count.
    for (uint32_t i = 0; i < where.count; ++i) {
        auto entry = std::make_unique<EmbeddedFileEntry>();
        entry->readRecord(stream, remaining);
        entries_.appendOwned(std::move(entry));
    }
    for (int32_t i = 0; i < entries_.count(); ++i) {
        const EmbeddedFileEntry& e = *entries_.getPayload(i);
        writeLog("file type: " + numberToString(e.type) +
                 "\n  file id: " + numberToString(static_cast<int32_t>(e.id)) +
                 "\n  length: " + numberToString(static_cast<int32_t>(e.length)) + "\n  offset: " +
                 numberToString(static_cast<int32_t>(e.offset)) + "\n  file name: " + e.name);
    }
}

void FileIndex::processEmbeddedDocuments(std::FILE* stream) {
    for (int32_t i = 0; i < entries_.count(); ++i) {
        EmbeddedFileEntry& entry = *entries_.getPayload(i);
        entry.readDocument(stream);
        switch (entry.type) {
            case kEntryInstructions:
                if (!instructions_) setInstructions(*entry.document);
                break;
            case kEntryJvmDescriptor:
                if (!jvmListFromInput_) registerDescriptor(*entry.document);
                break;
            case kEntryLaunchScript:
                if (!launchScript_) setLaunchScript(*entry.document);
                break;
            default:
                break;
        }
    }
    jvmListFromInput_ = true;
}

void FileIndex::setInstructions(const TagDocument& document) {
    withContext(kInstructionsFailure,
                [&] { instructions_ = std::make_unique<InstructionInterpreter>(document); });
}

void FileIndex::setLaunchScript(const TagDocument& document) {
    withContext(kLaunchScriptFailure,
                [&] { launchScript_ = std::make_unique<LaunchScript>(document, true); });
    uiApplyTitle(launchScript_->description);
}

void FileIndex::registerDescriptor(TagDocument& document) {
    withContext(kJvmFileFailure, [&] {
        jvmSearcher_.registerDescriptor(std::make_unique<JvmDescriptor>(document));
    });
}

void FileIndex::applyInputDocument(const TagDocument& input) {
    const LString instructionsPath = input.getValue("INSTRUCTIONS", 0);
    if (!instructionsPath.empty()) {
        withContext(kInstructionsFailure, [&] {
            instructions_ =
                std::make_unique<InstructionInterpreter>(loadDocumentFile(instructionsPath));
        });
    }

    const LString launchScriptPath = input.getValue("LAUNCHSCRIPT", 0);
    if (!launchScriptPath.empty()) {
        withContext(kLaunchScriptFailure, [&] {
            launchScript_ =
                std::make_unique<LaunchScript>(loadDocumentFile(launchScriptPath), true);
        });
        uiApplyTitle(launchScript_->description);
    }

    const LString verifyClassPath = input.getValue("VERIFY_CLASSPATH", 0);
    const LString verifyClassName = input.getValue("VERIFY_CLASS_NAME", 0);
    if (!verifyClassPath.empty() && !verifyClassName.empty()) {
        jvmSearcher_.setVerifyClassPath(verifyClassPath);
        jvmSearcher_.setVerifyClassName(verifyClassName);
    }

    const LString title = input.getValue("UI_TITLE", 0);
    if (!title.empty()) uiApplyTitle(title);

    const int32_t jvmCount = input.valueCount("JVM");
    for (int32_t i = 0; i < jvmCount; ++i) {
        jvmListFromInput_ = true;
        const LString path = input.getValue("JVM", i);
        if (path.empty()) continue;
        withContext(kJvmFileFailure, [&] {
            jvmSearcher_.registerDescriptor(
                std::make_unique<JvmDescriptor>(loadDocumentFile(path)));
        });
    }
}

EmbeddedFileEntry* FileIndex::entryAt(int32_t position) const {
    return entries_.getPayload(position);
}

EmbeddedFileEntry* FileIndex::findById(uint32_t id) const {
    for (int32_t i = 0; i < entries_.count(); ++i) {
        EmbeddedFileEntry* entry = entries_.getPayload(i);
        if (entry->id == id) return entry;
    }
    return nullptr;
}

TagDocument& FileIndex::loadDocumentFile(const LString& path) {
    auto doc = std::make_unique<TagDocument>();
    doc->loadFile(path);  // a failure deletes the half-made document on the way out
    return *documents_.appendOwned(std::move(doc));
}

FileIndex& fileIndex() {
    if (!theIndex) theIndex = std::make_unique<FileIndex>();
    return *theIndex;
}

void resetFileIndex() {
    theIndex.reset();
    rememberedStyle = -1;
}

int32_t readLauncherStyle(const LString& path) {
    const bool isLauncher = path == launcherPath;
    if (isLauncher && rememberedStyle != -1) return rememberedStyle;
    FilePtr file = openFile(path, "rb");
    if (!file) return -1;
    const int32_t style = readStyleByte(file.get());
    if (isLauncher && style != -1) rememberedStyle = style;
    return style;
}

}  // namespace wiz
