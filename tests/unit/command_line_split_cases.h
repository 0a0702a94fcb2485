// Command lines and the arguments the Windows shell splits them into; shared by the portable
// splitter test and its comparison with the system's own splitter.
#pragma once

#include <string>
#include <vector>

namespace wiztest {

struct SplitCase {
    std::string line;
    std::vector<std::string> args;
};

inline const std::vector<SplitCase>& commandLineSplitCases() {
    static const std::vector<SplitCase> cases = {
        {"prog", {"prog"}},
        {"prog a b", {"prog", "a", "b"}},
        {"prog  a\t\tb  ", {"prog", "a", "b"}},
        {"\"C:\\Program Files\\x.exe\" -a", {"C:\\Program Files\\x.exe", "-a"}},
        // The program takes no escapes: it ends at the first blank or the closing quote.
        {"C:\\dir\\\"x y\" z", {"C:\\dir\\\"x", "y z"}},
        {"\"a\\\\\"b c", {"a\\\\", "b", "c"}},
        {"\"unterminated program", {"unterminated program"}},
        {"p \"a b\" c", {"p", "a b", "c"}},
        {"p a\\b\\\\c", {"p", "a\\b\\\\c"}},
        {"p a\\\"b", {"p", "a\"b"}},
        {"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {"p \"\"", {"p", ""}},
        {"p \"\" \"\"", {"p", "", ""}},
        {"p \"a\"\"b\"", {"p", "a\"b"}},
        {"p \"a\"\" b\"", {"p", "a\"", "b"}},
        {"p \"\"\"a\"\"\"", {"p", "\"a\""}},
        {"p a\"b c\"d", {"p", "ab cd"}},
        {"p \"unterminated arg", {"p", "unterminated arg"}},
        {"p trailing\\", {"p", "trailing\\"}},
        {"p \"C:\\dir with blank\\\\\" next", {"p", "C:\\dir with blank\\", "next"}},
        {"  p a", {"", "p", "a"}},
        {"p a\nb", {"p", "a\nb"}},
    };
    return cases;
}

}  // namespace wiztest
