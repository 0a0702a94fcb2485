// Stateless text helpers shared by the tag documents, the instruction interpreter, the launch
// script and the launcher file index: trimming, line reading, the quoted-argument tokenizer, the
// word splitter and the big-endian readers.
#pragma once

#include <cstdint>
#include <cstdio>

#include "base/lstring.h"

namespace wiz {

// Space, tab, line feed, carriage return.
extern const char* const kWhitespace;

// Removes trailing, then leading characters of `set`; returns `text`.
LString& trim(LString& text, const char* set = kWhitespace);
// Position where `suffix` starts when `text` ends with it, npos otherwise.
LString::size_type endsWith(const LString& text, const LString& suffix);
LString numberToString(int32_t n);

// Reads one argument at `cursor`. For a quoted argument the cursor is just after the opening
// quote; a doubled quote stands for one. Throws LauncherException when the closing quote is
// missing. The cursor becomes npos once the end of the text is reached.
LString nextArgument(const LString& text, LString::size_type& cursor, bool quoted);
// The message of an argument whose closing quote is missing, `cursor` being where the search
// for it stopped.
LString missingQuoteMessage(LString::size_type cursor);
// Skips white space (space, 9..13) and returns the following word; the cursor ends one past the
// character that stopped it.
LString nextWord(const LString& text, LString::size_type& cursor);

// Appends one line of the stream (CRs dropped, LF consumed) to `out`, then trims `out`.
void readLine(std::FILE* stream, LString& out);
// The same over an in-memory text; leaves `out` untouched when the cursor is at the end.
void readLineFromText(const LString& text, LString::size_type& cursor, LString& out);

// Reads up to `count` bytes; returns the number actually read.
uint32_t readBytes(std::FILE* stream, unsigned char* buffer, uint32_t count);
// Big-endian readers; throw LauncherException(failureMessage) when the stream ends early.
uint32_t readUInt32BE(std::FILE* stream, const LString& failureMessage);
uint16_t readUInt16BE(std::FILE* stream, const LString& failureMessage);

}  // namespace wiz
