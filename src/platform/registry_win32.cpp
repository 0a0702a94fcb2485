// Registry reading for platform hints, and wide text to the ANSI code page.
#include <vector>

#include "platform/handle_win32.h"
#include "platform/registry.h"
#include "platform/system_error.h"
#include "platform/win32.h"

namespace wiz {

namespace {

HKEY rootKey(int hive) {
    switch (hive) {
        case kHiveLocalMachine:
            return HKEY_LOCAL_MACHINE;
        case kHiveCurrentUser:
            return HKEY_CURRENT_USER;
        case kHiveUsers:
            return HKEY_USERS;
        case kHiveClassesRoot:
            return HKEY_CLASSES_ROOT;
        case kHiveCurrentConfig:
            return HKEY_CURRENT_CONFIG;
        default:
            return nullptr;
    }
}

}  // namespace

RegistryKey::~RegistryKey() { RegistryKeyHolder owned(static_cast<HKEY>(key_)); }

SysStatus RegistryKey::open(int hive, const LString& path, RegistryView view) {
    HKEY root = rootKey(hive);
    if (!root) return SysStatus(ERROR_INVALID_PARAMETER);
    // The other view of a 32-bit program is the 64-bit one, and the other way round. Systems
    // without two views ignore the flag.
    REGSAM access = KEY_READ;
    if (view == RegistryView::Alternate) {
        access |= sizeof(void*) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;
    }
    RegistryKeyHolder key;
    LONG code = RegOpenKeyExA(root, path.c_str(), 0, access, key.receive());
    if (code != ERROR_SUCCESS) return SysStatus(static_cast<uint32_t>(code));
    RegistryKeyHolder previous(static_cast<HKEY>(key_));  // a key opened before is closed
    key_ = key.release();
    return SysStatus();
}

SysStatus RegistryKey::readString(const LString& valueName, LString& text) const {
    if (!key_) return SysStatus(ERROR_INVALID_HANDLE);
    return readRegistryString(key_, valueName, text);
}

SysStatus RegistryKey::subkeyNames(StringList& names) const {
    if (!key_) return SysStatus(ERROR_INVALID_HANDLE);
    // Key names are at most 255 characters.
    char name[256];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        LONG code = RegEnumKeyExA(static_cast<HKEY>(key_), index, name, &length, nullptr, nullptr,
                                  nullptr, nullptr);
        if (code == ERROR_NO_MORE_ITEMS) return SysStatus();
        if (code != ERROR_SUCCESS) return SysStatus(static_cast<uint32_t>(code));
        names.append(LString(name, length));
    }
}

SysStatus readRegistryString(void* key, const LString& valueName, LString& text) {
    HKEY hkey = static_cast<HKEY>(key);
    const char* name = valueName.empty() ? nullptr : valueName.c_str();
    DWORD size = 0;
    LONG code = RegQueryValueExA(hkey, name, nullptr, nullptr, nullptr, &size);
    // The value may grow between the two calls: ask again with the new size.
    for (int attempt = 0; code == ERROR_SUCCESS || code == ERROR_MORE_DATA; ++attempt) {
        // One byte more than reported and zero-filled, so the text always ends, even when the
        // stored bytes carry no terminating NUL.
        std::vector<char> buffer(size + 1, '\0');
        DWORD got = size;
        code = RegQueryValueExA(hkey, name, nullptr, nullptr,
                                reinterpret_cast<BYTE*>(buffer.data()), &got);
        if (code == ERROR_SUCCESS) {
            text = LString(buffer.data());
            return SysStatus();
        }
        if (code != ERROR_MORE_DATA || attempt == 3) break;
        size = got;
    }
    return SysStatus(static_cast<uint32_t>(code));
}

LString registryErrorText(uint32_t code) { return systemErrorText(code); }

LString toAnsi(const wchar_t* text) {
    if (!text) return LString();
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (length <= 0) return LString();
    std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
    if (WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), length, nullptr, nullptr) <= 0) {
        return LString();
    }
    return LString(buffer.data());
}

}  // namespace wiz
