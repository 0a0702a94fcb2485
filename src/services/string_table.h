// The string table in every language, generated at build time from resources/strings (the same
// files that make the Windows STRINGTABLE resources). The POSIX build loads its texts from here;
// the tests of both builds compare the resources and the translations against it.
#pragma once

#include <string>

namespace wiz {

struct StringEntry {
    int id;
    const char* text;  // UTF-8
};

struct StringLanguage {
    const char* name;          // "German"
    unsigned langId;           // resource language id, 0x07; 0x404 for Chinese (Traditional)
    unsigned codePage;         // the ANSI code page that holds its texts on Windows
    const char* locales;       // POSIX locale names that select it: "pt_BR", "zh_TW zh_HK"
    const StringEntry* texts;  // ascending ids
    int count;
    const char* code;  // "de", "pt-BR": the name of its file in resources/strings
};

// Every language, ordered by language id (generated).
extern const StringLanguage kStringLanguages[];
extern const int kStringLanguageCount;

// The language with this resource language id, or null.
const StringLanguage* findStringLanguage(unsigned langId);
// The language for a POSIX locale name such as "de_DE.UTF-8" or "pt_BR@euro": an exact match of
// language and territory first, then the language alone; English for anything else.
const StringLanguage& languageForLocale(const char* locale);
// The language of this process, chosen at first use from LC_ALL, LC_MESSAGES or LANG (the first
// one set and non-empty).
const StringLanguage& currentStringLanguage();

// The text of string `id` in `language`, or null when it has none.
const char* findString(const StringLanguage& language, int id);
// The text of string `id` in the current language, or null when there is none: the packed
// launcher's own text (see setStringOverride) before the built-in one.
const char* builtinString(int id);

// The name of the embedded tag document that carries a packed launcher's own texts: one block
// per language code, each line `ID "text"` (\n, \" and \\ escaped).
constexpr const char* kTextsEntryName = "wizlaunch.texts";
// Sets the text of string `id` in the language with this code ("de") for the rest of the run;
// false (and nothing set) for an unknown code or id.
bool setStringOverride(const char* code, int id, const char* text);
// Reads a line `ID "text"` of that document into its parts; false when it is not one.
bool parseTextLine(const char* line, int& id, std::string& text);

}  // namespace wiz
