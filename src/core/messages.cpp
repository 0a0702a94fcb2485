#include "core/messages.h"

#include <cstdio>
#include <cstring>

#include "base/exceptions.h"
#include "core/message_format.h"

namespace wiz {

void* moduleInstance = nullptr;

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

void MessageText::formatById(int id, std::initializer_list<LString> inserts) {
    MessageText format(instance_);
    format.load(id);
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

void MessageText::systemErrorText(uint32_t code) {
    // System texts end in a line break; messages and log lines add their own.
    LString text = systemText(code);
    LString::size_type end = text.find_last_not_of(" \t\r\n");
    text.erase(end == LString::npos ? 0 : end + 1);
    if (text.empty()) {
        char fallback[40];
        std::snprintf(fallback, sizeof fallback, "Unknown error %lu",
                      static_cast<unsigned long>(code));
        text = fallback;
    }
    setText(text);
}

LString loadString(int id) {
    MessageText m;
    m.load(id);
    return m.str();
}

LString formatStringId(int id, std::initializer_list<LString> inserts) {
    MessageText m;
    m.formatById(id, inserts);
    return m.str();
}

LString systemErrorString(uint32_t code) {
    MessageText m;
    m.systemErrorText(code);
    return m.str();
}

LString messageText(int number) {
    // Message numbers to string ids.
    static const int ids[] = {8,  9,  10, 11, 12, 13, 14, 15, 16, 19,
                              21, 22, 23, 37, 24, 29, 33, 34, 35, 36};
    if (number < 0 || number >= static_cast<int>(sizeof ids / sizeof ids[0])) return LString();
    return ids[number] == 0 ? LString() : loadString(ids[number]);
}

}  // namespace wiz
