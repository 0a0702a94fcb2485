#include "jvm/platform_hint.h"

#include "base/exceptions.h"
#include "platform/registry.h"
#include "runtime/log.h"
#include "runtime/messages.h"

namespace wiz {

PlatformHintParts splitPlatformHint(const LString& hint) {
    PlatformHintParts parts;
    const LString::size_type start = !hint.empty() && hint[0] == '\\' ? 1 : 0;
    const LString::size_type hiveEnd = hint.find('\\', start);
    if (hiveEnd == LString::npos) return parts;
    const LString::size_type last = hint.rfind('\\');
    parts.hive = hint.substr(start, hiveEnd - start);
    parts.valueName = hint.substr(last + 1);
    if (last > hiveEnd) parts.keyPath = hint.substr(hiveEnd + 1, last - hiveEnd - 1);
    parts.keyAndValue = hint.substr(hiveEnd + 1);
    return parts;
}

int findRegistryHive(const LString& name) {
    static const char* const names[] = {"HKEY_LOCAL_MACHINE", "HKEY_CURRENT_USER", "HKEY_USERS",
                                        "HKEY_CLASSES_ROOT", "HKEY_CURRENT_CONFIG"};
    for (int i = 0; i < static_cast<int>(sizeof names / sizeof names[0]); ++i) {
        if (name == names[i]) return i;
    }
    return -1;
}

namespace {

// Reads one value of one key; returns the system error code.
uint32_t readKeyValue(int hive, const LString& keyPath, const LString& valueName, LString& text,
                      bool& opened) {
    RegistryKey key;
    uint32_t code = key.open(hive, keyPath);
    opened = code == 0;
    if (!opened) return code;
    return key.readString(valueName, text);
}

}  // namespace

void resolvePlatformHint(StringList& result, const LString& hint) {
    result.clear();
    if (hint.empty()) return;
    const PlatformHintParts parts = splitPlatformHint(hint);
    const int hive = findRegistryHive(parts.hive);
    if (hive < 0) throw LauncherException(formatStringId(27, {parts.hive, hint}));

    LString text;
    bool opened = false;
    uint32_t code = readKeyValue(hive, parts.keyPath, parts.valueName, text, opened);
    if (code != 0 && opened) {
        // The key exists but has no such value: the rest of the hint may name a key whose
        // default value holds the text.
        code = readKeyValue(hive, parts.keyAndValue, LString(), text, opened);
    }
    if (code != 0) {
        writeLog(formatStringId(28, {registryErrorText(code)}), kLogWarning);
        return;
    }
    if (!text.empty()) result.append(text);
}

}  // namespace wiz
