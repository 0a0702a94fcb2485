#include "core/file_index.h"

#include <new>

#include "base/exceptions.h"
#include "core/script_actions.h"
#include "platform/file.h"
#include "services/host.h"
#include "services/messages.h"
#include "services/settings.h"
#include "services/string_table.h"

namespace wiz {

namespace {

// Runs `make`; a LauncherException comes out with the text of `context` in front.
template <typename F>
void withContext(StringId context, F make) {
    try {
        make();
    } catch (const LauncherException& e) {
        throw LauncherException(loadString(context) + e.message());
    }
}

}  // namespace

std::unique_ptr<FileIndex> FileIndex::process_;

FileIndex::FileIndex() = default;

// Members go in reverse order: the searcher, the launch script and the interpreter before the
// documents they refer to.
FileIndex::~FileIndex() = default;

void FileIndex::load(bool withDocuments) {
    if (indexLoaded_) return;
    if (loadFailed_) throw LauncherException(loadFailure_);
    FilePtr file = openFile(runSettings().launcherPath, "rb");
    if (!file) throw LauncherException("Cannot open launcher file.");
    try {
        embeddedFiles().readIndex(file.get());
        if (withDocuments) processEmbeddedDocuments(file.get());
    } catch (const LauncherException& e) {
        // Entries (and objects) made before the failure stay; the run ends with this message.
        loadFailed_ = true;
        loadFailure_ = e.message();
        throw;
    } catch (const std::bad_alloc&) {
        // Reported by the launch like any lack of memory.
        throw;
    } catch (...) {
        // Anything else is not a reason to stop the launch: go on with what was read.
    }
    indexLoaded_ = true;
}

void FileIndex::processEmbeddedDocuments(std::FILE* stream) {
    EmbeddedFiles& files = embeddedFiles();
    for (int32_t i = 0; i < files.count(); ++i) {
        EmbeddedFileEntry& entry = *files.entryAt(i);
        entry.readDocument(stream);
        if (entry.type == kEntryInstructions && entry.name == kTextsEntryName) {
            applyTexts(*entry.document);
            continue;
        }
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

// The packed launcher's own texts (its product name, the author's messages): lines that are
// not texts of this launcher are passed over, as the packing tool checked them.
void FileIndex::applyTexts(const TagDocument& document) {
    const StringList codes = document.tagNames();
    for (int32_t t = 0; t < codes.count(); ++t) {
        for (int32_t v = 0; v < document.valueCount(codes.at(t)); ++v) {
            int id = 0;
            std::string text;
            if (parseTextLine(document.getValue(codes.at(t), v).c_str(), id, text))
                setStringOverride(codes.at(t).c_str(), id, text.c_str());
        }
    }
}

void FileIndex::setInstructions(const TagDocument& document) {
    withContext(StringId::InstructionsLoadFailed, [&] {
        instructions_ = std::make_unique<InstructionInterpreter>(document, launcherActions());
    });
}

void FileIndex::setLaunchScript(const TagDocument& document) {
    withContext(StringId::LaunchScriptLoadFailed,
                [&] { launchScript_ = std::make_unique<LaunchScript>(document, true); });
    uiApplyTitle(launchScript_->description);
}

void FileIndex::registerDescriptor(TagDocument& document) {
    withContext(StringId::JvmFileLoadFailed, [&] {
        jvmSearcher_.registerDescriptor(std::make_unique<JvmDescriptor>(document));
    });
}

void FileIndex::applyInputDocument(const TagDocument& input) {
    const LString instructionsPath = input.getValue("INSTRUCTIONS", 0);
    if (!instructionsPath.empty()) {
        withContext(StringId::InstructionsLoadFailed, [&] {
            instructions_ = std::make_unique<InstructionInterpreter>(
                loadDocumentFile(instructionsPath), launcherActions());
        });
    }

    const LString launchScriptPath = input.getValue("LAUNCHSCRIPT", 0);
    if (!launchScriptPath.empty()) {
        withContext(StringId::LaunchScriptLoadFailed, [&] {
            launchScript_ =
                std::make_unique<LaunchScript>(loadDocumentFile(launchScriptPath), true);
        });
        uiApplyTitle(launchScript_->description);
    }

    const LString verifyClassPath = input.getValue("VERIFY_CLASSPATH", 0);
    const LString verifyClassName = input.getValue("VERIFY_CLASS_NAME", 0);
    if (!verifyClassPath.empty() && !verifyClassName.empty()) {
        jvmSearcher_.setVerificationArgs(verifyClassPath, verifyClassName);
    }

    const LString title = input.getValue("UI_TITLE", 0);
    if (!title.empty()) uiApplyTitle(title);

    const int32_t jvmCount = input.valueCount("JVM");
    for (int32_t i = 0; i < jvmCount; ++i) {
        jvmListFromInput_ = true;
        const LString path = input.getValue("JVM", i);
        if (path.empty()) continue;
        withContext(StringId::JvmFileLoadFailed, [&] {
            jvmSearcher_.registerDescriptor(
                std::make_unique<JvmDescriptor>(loadDocumentFile(path)));
        });
    }
}

TagDocument& FileIndex::loadDocumentFile(const LString& path) {
    auto doc = std::make_unique<TagDocument>();
    doc->loadFile(path);  // a failure deletes the half-made document on the way out
    return *documents_.appendOwned(std::move(doc));
}

FileIndex& fileIndex() {
    if (!FileIndex::process_) FileIndex::process_ = std::make_unique<FileIndex>();
    return *FileIndex::process_;
}

}  // namespace wiz
