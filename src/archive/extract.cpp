#include "archive/extract.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "archive/embedded_files.h"
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "services/host.h"
#include "services/messages.h"
#include "services/settings.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"
#include "tempfiles/temp_files.h"

namespace wiz {

namespace {

uint32_t saturatingAdd(uint32_t a, uint32_t b) { return a > 0xFFFFFFFFu - b ? 0xFFFFFFFFu : a + b; }

// "Error writing file = " <number> " There may not be enough temporary disk space. ..."
LauncherException writeFailure(const LString& number) {
    return LauncherException(loadString(StringId::ErrorWritingFile) + number +
                             loadString(StringId::NotEnoughTempSpace));
}

int currentErrno(int fallback) { return errno != 0 ? errno : fallback; }

// The progress of one extraction: a step for each started piece of kExtractStepSize bytes, so
// the bar moves with the size of the file whatever the size of the reads and writes.
class ExtractProgress {
public:
    // `bytes` from the start of the entry have been copied (or the copy of the last of them was
    // attempted).
    void advanceTo(uint64_t bytes) {
        const uint64_t pieces = (bytes + kExtractStepSize - 1) / kExtractStepSize;
        for (; steps_ < pieces; ++steps_) uiStepProgress(1);
    }

private:
    uint64_t steps_ = 0;
};

LauncherException unsafeName(const LString& name) {
    return LauncherException("The embedded file name \"" + quoteForMessage(name) +
                             "\" is not a plain file name; nothing was written.");
}

// A destination that is a link (another user may have left it there) is never written through.
LauncherException linkRefused(const LString& path) {
    return LauncherException(
        "Cannot write " + quoteForMessage(path) +
        ": it is a link, a file with other names or no plain file, and nothing is "
        "written through a link or into a special file.");
}

}  // namespace

LString EmbeddedFileEntry::extractTo(const LString& directory) const {
    if (!isSafeEntryName(name)) throw unsafeName(name);

    uint32_t size = length;
    uint32_t fileCount = 1;
    if (compressed) {
        size = saturatingAdd(length, decompressedSize);
        fileCount = saturatingAdd(decompressedCount, 1);
    }
    if (!hasEnoughDiskSpace(directory, size, fileCount)) throw writeFailure(LString());

    LString destination = directory;
    ensureTrailingSeparator(destination);
    destination += name;

    FilePtr source = openFile(runSettings().launcherPath, "rb");
    if (!source) throw LauncherException("Cannot open launcher file.");
    if (std::fseek(source.get(), static_cast<long>(offset), SEEK_SET) != 0) {
        throw LauncherException(LString("Cannot read the embedded file ") + name +
                                " from the launcher file.");
    }

    int writeError = 0;
    bool isLink = false;
    uint32_t createError = 0;
    FilePtr target = createFileForWriting(destination, false, isLink, createError);
    if (isLink) throw linkRefused(destination);
    if (!target) writeError = createError != 0 ? static_cast<int>(createError) : EIO;
    // Each block goes to the system in one write, and a write that fails shows in fwrite. Where
    // the stream keeps its buffer after all, the flush below writes what is left in it.
    if (target) std::setvbuf(target.get(), nullptr, _IONBF, 0);

    const uint64_t end = static_cast<uint64_t>(offset) + length;
    uint64_t position = offset;
    {
        // A block is read with one read (a read of a multiple of the stream's buffer size
        // bypasses the buffer) and written with one write. A cancel takes effect within one
        // block.
        std::vector<unsigned char> buffer(kExtractBlockSize);
        ExtractProgress progress;
        while (position < end && writeError == 0 && !hostState().cancelRequested) {
            const uint64_t left = end - position;
            const size_t want =
                left < kExtractBlockSize ? static_cast<size_t>(left) : kExtractBlockSize;
            const size_t got = std::fread(buffer.data(), 1, want, source.get());
            if (got == 0) break;  // the source ended or failed: reported below
            errno = 0;
            const size_t written = std::fwrite(buffer.data(), 1, got, target.get());
            if (written < got) {
                writeError = currentErrno(EIO);
                // The piece that failed counts as started, as every piece before it.
                progress.advanceTo(position - offset + written + 1);
            } else {
                progress.advanceTo(position - offset + got);
            }
            position += got;
            if (got < want) break;  // the source ended early
        }
    }
    source.reset();
    if (target) {
        // Anything the stream still holds is written here; a full disk may show only now.
        errno = 0;
        if (std::fflush(target.get()) != 0 && writeError == 0) writeError = currentErrno(EIO);
        errno = 0;
        if (!closeFile(std::move(target)) && writeError == 0) writeError = currentErrno(EIO);
    }

    if (writeError != 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", writeError);
        throw writeFailure(number);
    }
    if (hostState().cancelRequested) throw LauncherException(loadString(StringId::Canceled));
    if (position < end) {
        throw LauncherException(LString("Cannot read the embedded file ") + name +
                                " from the launcher file.");
    }
    return destination;
}

void extractAll() {
    TagDocument input;
    input.setValue("ACTION", "RUN_INSTRUCTIONS");
    const EmbeddedFiles& index = embeddedFiles();
    // Every name and every destination is checked before anything is written.
    for (int32_t i = 0; i < index.count(); ++i) {
        const LString& name = index.entryAt(i)->name;
        if (!isSafeEntryName(name)) throw unsafeName(name);
    }
    for (int32_t i = 0; i <= index.count(); ++i) {
        const LString name = i < index.count() ? index.entryAt(i)->name : LString("input.tag");
        uint32_t attributes = 0;
        if (readAttributes(name, attributes).ok() && (attributes & kAttrLink))
            throw linkRefused(name);
    }
    for (int32_t i = 0; i < index.count(); ++i) {
        const EmbeddedFileEntry* entry = index.entryAt(i);
        switch (entry->type) {
            case kEntryInstructions:
                input.setValue("INSTRUCTIONS", entry->name);
                break;
            case kEntryJvmDescriptor:
                input.addValue("JVM", entry->name);
                break;
            case kEntryLaunchScript:
                input.setValue("LAUNCHSCRIPT", entry->name);
                break;
            default:
                break;
        }
        entry->extractTo(LString());
    }
    bool isLink = false;
    uint32_t error = 0;
    FilePtr file = createFileNoLink("input.tag", true, isLink, error);
    if (isLink) throw linkRefused("input.tag");
    if (!file || !input.writeTo(std::move(file)))
        throw LauncherException("Cannot write input.tag.");
}

}  // namespace wiz
