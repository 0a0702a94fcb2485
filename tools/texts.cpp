#include "tools/texts.h"

#include <cstdio>

#include "base/exceptions.h"
#include "platform/file.h"
#include "services/message_format.h"
#include "services/string_ids.h"
#include "services/string_table.h"
#include "tagdoc/tag_document.h"
#include "tools/pe_resources.h"

namespace wizpack {

namespace {

const wiz::StringLanguage* languageOfCode(const std::string& code) {
    for (int i = 0; i < wiz::kStringLanguageCount; ++i)
        if (code == wiz::kStringLanguages[i].code) return &wiz::kStringLanguages[i];
    return nullptr;
}

std::string languageCodes() {
    std::string codes;
    for (int i = 0; i < wiz::kStringLanguageCount; ++i)
        codes += std::string(i ? ", " : "") + wiz::kStringLanguages[i].code;
    return codes;
}

// One line `ID "text"`: the id, then the text with \n, \" and \\ read as the string files read
// them.
void parseLine(const std::string& line, const wiz::StringLanguage& english, int& id,
               std::string& text) {
    size_t at = 0;
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    const size_t digits = at;
    while (at < line.size() && line[at] >= '0' && line[at] <= '9') ++at;
    uint64_t n = 0;
    if (!parseNumber(line.substr(digits, at - digits), 65535, n))
        fail("a text is ID \"TEXT\", not '" + line + "'");
    id = static_cast<int>(n);
    const char* original = wiz::findString(english, id);
    if (!original) fail("the launcher has no string " + std::to_string(id));
    while (at < line.size() && (line[at] == ' ' || line[at] == '\t')) ++at;
    if (at >= line.size() || line[at] != '"') fail("a text is ID \"TEXT\", not '" + line + "'");
    text.clear();
    for (++at;; ++at) {
        if (at >= line.size())
            fail("the text of string " + std::to_string(id) + " has no closing \"");
        const char c = line[at];
        if (c == '"') break;
        if (c == '\\') {
            const char next = at + 1 < line.size() ? line[at + 1] : '\0';
            if (next != 'n' && next != '"' && next != '\\')
                fail("only \\n, \\\" and \\\\ may be escaped in a text");
            text += next == 'n' ? '\n' : next;
            ++at;
            continue;
        }
        if (static_cast<unsigned char>(c) < 0x20) fail("a text holds a control character");
        text += c;
    }
    if (line.find_first_not_of(" \t", at + 1) != std::string::npos)
        fail("something follows the text of string " + std::to_string(id));
    if (utf16(text, "the text of string " + std::to_string(id)).size() > kMaxStringUnits)
        fail("the text of string " + std::to_string(id) +
             " is longer than a string resource "
             "holds (65535 characters)");
    // The launcher fills in the inserts it has; a text cannot ask for more.
    if (wiz::highestInsert(wiz::LString(text)) > wiz::highestInsert(wiz::LString(original)))
        fail("string " + std::to_string(id) + " may use the inserts up to %" +
             std::to_string(wiz::highestInsert(wiz::LString(original))) + " only");
}

}  // namespace

std::string textsDocument(const TextOverrides& texts) {
    std::string document;
    for (int i = 0; i < wiz::kStringLanguageCount; ++i) {
        const auto found = texts.find(wiz::kStringLanguages[i].langId);
        if (found == texts.end()) continue;
        document += std::string(wiz::kStringLanguages[i].code) + ":\n";
        for (const auto& text : found->second) {
            document += std::to_string(text.first) + " \"";
            for (char c : text.second) {
                if (c == '\n')
                    document += "\\n";
                else if (c == '"' || c == '\\')
                    document += std::string("\\") + c;
                else
                    document += c;
            }
            document += "\"\n";
        }
        document += "/:\n";
    }
    return document;
}

TextOverrides readTexts(const BrandingRequest& b) {
    TextOverrides texts;
    const wiz::StringLanguage* english = languageOfCode("en");
    if (!english) fail("the launcher's texts have no English table");
    if (b.textsPath.given())
        atOrigin(b.textsPath.origin, [&] {
            const std::string& path = b.textsPath.value;
            wiz::TagDocument doc;
            doc.keepValueLines();
            try {
                wiz::FilePtr in = wiz::openFile(path.c_str(), "rb");
                if (!in) fail("cannot open the TEXTS file '" + path + "'");
                doc.read(in.get(), wiz::LString(path), 0, -1);
            } catch (const wiz::TagSyntaxError& e) {
                fail(path + ":" + std::to_string(e.line()) + ": " + e.reason().str());
            } catch (const wiz::LauncherException& e) {
                fail(path + ": " + e.message().str());
            }
            const wiz::StringList tags = doc.tagNames();
            bool fallback = false;
            for (int32_t t = 0; t < tags.count(); ++t) {
                const std::string tag = tags.at(t).str();
                const std::string where = path + ":" + std::to_string(doc.valueLine(tags.at(t)));
                if (tag == "FALLBACK") {
                    if (doc.getValue("FALLBACK").str() != "en")
                        fail(where + ": FALLBACK takes en, the only language every text has");
                    fallback = true;
                    continue;
                }
                const wiz::StringLanguage* language = languageOfCode(tag);
                if (!language)
                    fail(where + ": unknown language code '" + tag + "' (" + languageCodes() + ")");
                for (int32_t v = 0; v < doc.valueCount(tags.at(t)); ++v) {
                    const std::string line = doc.getValue(tags.at(t), v).str();
                    if (line.find_first_not_of(" \t") == std::string::npos) continue;
                    atOrigin(path + ":" + std::to_string(doc.valueLine(tags.at(t), v)), [&] {
                        int id = 0;
                        std::string text;
                        parseLine(line, *english, id, text);
                        texts[language->langId][id] = text;
                    });
                }
            }
            if (fallback && texts.count(english->langId)) {
                const std::map<int, std::string> base = texts[english->langId];
                for (int i = 0; i < wiz::kStringLanguageCount; ++i)
                    for (const auto& entry : base)
                        texts[wiz::kStringLanguages[i].langId].insert(entry);
            }
        });
    if (b.productName.given()) {
        const std::string company = b.company.given() ? b.company.value : b.productName.value;
        for (int i = 0; i < wiz::kStringLanguageCount; ++i) {
            auto& language = texts[wiz::kStringLanguages[i].langId];
            language[static_cast<int>(wiz::StringId::ProductName)] = b.productName.value;
            language[static_cast<int>(wiz::StringId::CompanyName)] = company;
        }
    }
    return texts;
}

}  // namespace wizpack
