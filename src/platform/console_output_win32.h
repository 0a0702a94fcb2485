// The conversion behind writeConsoleText on Windows (platform/console_output.h), for its tests.
#pragma once

#include <vector>

namespace wiz {

// Text in the ANSI code page as UTF-16 (MultiByteToWideChar with CP_ACP): the characters that a
// console is given. (A vector rather than std::wstring: the launcher has no other use for wide
// strings, and their library code would double the size of this conversion in the executable.)
std::vector<wchar_t> ansiToWide(const char* text);

}  // namespace wiz
