#include "services/messages.h"

#include <cstdio>
#include <cstring>

#include "base/exceptions.h"
#include "platform/system_error.h"
#include "services/host.h"
#include "services/message_format.h"

namespace wiz {

namespace {

// The buffer grows in steps of this size until a loaded text leaves kSpare bytes unused. The
// loader cuts a text that does not fit at a character boundary, so in a double-byte code page
// a cut text can end two bytes before the end of the buffer; only three unused bytes prove that
// the whole text was loaded.
const int kGrowStep = 64;
const int kSpare = 3;
// The error reported when a format refers to more inserts than were given (the system's
// "invalid parameter" code).
const unsigned long kInvalidParameter = 87;

[[noreturn]] void formatFailed(unsigned long error) {
    char text[64];
    std::snprintf(text, sizeof text, "Format message failed. Err = %lu", error);
    throw LauncherException(text);
}

}  // namespace

MessageText::MessageText() : MessageText(hostState().moduleInstance) {}

MessageText::MessageText(void* instance) : instance_(instance) { buffer_.allocate(kGrowStep, 1); }

const char* MessageText::text() const {
    auto& self = const_cast<ZeroedBuffer&>(buffer_);
    return self.data() ? reinterpret_cast<const char*>(self.data()) : "";
}

void MessageText::setText(const LString& text) {
    const int needed = static_cast<int>(text.length()) + 1;
    if (capacity() < needed) buffer_.allocate(static_cast<size_t>(needed), 1);
    std::memcpy(data(), text.c_str(), static_cast<size_t>(needed));
}

int MessageText::load(int id) {
    // Resource ids are 16-bit; anything else names no string.
    const bool valid = id >= 0 && id <= 0xFFFF;
    for (;;) {
        const int length = valid ? loadResource(instance_, id, data(), capacity()) : 0;
        if (capacity() - length >= kSpare) {
            if (length <= 0) {
                data()[0] = '\0';
                return 0;
            }
            return length;
        }
        buffer_.allocate(static_cast<size_t>(capacity() + kGrowStep), 1);
    }
}

int MessageText::load(StringId id) {
    const int length = load(static_cast<int>(id));
    if (id == StringId::ProductName || id == StringId::CompanyName ||
        std::strchr(text(), '{') == nullptr)
        return length;
    // The product's and its maker's names go where the text marks them.
    LString resolved = text();
    const struct {
        const char* marker;
        StringId name;
    } names[] = {{"{PRODUCT}", StringId::ProductName}, {"{COMPANY}", StringId::CompanyName}};
    for (const auto& n : names) {
        MessageText value(instance_);
        value.load(static_cast<int>(n.name));
        const LString::size_type markerLength =
            static_cast<LString::size_type>(std::strlen(n.marker));
        for (LString::size_type at = resolved.find(n.marker); at != LString::npos;
             at = resolved.find(n.marker, at + value.str().length()))
            resolved.replace(at, markerLength, value.str());
    }
    setText(resolved);
    return static_cast<int>(resolved.length());
}

void MessageText::formatById(int id, std::initializer_list<LString> inserts) {
    MessageText format(instance_);
    format.load(static_cast<StringId>(id));
    formatString(format.text(), inserts);
}

void MessageText::formatString(const LString& format, std::initializer_list<LString> inserts) {
    // The system formatter takes the inserts as a bare array and would read past its end for an
    // insert that was not given, so such a format is refused here.
    if (highestInsert(format) > inserts.size()) formatFailed(kInvalidParameter);
    LString out;
    unsigned long error = 0;
    if (!systemFormat(format, inserts, out, error)) formatFailed(error);
    setText(out);
}

void MessageText::systemErrorText(uint32_t code) { setText(wiz::systemErrorText(code)); }

LString loadString(StringId id) {
    MessageText m;
    m.load(id);
    return m.str();
}

LString formatStringId(StringId id, std::initializer_list<LString> inserts) {
    MessageText m;
    m.formatById(static_cast<int>(id), inserts);
    return m.str();
}

LString systemFailureText(SystemCall call, uint32_t code) {
    const char* prefix = "";
    switch (call) {
        case SystemCall::None:
            break;
        case SystemCall::StartProcess:
            prefix = "CreateProcess failed  ==>  ";
            break;
        case SystemCall::WaitForProcess:
            prefix = "CreateProcess unable to wait for completion ==> ";
            break;
        case SystemCall::GetExitCode:
            prefix = "CreateProcess unable to get exit code for process ==> ";
            break;
        case SystemCall::PeekNamedPipe:
            prefix = "PeekNamedPipe failed  ==>  ";
            break;
        case SystemCall::ReadFile:
            prefix = "ReadFile failed  ==>  ";
            break;
        case SystemCall::TempFileName:
            prefix = "GetTempFileName failed  ==>  ";
            break;
        case SystemCall::DiskFreeSpace:
            prefix = "GetDiskFreeSpace failed  ==>  ";
            break;
    }
    return LString(prefix) + systemErrorText(code);
}

void throwSystemFailure(SystemCall call, uint32_t code) {
    if (call == SystemCall::StartProcess)
        throw ProcessStartException(systemFailureText(call, code));
    throw LauncherException(systemFailureText(call, code));
}

}  // namespace wiz
