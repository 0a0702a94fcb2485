#include "archive/extract.h"

#include <cerrno>
#include <cstdio>
#include <vector>

#include "archive/embedded_files.h"
#include "archive/temp_files.h"
#include "base/exceptions.h"
#include "platform/file.h"
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

bool isReservedDeviceName(const LString& name) {
    // Windows opens the device for these names whatever the extension, and ignores blanks
    // before the extension.
    LString base = name.substr(0, name.find('.'));
    LString::size_type last = base.find_last_not_of(" ");
    base = last == LString::npos ? LString() : base.substr(0, last + 1);
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char* d : kDevices) {
        if (equalsNoCase(base, d)) return true;
    }
    if (base.length() == 4 && base[3] >= '1' && base[3] <= '9' &&
        (startsWithNoCase(base, "COM") || startsWithNoCase(base, "LPT"))) {
        return true;
    }
    return false;
}

}  // namespace

bool isSafeEntryName(const LString& name) {
    if (name.empty()) return false;
    for (LString::size_type i = 0; i < name.length(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || c == '/' || c == '\\' || c == ':') return false;
    }
    // "." and ".." name directories; Windows drops trailing dots and blanks, so "..." or ". ."
    // would too.
    if (name.find_first_not_of(". ") == LString::npos) return false;
    return !isReservedDeviceName(name);
}

LString EmbeddedFileEntry::extractTo(const LString& directory) const {
    if (!isSafeEntryName(name)) {
        throw LauncherException(LString("The embedded file name \"") + name +
                                "\" is not a plain file name; nothing was written.");
    }

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
    errno = 0;
    FilePtr target = openFile(destination, "wb");
    if (!target) writeError = currentErrno(EIO);

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
    if (!input.write("input.tag")) throw LauncherException("Cannot write input.tag.");
}

}  // namespace wiz
