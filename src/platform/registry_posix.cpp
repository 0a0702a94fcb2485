// POSIX systems have no registry: every key fails to open, and the log says why.
#include <errno.h>

#include <climits>
#include <cwchar>
#include <string>

#include "platform/registry.h"

namespace wiz {

RegistryKey::~RegistryKey() = default;

SysStatus RegistryKey::open(int, const LString&, RegistryView) { return SysStatus(ENOENT); }

SysStatus RegistryKey::subkeyNames(StringList&) const { return SysStatus(ENOENT); }

SysStatus RegistryKey::readString(const LString& valueName, LString& text) const {
    return readRegistryString(key_, valueName, text);
}

SysStatus readRegistryString(void*, const LString&, LString&) { return SysStatus(ENOENT); }

LString registryErrorText(uint32_t) { return LString("There is no registry on this system."); }

// Converts in the current locale; characters it cannot represent become '?'.
LString toAnsi(const wchar_t* text) {
    if (!text) return LString();
    std::string out;
    std::mbstate_t state{};
    char bytes[MB_LEN_MAX];
    for (; *text; ++text) {
        size_t n = std::wcrtomb(bytes, *text, &state);
        if (n == static_cast<size_t>(-1)) {
            out += '?';
            state = std::mbstate_t{};
        } else {
            out.append(bytes, n);
        }
    }
    return LString(out);
}

}  // namespace wiz
