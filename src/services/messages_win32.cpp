// Windows backend of MessageText: LoadStringA on the module's STRINGTABLE resources (the system
// picks the language) and FormatMessageA for inserts.
#include <memory>
#include <vector>

#include "platform/win32.h"
#include "services/messages.h"

namespace wiz {

namespace {

// A buffer that FormatMessageA allocated.
struct LocalFreeDeleter {
    void operator()(char* p) const { LocalFree(p); }
};
using LocalText = std::unique_ptr<char, LocalFreeDeleter>;

}  // namespace

int MessageText::loadResource(void* instance, int id, char* buffer, int capacity) {
    HINSTANCE module = instance ? static_cast<HINSTANCE>(instance) : GetModuleHandleA(nullptr);
    return LoadStringA(module, static_cast<UINT>(id), buffer, capacity);
}

bool MessageText::systemFormat(const LString& format, std::initializer_list<LString> inserts,
                               LString& out, unsigned long& error) {
    // Every insert is a character string; the array holds one pointer per insert.
    std::vector<DWORD_PTR> args;
    for (const LString& insert : inserts)
        args.push_back(reinterpret_cast<DWORD_PTR>(insert.c_str()));
    char* raw = nullptr;
    DWORD length = FormatMessageA(
        FORMAT_MESSAGE_FROM_STRING | FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_ARGUMENT_ARRAY,
        format.c_str(), 0, 0, reinterpret_cast<char*>(&raw), 0,
        args.empty() ? nullptr : reinterpret_cast<va_list*>(args.data()));
    LocalText text(raw);
    if (length == 0 || !text) {
        error = GetLastError();  // read before the guard frees anything
        return false;
    }
    out = LString(text.get(), length);
    return true;
}

}  // namespace wiz
