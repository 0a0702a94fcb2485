// User-visible texts: the string table (ids 1..37 and 105, in the user's language), insert
// formatting with "%1!s!"-style inserts, system error texts, and the message numbers 0..19 that
// the launch logic uses for its error texts.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "base/lstring.h"
#include "base/zeroed_buffer.h"

namespace wiz {

// The module whose string resources are used (null: the executable itself; unused on POSIX).
extern void* moduleInstance;

// A growable text buffer bound to a module instance. A new MessageText reads as empty.
class MessageText {
public:
    explicit MessageText(void* instance = moduleInstance);

    // Loads string `id`; returns its length, 0 (and an empty text) when it does not exist.
    int load(int id);
    // Loads string `id` and formats it with the inserts; throws LauncherException
    // "Format message failed. Err = <n>" when the formatter yields no text.
    void formatById(int id, std::initializer_list<LString> inserts);
    void formatString(const LString& format, std::initializer_list<LString> inserts);
    // The operating system's text for an error code.
    void systemErrorText(uint32_t code);
    const char* text() const;
    LString str() const { return LString(text()); }

private:
    char* data() { return reinterpret_cast<char*>(buffer_.data()); }
    int capacity() const { return static_cast<int>(buffer_.byteSize()); }
    void setText(const LString& text);

    // Implemented once per operating system:
    // LoadStringA's contract: copies at most capacity - 1 bytes of string `id` with a
    // terminator and returns the number copied, 0 when there is no such string.
    static int loadResource(void* instance, int id, char* buffer, int capacity);
    // The system formatter; on failure returns false and the system's error code.
    static bool systemFormat(const LString& format, std::initializer_list<LString> inserts,
                             LString& out, unsigned long& error);
    // The system's text for an error code, empty when it has none.
    static LString systemText(uint32_t code);

    ZeroedBuffer buffer_;
    void* instance_;
};

// Convenience wrappers.
LString loadString(int id);
LString formatStringId(int id, std::initializer_list<LString> inserts);
LString systemErrorString(uint32_t code);

// The text of message number 0..19 (empty for unknown numbers).
LString messageText(int number);

}  // namespace wiz
