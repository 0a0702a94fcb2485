// POSIX: the question on the console; the answer is the whole line read
// from standard input, without its line break and the blanks around it. An empty answer or the
// end of the input picks nothing.
#include <unistd.h>

#include <cstdio>
#include <string>

#include "jvm/java_pick.h"
#include "tagdoc/text.h"

namespace wiz {

const char* const kPickedJavaProgram = "bin/java";
const char* const kPickedClasspathSeparator = ":";

bool askForJavaProgram(LString& path) {
    std::fputs("Path of the java program to use: ", stdout);
    std::fflush(stdout);
    std::string line;
    int c;
    while ((c = std::fgetc(stdin)) != EOF && c != '\n') line += static_cast<char>(c);
    // A terminal shows the line break the user typed; an answer from a file or a pipe shows
    // nothing, so the question's line is ended here and what follows starts a line of its own.
    if (c != '\n' || !::isatty(STDIN_FILENO)) {
        std::fputc('\n', stdout);
        std::fflush(stdout);
    }
    LString answer(line);
    trim(answer);
    if (answer.empty()) return false;
    path = answer;
    return true;
}

}  // namespace wiz
