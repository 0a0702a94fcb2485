// Text for a person at a console.
//
// The launcher's texts are in the system's ANSI code page, while a Windows console shows its
// own code page (the OEM one): written there as bytes, every character outside ASCII comes out
// wrong ("für" as "f³r"). So text for a console goes to it as UTF-16 characters. A stream that is
// not a console (a file, a pipe) gets the bytes unchanged, so that the programs reading it get
// exactly what was written.
#pragma once

#include <cstdio>

namespace wiz {

// Whether `stream` is a console that takes characters: on Windows, GetConsoleMode succeeds on
// its handle. Always false on POSIX, where a terminal takes the bytes.
bool isConsole(std::FILE* stream);

// Writes `text` (ANSI code page) to `stream`: to a console as characters, to anything else as
// the bytes given; then flushes the stream when `flush` is set (a console is written at once).
// Output errors are of no consequence to the caller and are not reported.
void writeConsoleText(std::FILE* stream, const char* text, bool flush);

}  // namespace wiz
