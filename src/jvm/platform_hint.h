// Platform hints: registry locations written as text, such as
// \HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Runtime Environment\1.4\JavaHome.
#pragma once

#include "base/lstring.h"
#include "base/ptrlist.h"

namespace wiz {

// A hint split into its parts: an optional leading backslash, the hive name up to the next
// backslash, the key path, and the value name after the last backslash. A hint with no backslash
// after the hive position has every part empty.
struct PlatformHintParts {
    LString hive;
    LString keyPath;
    LString valueName;
    // Everything after the hive name: the key path and the value name read together as a key,
    // whose default value is tried when the named value cannot be read.
    LString keyAndValue;
};

PlatformHintParts splitPlatformHint(const LString& hint);

// The hive (a RegistryHive) with that exact (case-sensitive) name, or -1.
int findRegistryHive(const LString& name);

// Clears `result`, then adds the text stored at the hint's registry location when it is not
// empty. First the named value of the key is read; when the key exists but that value cannot be
// read, the default value of the key named by the whole rest of the hint. Throws
// LauncherException (string 27) for a hive name that is not one of the five known ones; any other
// failure is logged as a warning (string 28 with the reason) and gives no result.
void resolvePlatformHint(StringList& result, const LString& hint);

}  // namespace wiz
