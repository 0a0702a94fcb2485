#include "tagdoc/text.h"

#include <cstdio>
#include <cstring>

#include "base/chars.h"
#include "base/exceptions.h"

namespace wiz {

const char* const kWhitespace = " \t\n\r";

LString& trim(LString& text, const char* set) {
    LString::size_type last = text.find_last_not_of(set);
    if (last == LString::npos) {
        text.erase();
        return text;
    }
    text.erase(last + 1);
    text.erase(0, text.find_first_not_of(set));
    return text;
}

LString::size_type endsWith(const LString& text, const LString& suffix) {
    if (suffix.length() > text.length()) return LString::npos;
    LString::size_type start = text.length() - suffix.length();
    return text.compare(start, suffix.length(), suffix.c_str(), suffix.length()) == 0
               ? start
               : LString::npos;
}

LString numberToString(int32_t n) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%ld", static_cast<long>(n));
    return LString(buf);
}

LString missingQuoteMessage(LString::size_type cursor) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%lu", static_cast<unsigned long>(cursor));
    return LString("Expected double quote to end argument near ") + buf;
}

LString nextArgument(const LString& text, LString::size_type& cursor, bool quoted) {
    LString result;
    if (cursor == LString::npos || cursor > text.length()) cursor = text.length();
    if (!quoted) {
        LString::size_type ws = text.find_first_of(kWhitespace, cursor);
        if (ws != LString::npos) {
            result.assign(text, cursor, ws - cursor);
            cursor = ws;
        } else {
            result.assign(text, cursor, LString::npos);
            cursor = LString::npos;
        }
        return result;
    }
    for (;;) {
        LString::size_type q = text.find('"', cursor);
        if (q == LString::npos) throw LauncherException(missingQuoteMessage(cursor));
        if (q + 1 >= text.length() || text[q + 1] != '"') {
            result.append(text, cursor, q - cursor);
            cursor = q + 1;
            break;
        }
        // A doubled quote: keep one; at the very end of the text it cannot also close.
        if (q + 2 >= text.length()) throw LauncherException(missingQuoteMessage(q + 1));
        result.append(text, cursor, q + 1 - cursor);
        cursor = q + 2;
    }
    if (cursor >= text.length()) cursor = LString::npos;
    return result;
}

LString nextWord(const LString& text, LString::size_type& cursor) {
    LString::size_type len = text.length();
    if (cursor >= len) return LString();
    LString::size_type i = cursor;
    while (i < len && isWhiteSpace(text[i])) ++i;
    LString::size_type start = i;
    while (i < len && !isWhiteSpace(text[i])) ++i;
    cursor = i + 1;
    return text.substr(start, i - start);
}

void readLine(std::FILE* stream, LString& out) {
    std::string line;
    int c;
    while ((c = std::getc(stream)) != EOF && c != '\n') {
        if (c != '\r') line.push_back(static_cast<char>(c));
    }
    out.append(line.data(), static_cast<LString::size_type>(line.size()));
    trim(out);
}

void readLineFromText(const LString& text, LString::size_type& cursor, LString& out) {
    if (cursor >= text.length()) return;
    std::string line;
    LString::size_type i = cursor;
    for (; i < text.length() && text[i] != '\n'; ++i) {
        if (text[i] != '\r') line.push_back(text[i]);
    }
    cursor = i < text.length() ? i + 1 : i;
    out.append(line.data(), static_cast<LString::size_type>(line.size()));
    trim(out);
}

uint32_t readBytes(std::FILE* stream, unsigned char* buffer, uint32_t count) {
    return static_cast<uint32_t>(std::fread(buffer, 1, count, stream));
}

uint32_t readUInt32BE(std::FILE* stream, const LString& failureMessage) {
    unsigned char b[4];
    if (readBytes(stream, b, 4) != 4) throw LauncherException(failureMessage);
    return (uint32_t(b[0]) << 24) | (uint32_t(b[1]) << 16) | (uint32_t(b[2]) << 8) | b[3];
}

uint16_t readUInt16BE(std::FILE* stream, const LString& failureMessage) {
    unsigned char b[2];
    if (readBytes(stream, b, 2) != 2) throw LauncherException(failureMessage);
    return static_cast<uint16_t>((b[0] << 8) | b[1]);
}

}  // namespace wiz
