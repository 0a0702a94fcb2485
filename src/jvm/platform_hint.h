// Platform hints: registry locations written as text, such as
// \HKEY_LOCAL_MACHINE\SOFTWARE\JavaSoft\Java Runtime Environment\1.4\JavaHome.
#pragma once

#include "base/lstring.h"

namespace wiz {

// The root keys a hint may name, in the order of the hive table.
enum RegistryHive {
    kHiveLocalMachine = 0,
    kHiveCurrentUser,
    kHiveUsers,
    kHiveClassesRoot,
    kHiveCurrentConfig,
};

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

// The hive with that exact (case-sensitive) name, or -1.
int findRegistryHive(const LString& name);

}  // namespace wiz
