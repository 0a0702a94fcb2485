#include "archive/extract.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "archive/embedded_files.h"
#include "archive/temp_files.h"
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "platform/file.h"
#include "platform/fs.h"
#include "platform/path.h"
#include "runtime/host.h"
#include "runtime/messages.h"
#include "runtime/settings.h"
#include "tagdoc/tag_document.h"
#include "tagdoc/text.h"

namespace wiz {

namespace {

uint32_t saturatingAdd(uint32_t a, uint32_t b) { return a > 0xFFFFFFFFu - b ? 0xFFFFFFFFu : a + b; }

// "Error writing file = " <number> " There may not be enough temporary disk space. ..."
LauncherException writeFailure(const LString& number) {
    return LauncherException(messageText(16) + number + messageText(17));
}

int currentErrno(int fallback) { return errno != 0 ? errno : fallback; }

LauncherException unsafeName(const LString& name) {
    return LauncherException("The embedded file name \"" + quoteForMessage(name) +
                             "\" is not a plain file name; nothing was written.");
}

// A destination that is a link (another user may have left it there) is never written through.
LauncherException linkRefused(const LString& path) {
    return LauncherException("Cannot write " + quoteForMessage(path) +
                             ": it is a link, and nothing is written through a link.");
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
    FilePtr target = createFileNoLink(destination, false, isLink, createError);
    if (isLink) throw linkRefused(destination);
    if (!target) writeError = createError != 0 ? static_cast<int>(createError) : EIO;

    const uint64_t end = static_cast<uint64_t>(offset) + length;
    uint64_t position = offset;
    {
        std::vector<unsigned char> buffer(kExtractBufferSize);
        while (position < end && !std::feof(source.get()) && writeError == 0 &&
               !hostState().cancelRequested) {
            uint64_t left = end - position;
            size_t want =
                left < kExtractBufferSize ? static_cast<size_t>(left) : kExtractBufferSize;
            size_t got = std::fread(buffer.data(), 1, want, source.get());
            if (got == 0) break;  // the source ended or failed: reported below
            position += got;
            errno = 0;
            if (std::fwrite(buffer.data(), 1, got, target.get()) < got) {
                writeError = currentErrno(EIO);
            } else if (std::fflush(target.get()) != 0) {
                // A buffered tail that cannot be written fails here, not in fwrite.
                writeError = currentErrno(EIO);
            }
            uiStepProgress(1);
        }
    }
    source.reset();
    if (target) {
        errno = 0;
        if (!closeFile(std::move(target)) && writeError == 0) writeError = currentErrno(EIO);
    }

    if (writeError != 0) {
        char number[16];
        std::snprintf(number, sizeof number, "%d", writeError);
        throw writeFailure(number);
    }
    if (hostState().cancelRequested) throw LauncherException(messageText(18));
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
        if (readAttributes(name, attributes) && (attributes & kAttrLink)) throw linkRefused(name);
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
