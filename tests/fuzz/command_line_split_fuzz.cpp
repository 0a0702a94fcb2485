// Fuzz target: the two command-line splitters. The splitter with the rules of CommandLineToArgvW
// (the POSIX child runner's argv) and the launcher's own tokenizer of the Windows 9x family,
// which is compared with a model of its rules.
#include <cstdint>
#include <string>
#include <vector>

#include "core/arguments.h"
#include "fuzz_support.h"
#include "launch/command_line_split.h"

namespace {

using wiz::LString;

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

// The 9x tokenizer's rules, read as a grammar: a token is a quoted run or a sequence of plain
// characters and embedded quoted runs; outside the program path a backslash escapes the next
// character (an escaped quote is a quote; any other escaped character keeps its backslash; a
// final backslash is dropped).
class NineXModel {
public:
    NineXModel(const std::string& text) : s_(text) {}

    std::vector<std::string> split() {
        std::vector<std::string> tokens;
        bool first = true;
        for (;;) {
            skipBlanks();
            if (at_ >= s_.size()) break;
            std::string token = readToken(!first);
            first = false;
            if (!token.empty()) tokens.push_back(token);
        }
        return tokens;
    }

private:
    void skipBlanks() {
        while (at_ < s_.size() && isBlank(s_[at_])) ++at_;
    }
    // One character that is not a quote or an escape: appended to `out`. Returns false at a
    // quote (not consumed).
    bool plainOrEscaped(bool escapes, std::string& out) {
        const char c = s_[at_];
        if (escapes && c == '\\') {
            ++at_;
            if (at_ >= s_.size()) return true;  // a final backslash is dropped
            const char next = s_[at_++];
            if (next != '"') out += '\\';
            out += next;
            return true;
        }
        if (c == '"') return false;
        out += c;
        ++at_;
        return true;
    }
    // A quoted run, its opening quote already consumed; consumes the closing quote.
    void quotedRun(bool escapes, std::string& out) {
        while (at_ < s_.size()) {
            if (!plainOrEscaped(escapes, out)) {
                ++at_;
                return;
            }
        }
    }
    std::string readToken(bool escapes) {
        std::string token;
        if (s_[at_] == '"') {
            ++at_;
            quotedRun(escapes, token);
            return token;
        }
        while (at_ < s_.size() && !isBlank(s_[at_])) {
            if (!plainOrEscaped(escapes, token)) {
                ++at_;
                quotedRun(escapes, token);
            }
        }
        return token;
    }

    const std::string& s_;
    size_t at_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const LString line(text);

    const wiz::StringList args = wiz::splitCommandLine(line);
    if (text.empty() != (args.count() == 0)) wizfuzz::finding("argument count of an empty line");
    for (int32_t i = 1; i < args.count(); ++i) {
        // A blank survives only inside quotes.
        const std::string& arg = args.at(i).str();
        if (arg.find_first_of(" \t") != std::string::npos && text.find('"') == std::string::npos) {
            wizfuzz::finding("a blank inside an unquoted argument: " + wizfuzz::shown(text));
        }
    }

    wiz::ArgumentList tokens;
    wiz::tokenizeCommandLine(line, tokens);
    const std::vector<std::string> model = NineXModel(text).split();
    bool same = static_cast<size_t>(tokens.count()) == model.size();
    for (int32_t i = 0; same && i < tokens.count(); ++i)
        same = tokens.list().at(i).str() == model[i];
    if (!same)
        wizfuzz::finding("the 9x tokenizer differs from its rules for " + wizfuzz::shown(text));

    // Token by token from any position: the cursor only moves forward and stays in the text.
    LString::size_type position = size > 0 ? data[0] % (size + 1) : 0;
    for (int i = 0; i < 4 && position < line.length(); ++i) {
        const LString::size_type before = position;
        (void)wiz::readCommandLineToken(line, position, i % 2 == 1);
        if (position < before || position > line.length()) wizfuzz::finding("token cursor");
    }
    return 0;
}
