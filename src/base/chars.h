// The character classes of the launcher's texts, each defined once.
#pragma once

namespace wiz {

// Blanks of the tag documents, the launch script and the command line: space, tab, line feed,
// carriage return.
inline bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }
// White space as the C library's word scanning ("%s", "%ld") sees it: space and 9..13 (tab,
// line feed, vertical tab, form feed, carriage return).
inline bool isWhiteSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
// The separators of the Windows command-line splitter: space and tab.
inline bool isSpaceOrTab(char c) { return c == ' ' || c == '\t'; }

inline bool isDigit(char c) { return c >= '0' && c <= '9'; }
inline char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace wiz
