#include "services/string_table.h"

#include <cstdlib>
#include <cstring>
#include <string>

namespace wiz {

namespace {

const StringLanguage& english() { return *findStringLanguage(0x09); }

// Whether the blank-separated list `names` holds `name`.
bool listHolds(const char* names, const std::string& name) {
    const char* p = names;
    while (*p) {
        while (*p == ' ') ++p;
        const char* end = p;
        while (*end && *end != ' ') ++end;
        if (static_cast<size_t>(end - p) == name.size() &&
            name.compare(0, name.size(), p, name.size()) == 0)
            return true;
        p = end;
    }
    return false;
}

const StringLanguage* findByLocaleName(const std::string& name) {
    if (name.empty()) return nullptr;
    for (int i = 0; i < kStringLanguageCount; ++i)
        if (listHolds(kStringLanguages[i].locales, name)) return &kStringLanguages[i];
    return nullptr;
}

}  // namespace

const StringLanguage* findStringLanguage(unsigned langId) {
    for (int i = 0; i < kStringLanguageCount; ++i)
        if (kStringLanguages[i].langId == langId) return &kStringLanguages[i];
    return nullptr;
}

const StringLanguage& languageForLocale(const char* locale) {
    std::string name = locale ? locale : "";
    // language[_territory][.codeset][@modifier]
    name = name.substr(0, name.find_first_of(".@"));
    if (const StringLanguage* exact = findByLocaleName(name)) return *exact;
    if (const StringLanguage* general = findByLocaleName(name.substr(0, name.find('_'))))
        return *general;
    return english();
}

const StringLanguage& currentStringLanguage() {
    static const StringLanguage& chosen = []() -> const StringLanguage& {
        for (const char* var : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
            const char* value = std::getenv(var);
            if (value && *value) return languageForLocale(value);
        }
        return english();
    }();
    return chosen;
}

const char* findString(const StringLanguage& language, int id) {
    for (int i = 0; i < language.count; ++i)
        if (language.texts[i].id == id) return language.texts[i].text;
    return nullptr;
}

const char* builtinString(int id) { return findString(currentStringLanguage(), id); }

}  // namespace wiz
