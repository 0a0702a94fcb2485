// Fuzz target: the script variables and the evaluation of command arguments (substitution of
// @-references, numbers, booleans, values, the file name of LAUNCH, SET and variable references).
//
// Input: parts separated by NUL bytes. The first byte of part 0 (a digit) chooses the evaluation,
// the rest of part 0 is its text; parts 1..10, when present, are the values of S1..S10 (so values
// that refer to variables, themselves included, are reached at once).
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "base/exceptions.h"
#include "fuzz_support.h"
#include "script/variables.h"
#include "tagdoc/text.h"

namespace {

using wiz::LString;
using wiz::scriptVariables;

// The evaluator as the interpreter uses it, at a line number of its own.
class Evaluator : public wiz::ScriptEvaluator {
public:
    Evaluator() { currentLine_ = 6; }
};

// readLongNumber and readShortNumber read what strtol reads, and only values that fit.
void checkNumberReading(const std::string& text) {
    if (text.find('\0') != std::string::npos) return;
    errno = 0;
    char* end = nullptr;
    const long long reference = std::strtoll(text.c_str(), &end, 10);
    const bool referenceRead = end != text.c_str() && errno != ERANGE;

    int32_t value = 0;
    const bool read = wiz::readLongNumber(LString(text), value);
    const bool fits = referenceRead && reference >= INT32_MIN && reference <= INT32_MAX;
    if (read != fits || (read && value != reference)) {
        wizfuzz::finding("readLongNumber(" + wizfuzz::shown(text) +
                         ") = " + (read ? std::to_string(value) : "no number"));
    }
    int16_t shortValue = 0;
    const bool readShort = wiz::readShortNumber(LString(text), shortValue);
    const bool fitsShort = referenceRead && reference >= INT16_MIN && reference <= INT16_MAX;
    if (readShort != fitsShort || (readShort && shortValue != reference)) {
        wizfuzz::finding("readShortNumber(" + wizfuzz::shown(text) +
                         ") = " + (readShort ? std::to_string(shortValue) : "no number"));
    }
}

bool anyValueHolds(char c) {
    for (int32_t n = 1; n <= wiz::ScriptVariables::stringCount; ++n) {
        if (scriptVariables.string(n).find(c) != LString::npos) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const std::vector<std::string> parts = wizfuzz::splitParts(data, size, 11);
    if (parts[0].empty()) return 0;
    // "0".."9" (any other byte chooses one too).
    const unsigned op = static_cast<unsigned char>(parts[0][0] - '0') % 10;
    const LString text(parts[0].substr(1));

    scriptVariables = wiz::ScriptVariables();
    const int32_t numbers[] = {0, 1, -3, INT32_MAX, INT32_MIN};
    for (int32_t n = 1; n <= wiz::ScriptVariables::numericCount; ++n) {
        scriptVariables.setNumeric(n, numbers[n - 1]);
    }
    for (size_t i = 1; i < parts.size(); ++i) {
        scriptVariables.setString(static_cast<int32_t>(i), LString(parts[i]));
    }

    Evaluator evaluator;
    const LString context = "Fuzz context.";
    try {
        switch (op) {
            case 0: {
                LString t = text;
                evaluator.substituteVariables(t, context);
                // Without "@@" in the text and "@" in any value, every "@" belongs to a reference
                // that was replaced.
                if (text.find("@@") == LString::npos && !anyValueHolds('@') &&
                    t.find('@') != LString::npos) {
                    wizfuzz::finding("an @ left after substituting " + wizfuzz::shown(text.str()));
                }
                break;
            }
            case 1:
                (void)evaluator.readInteger(text, context);
                break;
            case 2:
                (void)evaluator.readShort(text, context);
                break;
            case 3:
                (void)evaluator.readBoolean(text, context);
                break;
            case 4:
            case 5: {
                LString t = text;
                evaluator.readValue(t, context, op == 5);
                break;
            }
            case 6: {
                // LAUNCH's arguments: the file name, then the seconds from where it stopped.
                LString::size_type position = 0;
                (void)evaluator.readFileArgument(text, position, context);
                if (position > text.length()) wizfuzz::finding("readFileArgument past the end");
                (void)evaluator.readShort(wiz::nextWord(text, position), LString());
                break;
            }
            case 7:
                evaluator.executeSet(text, 0);
                break;
            case 8: {
                wiz::VariableRef ref;
                ref.parse(text, context);
                const LString before = ref.valueText();
                ref.assign(before, context);
                if (ref.valueText() != before) wizfuzz::finding("a value does not assign back");
                break;
            }
            case 9:
                checkNumberReading(text.str());
                break;
        }
    } catch (const wiz::InstructionsException& e) {
        if (e.line() != 7) wizfuzz::finding("script error without the evaluator's line");
    } catch (const wiz::LauncherException&) {
    }
    scriptVariables = wiz::ScriptVariables();
    return 0;
}
