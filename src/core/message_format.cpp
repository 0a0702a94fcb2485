#include "core/message_format.h"

#include <cctype>
#include <cstdio>
#include <string>

namespace wiz {

bool formatInserts(const LString& format, std::initializer_list<LString> inserts, LString& out) {
    const std::string& f = format.str();
    std::string result;
    const LString* args = inserts.begin();
    const size_t argCount = inserts.size();
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (c != '%' || i + 1 >= f.size()) {
            result.push_back(c);
            continue;
        }
        char d = f[++i];
        if (d == '0') break;
        if (d == 'n') {
            result += "\r\n";
            continue;
        }
        if (!std::isdigit(static_cast<unsigned char>(d))) {
            result.push_back(d);  // %% and other escapes stand for the character itself
            continue;
        }
        size_t n = static_cast<size_t>(d - '0');
        if (i + 1 < f.size() && std::isdigit(static_cast<unsigned char>(f[i + 1])))
            n = n * 10 + static_cast<size_t>(f[++i] - '0');
        std::string spec = "s";
        if (i + 1 < f.size() && f[i + 1] == '!') {
            size_t end = f.find('!', i + 2);
            if (end == std::string::npos) return false;
            spec = f.substr(i + 2, end - i - 2);
            i = end;
        }
        if (n == 0 || n > argCount) return false;
        const LString& arg = args[n - 1];
        if (spec == "s") {
            result += arg.str();
        } else {
            // Width and precision forms of %s ("-10s", ".3s"); other conversions get the text.
            std::string fmt = "%" + spec;
            if (fmt.back() != 's') fmt = "%s";
            int len = std::snprintf(nullptr, 0, fmt.c_str(), arg.c_str());
            if (len < 0) return false;
            std::string piece(static_cast<size_t>(len) + 1, '\0');
            std::snprintf(&piece[0], piece.size(), fmt.c_str(), arg.c_str());
            piece.resize(static_cast<size_t>(len));
            result += piece;
        }
    }
    out = LString(std::move(result));
    return true;
}

}  // namespace wiz
