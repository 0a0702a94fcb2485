// The instruction script's variables (N1..N5 numeric, S1..S10 text), references to them
// ("N2", "s10"), their substitution in argument text ("@N1@", "@@"), and the evaluation of the
// argument kinds that the commands read.
#pragma once

#include <cstdint>

#include "base/expansion_text.h"
#include "base/lstring.h"

namespace wiz {

// Reads text the way the conversion "%ld" does: leading white space, an optional sign, then
// digits up to the first other character; the rest of the text is ignored. False when the text
// does not start with a number or the number does not fit into 32 bits.
bool readLongNumber(const LString& text, int32_t& value);
// The same for 16-bit values ("%hd").
bool readShortNumber(const LString& text, int16_t& value);
// Whether the text refers to a variable ("@N1@"; "@@" alone stands for "@" and refers to none).
bool holdsReference(const LString& text);

class ScriptVariables {
public:
    static constexpr int32_t numericCount = 5;
    static constexpr int32_t stringCount = 10;

    static bool isValidNumeric(int32_t n) { return n >= 1 && n <= numericCount; }
    static bool isValidString(int32_t n) { return n >= 1 && n <= stringCount; }

    // For an invalid number these throw LauncherException
    // "Invalid numeric variable number: <n>" / "Invalid string variable number: <n>".
    int32_t numeric(int32_t n) const;
    void setNumeric(int32_t n, int32_t value);
    LString string(int32_t n) const;
    // A value as the script wrote it: references in it are substituted when it is.
    void setString(int32_t n, const LString& text);
    // A value the launcher found (a JVM home, a JVM file's path): inserted as it is wherever it
    // is substituted, never read for references, whatever "@" it holds.
    void setInsertedString(int32_t n, const LString& text);
    // The value with what the launcher inserted into it marked.
    const ExpansionText& stringText(int32_t n) const;
    void setStringText(int32_t n, const ExpansionText& text);

private:
    int32_t numeric_[numericCount] = {};
    ExpansionText string_[stringCount];
};

// The process-wide variables, shared by the interpreter and the JVM actions (tests start from a
// fresh value: scriptVariables = ScriptVariables()).
extern ScriptVariables scriptVariables;

// A parsed variable reference: a type letter (N or S) and a variable number.
class VariableRef {
public:
    // Parses "N1".."N5" or "S1".."S10" (letter in either case). Failures throw LauncherException
    // with `context` + " " + the reason.
    void parse(const LString& text, const LString& context);
    // N: `valueText` must read as a number, else LauncherException
    // `context` + " Invalid numeric expression in " + valueText. S: stores the text, with what
    // the launcher inserted into it.
    void assign(const ExpansionText& valueText, const LString& context) const;
    void assign(const LString& valueText, const LString& context) const {
        assign(ExpansionText(valueText), context);
    }
    // What `valueText` reads as for a numeric variable, with the failure of assign.
    static int32_t numericValue(const LString& valueText, const LString& context);
    // The value as text (numbers in decimal).
    LString valueText() const { return value().text(); }
    ExpansionText value() const;

    char type() const { return type_; }
    int32_t number() const { return number_; }

private:
    char type_ = 'N';
    int32_t number_ = 0;
};

// Evaluation of command arguments. Its errors are script errors that carry the 1-based number
// of the line being executed (`currentLine_` + 1); the interpreter derives from it.
class ScriptEvaluator {
public:
    // Substitution stops with a script error after this many replacements: a string variable
    // whose value contains a reference to itself (directly or through others) would otherwise
    // be expanded without end, growing the text until memory runs out.
    static constexpr int32_t maxSubstitutions = 10000;
    // Substitution also stops with a script error once the text has grown by this many bytes:
    // each replacement inserts a whole value, so a long value that refers to itself would
    // otherwise take memory and time far beyond the replacement bound.
    static constexpr LString::size_type maxGrowth = 4u * 1024 * 1024;
    // And once its replacements have rewritten this many bytes in all: each one moves the text
    // after the reference, so a value of a few hundred bytes that refers to itself near its start
    // would rewrite megabytes thousands of times (seconds of work) within the two bounds above.
    static constexpr uint64_t maxRewritten = 64u * 1024 * 1024;

    virtual ~ScriptEvaluator() = default;

    // Throws InstructionsException(message, currentLine_ + 1).
    [[noreturn]] void instructionError(const LString& message) const;

    // Replaces every "@name@" by the variable's value and "@@" by "@", in passes until a pass
    // replaces no reference. A bad reference name throws LauncherException. The characters of a
    // value the launcher inserted (setInsertedString) are never read as "@".
    void substituteVariables(LString& text, const LString& context) const;
    void substituteVariables(ExpansionText& text, const LString& context) const;
    int32_t readInteger(const LString& text, const LString& context) const;
    int16_t readShort(const LString& text, const LString& context) const;
    bool readBoolean(const LString& text, const LString& context) const;
    // Unquotes a text that begins with a double quote, or keeps the first word of any other;
    // then substitutes references. An empty text stays empty; a value that is empty once
    // unquoted ("") is an empty expression (a script error), except with `emptyAllowed` (the
    // right-hand side of SET, where it clears the variable).
    void readValue(LString& text, const LString& context, bool emptyAllowed = false) const;
    // Reads a possibly quoted file name at `position` of `line` and evaluates it with readValue;
    // `position` is left after the argument.
    LString readFileArgument(const LString& line, LString::size_type& position,
                             const LString& context) const;
    // "SET <variable> = <value>", with `position` just after the command word.
    void executeSet(const LString& line, LString::size_type position) const;

    int32_t currentLine() const { return currentLine_; }

protected:
    int32_t currentLine_ = 0;
    // Set while a script is checked rather than run: arguments are read and their syntax and
    // literals judged as when they run, but a variable's value is not known yet, so a text that
    // refers to one has its references checked and stands for a value that fits (0 for a
    // number). Nothing is assigned.
    bool checking_ = false;

private:
    LString substituted(const LString& text, const LString& context) const;
    // readValue, keeping what the launcher inserted marked (for SET).
    ExpansionText valueOf(const LString& text, const LString& context, bool emptyAllowed) const;
};

}  // namespace wiz
