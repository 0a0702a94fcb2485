#include "services/message_format.h"

#include <cctype>
#include <cstdlib>
#include <string>

#include "base/chars.h"

namespace wiz {

namespace {

// One piece of a format: literal text, or an insert with its conversion.
struct Piece {
    std::string literal;
    size_t insert = 0;       // 1..99, 0 for literal text
    std::string conversion;  // between the exclamation marks, "s" when none is given
};

// Splits `f` into pieces and calls `visit` for each; stops at %0 or when visit returns false.
template <typename Visit>
void scanFormat(const std::string& f, Visit visit) {
    Piece text;
    auto flush = [&]() {
        if (text.literal.empty()) return true;
        bool go = visit(text);
        text.literal.clear();
        return go;
    };
    for (size_t i = 0; i < f.size(); ++i) {
        char c = f[i];
        if (c != '%' || i + 1 >= f.size()) {
            text.literal.push_back(c);
            continue;
        }
        char d = f[++i];
        if (d == '0') break;
        if (d == 'n') {
            text.literal += "\r\n";
            continue;
        }
        if (!isDigit(d)) {
            text.literal.push_back(d);
            continue;
        }
        Piece insert;
        insert.insert = static_cast<size_t>(d - '0');
        if (i + 1 < f.size() && isDigit(f[i + 1]))
            insert.insert = insert.insert * 10 + static_cast<size_t>(f[++i] - '0');
        insert.conversion = "s";
        if (i + 1 < f.size() && f[i + 1] == '!') {
            size_t end = f.find('!', i + 2);
            if (end != std::string::npos) {
                insert.conversion = f.substr(i + 2, end - i - 2);
                i = end;
            }
        }
        if (!flush() || !visit(insert)) return;
    }
    flush();
}

// Applies a %s conversion ("-10", ".3", "-8.2s") to one insert.
std::string applyConversion(const std::string& conversion, const std::string& value) {
    size_t p = 0;
    bool left = false;
    while (p < conversion.size() &&
           (conversion[p] == '-' || conversion[p] == '+' || conversion[p] == ' ' ||
            conversion[p] == '#' || conversion[p] == '0')) {
        if (conversion[p] == '-') left = true;
        ++p;
    }
    size_t width = 0;
    while (p < conversion.size() && isDigit(conversion[p]) && width < 10000)
        width = width * 10 + static_cast<size_t>(conversion[p++] - '0');
    std::string text = value;
    if (p < conversion.size() && conversion[p] == '.') {
        size_t precision = 0;
        ++p;
        while (p < conversion.size() && isDigit(conversion[p]) && precision < 10000)
            precision = precision * 10 + static_cast<size_t>(conversion[p++] - '0');
        if (precision < text.size()) text.resize(precision);
    }
    if (text.size() < width) {
        std::string pad(width - text.size(), ' ');
        text = left ? text + pad : pad + text;
    }
    return text;
}

}  // namespace

bool formatInserts(const LString& format, std::initializer_list<LString> inserts, LString& out) {
    std::string result;
    bool complete = true;
    scanFormat(format.str(), [&](const Piece& piece) {
        if (piece.insert == 0) {
            result += piece.literal;
            return true;
        }
        if (piece.insert > inserts.size()) {
            complete = false;
            return false;
        }
        result += applyConversion(piece.conversion, inserts.begin()[piece.insert - 1].str());
        return true;
    });
    if (!complete) return false;
    out = LString(std::move(result));
    return true;
}

size_t highestInsert(const LString& format) {
    size_t highest = 0;
    scanFormat(format.str(), [&](const Piece& piece) {
        if (piece.insert > highest) highest = piece.insert;
        return true;
    });
    return highest;
}

}  // namespace wiz
