#include "core/messages.h"

#include <cstring>

namespace wiz {

void* moduleInstance = nullptr;

MessageText::MessageText(void* instance) : instance_(instance) { buffer_.allocate(64, 1); }

const char* MessageText::text() const {
    auto& self = const_cast<ZeroedBuffer&>(buffer_);
    return self.data() ? reinterpret_cast<const char*>(self.data()) : "";
}

void MessageText::setText(const LString& text) {
    buffer_.allocate(text.length() + 2, 1);
    std::memcpy(buffer_.data(), text.c_str(), text.length());
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
    static const int ids[] = {8, 9, 10, 11, 12, 13, 14, 15, 16, 19,
                              21, 22, 23, 37, 24, 29, 33, 34, 35, 0};
    if (number < 0 || number >= static_cast<int>(sizeof ids / sizeof ids[0])) return LString();
    return ids[number] == 0 ? LString() : loadString(ids[number]);
}

}  // namespace wiz
