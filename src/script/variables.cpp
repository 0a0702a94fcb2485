#include "script/variables.h"

#include "base/chars.h"
#include "base/exceptions.h"
#include "base/text_quote.h"
#include "tagdoc/text.h"

namespace wiz {

ScriptVariables scriptVariables;

namespace {

// Decimal number at the start of `text` (after white space, with an optional sign); the rest of
// the text is ignored. Values outside min..max do not read, so no script sees a value that
// silently wrapped around.
bool readNumber(const LString& text, int64_t min, int64_t max, int64_t& value) {
    LString::size_type i = 0;
    const LString::size_type len = text.length();
    while (i < len && isWhiteSpace(text[i])) ++i;
    bool negative = false;
    if (i < len && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    if (i >= len || text[i] < '0' || text[i] > '9') return false;
    const int64_t limit = negative ? -min : max;
    int64_t magnitude = 0;
    bool fits = true;
    for (; i < len && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (fits) {
            magnitude = magnitude * 10 + (text[i] - '0');
            if (magnitude > limit) fits = false;
        }
    }
    if (!fits) return false;
    value = negative ? -magnitude : magnitude;
    return true;
}

}  // namespace

bool readLongNumber(const LString& text, int32_t& value) {
    int64_t v = 0;
    if (!readNumber(text, INT32_MIN, INT32_MAX, v)) return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool readShortNumber(const LString& text, int16_t& value) {
    int64_t v = 0;
    if (!readNumber(text, INT16_MIN, INT16_MAX, v)) return false;
    value = static_cast<int16_t>(v);
    return true;
}

bool holdsReference(const LString& text) {
    for (LString::size_type at = text.find('@'); at != LString::npos;) {
        const LString::size_type close = text.find('@', at + 1);
        if (close == LString::npos) return false;
        if (close > at + 1) return true;
        at = text.find('@', close + 1);
    }
    return false;
}

// ScriptVariables

namespace {
[[noreturn]] void invalidNumeric(int32_t n) {
    throw LauncherException("Invalid numeric variable number: " + numberToString(n));
}
[[noreturn]] void invalidString(int32_t n) {
    throw LauncherException("Invalid string variable number: " + numberToString(n));
}
}  // namespace

int32_t ScriptVariables::numeric(int32_t n) const {
    if (!isValidNumeric(n)) invalidNumeric(n);
    return numeric_[n - 1];
}

void ScriptVariables::setNumeric(int32_t n, int32_t value) {
    if (!isValidNumeric(n)) invalidNumeric(n);
    numeric_[n - 1] = value;
}

LString ScriptVariables::string(int32_t n) const { return stringText(n).text(); }

const ExpansionText& ScriptVariables::stringText(int32_t n) const {
    if (!isValidString(n)) invalidString(n);
    return string_[n - 1];
}

void ScriptVariables::setString(int32_t n, const LString& text) {
    setStringText(n, ExpansionText(text));
}

void ScriptVariables::setInsertedString(int32_t n, const LString& text) {
    setStringText(n, ExpansionText::inserted(text));
}

void ScriptVariables::setStringText(int32_t n, const ExpansionText& text) {
    if (!isValidString(n)) invalidString(n);
    string_[n - 1] = text;
}

// VariableRef

void VariableRef::parse(const LString& text, const LString& context) {
    const LString message = context + " ";
    if (text.length() < 2) {
        throw LauncherException(message +
                                "Variable references must be at least 2 characters (e.g. N1 "
                                "and S10).");
    }
    char letter = text[0];
    if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 'a' + 'A');
    if (letter != 'N' && letter != 'S') {
        throw LauncherException(message + "Invalid variable reference (" + quoteForMessage(text) +
                                "). Must use N or S as the variable type, e.g. N2 or S1.");
    }
    const LString numberText = text.substr(1);
    int32_t number = 0;
    const bool valid = readLongNumber(numberText, number) &&
                       (letter == 'N' ? ScriptVariables::isValidNumeric(number)
                                      : ScriptVariables::isValidString(number));
    if (!valid)
        throw LauncherException(message + "Variable number is invalid (" +
                                quoteForMessage(numberText) + ")");
    type_ = letter;
    number_ = number;
}

int32_t VariableRef::numericValue(const LString& valueText, const LString& context) {
    int32_t value = 0;
    if (!readLongNumber(valueText, value)) {
        throw LauncherException(context + " " + "Invalid numeric expression in " +
                                quoteForMessage(valueText));
    }
    return value;
}

void VariableRef::assign(const ExpansionText& valueText, const LString& context) const {
    if (type_ == 'S') {
        scriptVariables.setStringText(number_, valueText);
        return;
    }
    scriptVariables.setNumeric(number_, numericValue(valueText.text(), context));
}

ExpansionText VariableRef::value() const {
    return type_ == 'S' ? scriptVariables.stringText(number_)
                        : ExpansionText(numberToString(scriptVariables.numeric(number_)));
}

// ScriptEvaluator

void ScriptEvaluator::instructionError(const LString& message) const {
    throw InstructionsException(message, currentLine_ + 1);
}

void ScriptEvaluator::substituteVariables(LString& text, const LString& context) const {
    ExpansionText expanded(text);
    substituteVariables(expanded, context);
    text = expanded.text();
}

void ScriptEvaluator::substituteVariables(ExpansionText& text, const LString& context) const {
    if (text.empty()) instructionError(context + " " + "Empty expression.");
    if (checking_ && holdsReference(text.text())) {
        // Each reference must name a variable; the text stays as it is.
        for (LString::size_type at = text.find('@'); at != LString::npos;) {
            const LString::size_type close = text.find('@', at + 1);
            if (close == LString::npos) {
                instructionError(context + " " + "Invalid variable specification.");
            }
            if (close > at + 1) {
                VariableRef ref;
                ref.parse(text.substr(at + 1, close - at - 1).text(), context);
            }
            at = text.find('@', close + 1);
        }
        return;
    }
    int32_t substitutions = 0;
    uint64_t rewritten = 0;
    const uint64_t limit = static_cast<uint64_t>(text.length()) + maxGrowth;
    for (;;) {
        bool changed = false;
        LString::size_type at = text.find('@');
        while (at != LString::npos) {
            const LString::size_type close = text.find('@', at + 1);
            if (close == LString::npos) {
                instructionError(context + " " + "Invalid variable specification.");
            }
            if (close > at + 1) {
                rewritten += text.length() - at;
                if (++substitutions > maxSubstitutions || rewritten > maxRewritten) {
                    instructionError(context + " " +
                                     "Variable substitution does not end (a string variable "
                                     "refers to itself).");
                }
                VariableRef ref;
                ref.parse(text.text().substr(at + 1, close - at - 1), context);
                const ExpansionText value = ref.value();
                if (static_cast<uint64_t>(text.length()) - (close - at + 1) + value.length() >
                    limit) {
                    instructionError(context + " " +
                                     "Variable substitution makes the text longer than it may "
                                     "grow (4 MB more; a string variable refers to itself).");
                }
                text.replace(at, close - at + 1, value);
                changed = true;
            } else {
                text.erase(close, 1);  // "@@" stands for one "@"
            }
            // Searching goes on inside the value put in, from its second character; the
            // characters of a value the launcher inserted are passed over.
            at = text.find('@', at + 1);
        }
        if (!changed) break;
    }
}

LString ScriptEvaluator::substituted(const LString& text, const LString& context) const {
    LString t = text;
    substituteVariables(t, context);
    // A checked number whose value comes from a variable: any number will do.
    if (checking_ && holdsReference(t)) return "0";
    return t;
}

int32_t ScriptEvaluator::readInteger(const LString& text, const LString& context) const {
    const LString t = substituted(text, context);
    int32_t value = 0;
    if (!readLongNumber(t, value)) {
        instructionError(context + "Invalid numeric expression (" + quoteForMessage(t) + ")");
    }
    return value;
}

int16_t ScriptEvaluator::readShort(const LString& text, const LString& context) const {
    const LString t = substituted(text, context);
    int16_t value = 0;
    if (!readShortNumber(t, value)) {
        instructionError(context + " Invalid numeric expression (" + t + ")");
    }
    return value;
}

bool ScriptEvaluator::readBoolean(const LString& text, const LString& context) const {
    const int32_t value = readInteger(text, context);
    if (value != 0 && value != 1) {
        instructionError(context + " Invalid boolean value (" + quoteForMessage(text) + ")");
    }
    return value == 1;
}

void ScriptEvaluator::readValue(LString& text, const LString& context, bool emptyAllowed) const {
    text = valueOf(text, context, emptyAllowed).text();
}

ExpansionText ScriptEvaluator::valueOf(const LString& text, const LString& context,
                                       bool emptyAllowed) const {
    if (text.empty()) return ExpansionText();
    const bool quoted = text[0] == '"';
    LString::size_type cursor = quoted ? 1 : 0;
    ExpansionText value(nextArgument(text, cursor, quoted));
    if (value.empty() && emptyAllowed) return value;
    substituteVariables(value, context);
    return value;
}

LString ScriptEvaluator::readFileArgument(const LString& line, LString::size_type& position,
                                          const LString& context) const {
    LString result;
    const LString::size_type len = line.length();
    if (position < len) {
        while (position < len && isBlank(line[position])) ++position;
        const bool quoted = position < len && line[position] == '"';
        if (quoted) result += line[position++];
        bool closed = false;
        while (position < len && !closed) {
            const char c = line[position++];
            if (!quoted) {
                if (isBlank(c)) break;  // the blank is consumed, not copied
                result += c;
            } else if (c != '"') {
                result += c;
            } else if (position < len && line[position] == '"') {
                // A pair of quotes stands for one quote and does not end the argument.
                result += c;
                result += line[position++];
            } else {
                result += c;
                closed = true;
            }
        }
        if (quoted && !closed) {
            throw LauncherException("Expected ending quote in " + quoteForMessage(result) + ":  " +
                                    context);
        }
    }
    readValue(result, context);
    return result;
}

void ScriptEvaluator::executeSet(const LString& line, LString::size_type position) const {
    LString rest = position < line.length() ? line.substr(position) : LString();
    trim(rest);
    const LString::size_type eq = rest.find('=');
    if (eq == LString::npos) instructionError("SET statement is missing =.");
    try {
        LString left = rest.substr(0, eq);
        VariableRef ref;
        ref.parse(trim(left), "Invalid variable specified on left hand side of SET statement.");
        LString right = rest.substr(eq + 1);
        trim(right);
        // SET S1 = "" clears the variable.
        const ExpansionText value =
            valueOf(right, "Invalid expression specified for SET command", true);
        const LString context = "Invalid value specified for SET command";
        if (!checking_) {
            ref.assign(value, context);
        } else if (ref.type() == 'N' && !holdsReference(value.text())) {
            VariableRef::numericValue(value.text(), context);
        }
    } catch (const LauncherException& e) {
        instructionError(e.message());
    }
}

}  // namespace wiz
