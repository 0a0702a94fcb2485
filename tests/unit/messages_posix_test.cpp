// POSIX side of the message tests: the string loader gives the table's UTF-8 text as it is.
#include <string>

std::string systemTextOf(const char* utf8) { return utf8 ? utf8 : ""; }

extern const char* const kTableJavaProgram = "java";
