// Windows side of the message tests: the STRINGTABLE resources of the executable hold every
// language of the generated table with the same texts, and each text fits its language's ANSI
// code page (otherwise LoadStringA would give question marks on that language's systems).
#include <gtest/gtest.h>

#include <string>

#include "platform/win32.h"
#include "services/string_table.h"

using namespace wiz;

namespace {

std::wstring toWide(const char* utf8) {
    int n = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, nullptr, 0);
    if (n <= 0) return L"<invalid UTF-8>";
    std::wstring wide(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8, -1, &wide[0], n);
    wide.resize(static_cast<size_t>(n - 1));
    return wide;
}

std::string fromWide(const std::wstring& wide, UINT codePage, bool* lossy = nullptr) {
    if (wide.empty()) return std::string();
    BOOL usedDefault = FALSE;
    const bool utf8 = codePage == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL* used = utf8 ? nullptr : &usedDefault;
    const int size = static_cast<int>(wide.size());
    int n = WideCharToMultiByte(codePage, flags, wide.data(), size, nullptr, 0, nullptr, used);
    std::string text(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(codePage, flags, wide.data(), size, &text[0], n, nullptr, used);
    if (lossy) *lossy = usedDefault != FALSE;
    return text;
}

// The text of string `id` in the resource block of exactly this language, or "<missing>".
std::wstring resourceText(int id, unsigned langId) {
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC block = FindResourceExW(module, reinterpret_cast<LPCWSTR>(RT_STRING),
                                  MAKEINTRESOURCEW(id / 16 + 1), static_cast<WORD>(langId));
    if (!block) return L"<missing>";
    const WCHAR* p = static_cast<const WCHAR*>(LockResource(LoadResource(module, block)));
    // A block holds 16 counted strings.
    for (int i = 0; i < id % 16; ++i) p += 1 + *p;
    if (*p == 0) return L"<missing>";
    return std::wstring(p + 1, *p);
}

}  // namespace

std::string systemTextOf(const char* utf8) { return utf8 ? fromWide(toWide(utf8), CP_ACP) : ""; }

extern const char* const kTableJavaProgram = "java.exe";

TEST(MessageResources, EveryLanguageHoldsTheTableTextsInItsCodePage) {
    for (int l = 0; l < kStringLanguageCount; ++l) {
        const StringLanguage& language = kStringLanguages[l];
        ASSERT_TRUE(IsValidCodePage(language.codePage)) << language.name;
        for (int i = 0; i < language.count; ++i) {
            const StringEntry& entry = language.texts[i];
            const std::wstring resource = resourceText(entry.id, language.langId);
            EXPECT_EQ(fromWide(resource, CP_UTF8), entry.text) << language.name << " " << entry.id;
            bool lossy = true;
            fromWide(resource, language.codePage, &lossy);
            EXPECT_FALSE(lossy) << language.name << " " << entry.id << " does not fit code page "
                                << language.codePage;
        }
        // Nothing beyond the table's ids in the blocks that hold them.
        EXPECT_EQ(resourceText(39, language.langId), L"<missing>") << language.name;
    }
}
