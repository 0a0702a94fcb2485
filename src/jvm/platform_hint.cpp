#include "jvm/platform_hint.h"

#include "base/exceptions.h"
#include "jvm/version_order.h"
#include "platform/registry.h"
#include "services/log.h"
#include "services/messages.h"

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

// Reads one value of one key in one view.
SysStatus readKeyValue(int hive, const LString& keyPath, const LString& valueName,
                       RegistryView view, LString& text, bool& opened) {
    RegistryKey key;
    const SysStatus status = key.open(hive, keyPath, view);
    opened = status.ok();
    if (!opened) return status;
    return key.readString(valueName, text);
}

// The written lookup of one key path without wildcards: the named value of the key, or when
// the key exists without that value, the default value of the key named by the rest of the
// hint.
SysStatus readHint(int hive, const LString& keyPath, const LString& valueName, RegistryView view,
                   LString& text) {
    bool opened = false;
    SysStatus status = readKeyValue(hive, keyPath, valueName, view, text, opened);
    if (!status.ok() && opened) {
        const LString keyAndValue = keyPath.empty() ? valueName : keyPath + "\\" + valueName;
        status = readKeyValue(hive, keyAndValue, LString(), view, text, opened);
    }
    return status;
}

// The key paths a key path with "*" segments stands for: each "*" is every subkey at that place,
// newest version first. A path without "*" stands for itself. Gives the first error met.
SysStatus expandKeyPath(int hive, const LString& keyPath, RegistryView view, StringList& paths) {
    StringList current;
    current.append(LString());
    SysStatus firstError;
    LString::size_type start = 0;
    while (start <= keyPath.length()) {
        LString::size_type end = keyPath.find('\\', start);
        if (end == LString::npos) end = keyPath.length();
        const LString segment = keyPath.substr(start, end - start);
        StringList next;
        for (int32_t i = 0; i < current.count(); ++i) {
            const LString& prefix = current.at(i);
            if (segment != "*") {
                next.append(prefix.empty() ? segment : prefix + "\\" + segment);
                continue;
            }
            RegistryKey key;
            StringList names;
            SysStatus status = key.open(hive, prefix, view);
            if (status.ok()) status = key.subkeyNames(names);
            if (!status.ok() && firstError.ok()) firstError = status;
            sortNewestFirst(names);
            for (int32_t j = 0; j < names.count(); ++j) {
                next.append(prefix.empty() ? names.at(j) : prefix + "\\" + names.at(j));
            }
        }
        current.clear();
        for (int32_t i = 0; i < next.count(); ++i) current.append(next.at(i));
        start = end + 1;
    }
    for (int32_t i = 0; i < current.count(); ++i) paths.append(current.at(i));
    return current.count() == 0 ? firstError : SysStatus();
}

bool hasWildcardSegment(const LString& keyPath) {
    LString::size_type at = keyPath.find('*');
    while (at != LString::npos) {
        const bool starts = at == 0 || keyPath[at - 1] == '\\';
        const bool ends = at + 1 == keyPath.length() || keyPath[at + 1] == '\\';
        if (starts && ends) return true;
        at = keyPath.find('*', at + 1);
    }
    return false;
}

// One view's answer: the non-empty texts found; the error of the first failed lookup when
// nothing was found.
SysStatus resolveInView(int hive, const PlatformHintParts& parts, RegistryView view,
                        StringList& texts) {
    if (!hasWildcardSegment(parts.keyPath)) {
        LString text;
        const SysStatus status = readHint(hive, parts.keyPath, parts.valueName, view, text);
        if (status.ok() && !text.empty()) texts.append(text);
        return status;
    }
    StringList keyPaths;
    SysStatus firstError = expandKeyPath(hive, parts.keyPath, view, keyPaths);
    for (int32_t i = 0; i < keyPaths.count(); ++i) {
        LString text;
        const SysStatus status = readHint(hive, keyPaths.at(i), parts.valueName, view, text);
        if (status.ok() && !text.empty()) texts.append(text);
        if (!status.ok() && firstError.ok()) firstError = status;
    }
    return texts.count() > 0 ? SysStatus() : firstError;
}

}  // namespace

void resolvePlatformHint(StringList& result, const LString& hint) {
    result.clear();
    if (hint.empty()) return;
    const PlatformHintParts parts = splitPlatformHint(hint);
    const int hive = findRegistryHive(parts.hive);
    if (hive < 0)
        throw LauncherException(formatStringId(StringId::InvalidHive, {parts.hive, hint}));

    // The program's own registry view first; when that gives nothing, the other one (a 32-bit
    // launcher on 64-bit Windows otherwise never sees what 64-bit runtimes register).
    const SysStatus status = resolveInView(hive, parts, RegistryView::Default, result);
    if (result.count() > 0) return;
    (void)resolveInView(hive, parts, RegistryView::Alternate, result);
    if (result.count() == 0 && !status.ok()) {
        writeLog(formatStringId(StringId::InvalidPlatformHint, {registryErrorText(status.code())}),
                 kLogWarning);
    }
}

}  // namespace wiz
