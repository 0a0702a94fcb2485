#include "services/string_table.h"

#include <cstdlib>
#include <cstring>
#include <map>
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

namespace {

// The packed launcher's texts by language and id. Nodes of a map keep their place, so a text
// handed out stays valid for the rest of the run.
std::map<std::pair<const StringLanguage*, int>, std::string>& overrides() {
    static std::map<std::pair<const StringLanguage*, int>, std::string> texts;
    return texts;
}

}  // namespace

const char* builtinString(int id) {
    const StringLanguage& language = currentStringLanguage();
    const auto found = overrides().find({&language, id});
    if (found != overrides().end()) return found->second.c_str();
    return findString(language, id);
}

bool setStringOverride(const char* code, int id, const char* text) {
    for (int i = 0; i < kStringLanguageCount; ++i) {
        const StringLanguage& language = kStringLanguages[i];
        if (std::strcmp(language.code, code) != 0) continue;
        if (!findString(language, id)) return false;
        overrides()[{&language, id}] = text;
        return true;
    }
    return false;
}

bool parseTextLine(const char* line, int& id, std::string& text) {
    const char* p = line;
    while (*p == ' ' || *p == '\t') ++p;
    if (*p < '0' || *p > '9') return false;
    id = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        id = id * 10 + (*p - '0');
        if (id > 0xFFFF) return false;
    }
    while (*p == ' ' || *p == '\t') ++p;
    if (*p++ != '"') return false;
    text.clear();
    for (; *p != '"'; ++p) {
        if (*p == '\0') return false;
        if (*p == '\\') {
            ++p;
            if (*p != 'n' && *p != '"' && *p != '\\') return false;
            text += *p == 'n' ? '\n' : *p;
            continue;
        }
        text += *p;
    }
    for (++p; *p == ' ' || *p == '\t'; ++p) {
    }
    return *p == '\0';
}

}  // namespace wiz
