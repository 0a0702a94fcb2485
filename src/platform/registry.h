// Registry access for platform hints, and the conversion of wide system text to the ANSI code
// page. POSIX systems have no registry: every hint there resolves to nothing.
#pragma once

#include <cstdint>

#include "base/lstring.h"
#include "base/ptrlist.h"
#include "platform/system_error.h"

namespace wiz {

// The root keys.
enum RegistryHive {
    kHiveLocalMachine = 0,
    kHiveCurrentUser,
    kHiveUsers,
    kHiveClassesRoot,
    kHiveCurrentConfig,
};

// 64-bit Windows keeps two views of parts of the registry: one for 32-bit programs and one for
// 64-bit programs. A program sees its own view by default; Alternate is the other one.
enum class RegistryView { Default, Alternate };

// An open registry key (closed by the destructor).
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // Opens `path` under the root key of `hive` (a RegistryHive) for reading, in `view`.
    SysStatus open(int hive, const LString& path, RegistryView view = RegistryView::Default);
    // The names of the key's subkeys, in the registry's order.
    SysStatus subkeyNames(StringList& names) const;
    // The value's text up to its first NUL, whatever its type; an empty name reads the key's
    // default value.
    SysStatus readString(const LString& valueName, LString& text) const;

private:
    void* key_ = nullptr;
};

// Reads a value of an open key (an HKEY on Windows); see RegistryKey::readString.
SysStatus readRegistryString(void* key, const LString& valueName, LString& text);

// Why a registry access failed (the code of its SysStatus), for the log.
LString registryErrorText(uint32_t code);

// Wide (UTF-16 on Windows) text in the system's ANSI code page; empty when nothing converts.
LString toAnsi(const wchar_t* text);

}  // namespace wiz
