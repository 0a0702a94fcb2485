// The conversion behind writeConsoleText on Windows (platform/console_output.h), for its tests.
#pragma once

#include <string>

namespace wiz {

// Text in the ANSI code page as UTF-16 (MultiByteToWideChar with CP_ACP): the characters that a
// console is given.
std::wstring ansiToWide(const char* text);

}  // namespace wiz
