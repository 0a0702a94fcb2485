// POSIX: a terminal shows the bytes in the locale's own encoding, so every stream gets them as
// they are.
#include "platform/console_output.h"

namespace wiz {

bool isConsole(std::FILE* /*stream*/) { return false; }

void writeConsoleText(std::FILE* stream, const char* text, bool flush) {
    std::fputs(text, stream);
    if (flush) std::fflush(stream);
}

}  // namespace wiz
