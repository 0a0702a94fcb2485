#include "script/variables.h"

#include <gtest/gtest.h>

#include <string>

#include "base/exceptions.h"

using namespace wiz;

namespace {

class Variables : public ::testing::Test {
protected:
    void SetUp() override { scriptVariables = ScriptVariables(); }
    void TearDown() override { scriptVariables = ScriptVariables(); }

    // Runs `f` and returns "I<line>:<message>" for a script error, "L:<message>" for a
    // LauncherException, "ok:<value>" otherwise.
    template <typename F>
    static std::string outcome(F f) {
        try {
            return "ok:" + f();
        } catch (const InstructionsException& e) {
            return "I" + std::to_string(e.line()) + ":" + e.message().str();
        } catch (const LauncherException& e) {
            return "L:" + e.message().str();
        }
    }

    ScriptEvaluator evaluator;
};

TEST_F(Variables, StoreAcceptsOnlyItsVariableNumbers) {
    EXPECT_TRUE(ScriptVariables::isValidNumeric(5));
    EXPECT_FALSE(ScriptVariables::isValidNumeric(0));
    EXPECT_FALSE(ScriptVariables::isValidNumeric(6));
    EXPECT_TRUE(ScriptVariables::isValidString(10));
    EXPECT_FALSE(ScriptVariables::isValidString(0));
    EXPECT_FALSE(ScriptVariables::isValidString(11));

    scriptVariables.setNumeric(5, -7);
    scriptVariables.setString(10, "ten");
    EXPECT_EQ(scriptVariables.numeric(5), -7);
    EXPECT_EQ(scriptVariables.string(10).str(), "ten");

    EXPECT_EQ(outcome([] { return std::to_string(scriptVariables.numeric(6)); }),
              "L:Invalid numeric variable number: 6");
    EXPECT_EQ(outcome([] {
                  scriptVariables.setNumeric(0, 1);
                  return std::string();
              }),
              "L:Invalid numeric variable number: 0");
    EXPECT_EQ(outcome([] { return scriptVariables.string(11).str(); }),
              "L:Invalid string variable number: 11");
    EXPECT_EQ(outcome([] {
                  scriptVariables.setString(-1, "x");
                  return std::string();
              }),
              "L:Invalid string variable number: -1");
}

TEST_F(Variables, NumbersReadLikeTheCLibraryConversion) {
    struct Case {
        const char* text;
        bool reads;
        int32_t value;
    };
    const Case cases[] = {
        {"12", true, 12},
        {"12abc", true, 12},
        {" \t-3", true, -3},
        {"+7 8", true, 7},
        {"a1", false, 0},
        {"", false, 0},
        {"-", false, 0},
        {"- 1", false, 0},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"99999999999999999999", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 0;
        EXPECT_EQ(readLongNumber(c.text, value), c.reads) << c.text;
        if (c.reads) {
            EXPECT_EQ(value, c.value) << c.text;
        }
    }
    int16_t s = 0;
    EXPECT_TRUE(readShortNumber("-32768", s));
    EXPECT_EQ(s, -32768);
    EXPECT_TRUE(readShortNumber("5s", s));
    EXPECT_EQ(s, 5);
    EXPECT_FALSE(readShortNumber("32768", s));
}

TEST_F(Variables, ReferenceParsing) {
    struct Case {
        const char* text;
        const char* expected;  // "N3"-style result or the error message
    };
    const Case cases[] = {
        {"N1", "N1"},
        {"n5", "N5"},
        {"S10", "S10"},
        {"s1", "S1"},
        {"N1x", "N1"},
        {"N0", "ctx Variable number is invalid (0)"},
        {"N6", "ctx Variable number is invalid (6)"},
        {"S0", "ctx Variable number is invalid (0)"},
        {"S11", "ctx Variable number is invalid (11)"},
        {"Nx", "ctx Variable number is invalid (x)"},
        {"N", "ctx Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"", "ctx Variable references must be at least 2 characters (e.g. N1 and S10)."},
        {"X1",
         "ctx Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 or "
         "S1."},
    };
    for (const Case& c : cases) {
        std::string got;
        try {
            VariableRef ref;
            ref.parse(c.text, "ctx");
            got = std::string(1, ref.type()) + std::to_string(ref.number());
        } catch (const LauncherException& e) {
            got = e.message().str();
        }
        EXPECT_EQ(got, c.expected) << c.text;
    }
}

TEST_F(Variables, AssignAndValueText) {
    VariableRef n;
    n.parse("N2", "");
    n.assign(" -12 apples", "ctx");
    EXPECT_EQ(scriptVariables.numeric(2), -12);
    EXPECT_EQ(n.valueText().str(), "-12");
    EXPECT_EQ(outcome([&] {
                  n.assign("apples", "ctx");
                  return std::string();
              }),
              "L:ctx Invalid numeric expression in apples");
    EXPECT_EQ(scriptVariables.numeric(2), -12);

    VariableRef s;
    s.parse("S3", "");
    s.assign("any text 1", "ctx");
    EXPECT_EQ(scriptVariables.string(3).str(), "any text 1");
    EXPECT_EQ(s.valueText().str(), "any text 1");
}

TEST_F(Variables, Substitution) {
    scriptVariables.setNumeric(1, -3);
    scriptVariables.setString(1, "abc");
    scriptVariables.setString(2, "x@N1@y");  // a value holding a reference is expanded too
    scriptVariables.setString(4, "-@S1@");
    struct Case {
        const char* text;
        const char* expected;  // "ok:" + result or the outcome of a failure
    };
    const Case cases[] = {
        {"@N1@", "ok:-3"},
        {"a@s1@b@N1@", "ok:aabcb-3"},
        {"@S3@", "ok:"},
        {"@S2@", "ok:x-3y"},
        {"@S4@!", "ok:-abc!"},
        {"no references", "ok:no references"},
        {"@@", "ok:@"},
        {"a@@b@@c", "ok:a@b@c"},
        {"@@@@", "ok:@@"},
        // After a pass that replaced a reference, the @ left by @@ opens a new reference.
        {"@@@N1@", "I1:ctx Invalid variable specification."},
        {"@N1@@@", "I1:ctx Invalid variable specification."},
        {"@N1", "I1:ctx Invalid variable specification."},
        {"", "I1:ctx Empty expression."},
        {"@N9@", "L:ctx Variable number is invalid (9)"},
        {"@X1@",
         "L:ctx Invalid variable reference (X1). Must use N or S as the variable type, e.g. N2 "
         "or S1."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(outcome([&] {
                      LString t(c.text);
                      evaluator.substituteVariables(t, "ctx");
                      return t.str();
                  }),
                  c.expected)
            << c.text;
    }
}

TEST_F(Variables, ValuesTheLauncherFoundAreNeverReadForReferences) {
    // FIND_JVM's home and JVM file: paths in folders named with "@".
    scriptVariables.setInsertedString(1, "/opt/a@b@@c@S2@");
    scriptVariables.setInsertedString(2, "/tmp/me@home/LRE1.tmp");
    scriptVariables.setNumeric(1, 7);
    struct Case {
        const char* text;
        const char* expected;
    } cases[] = {
        {"@S1@", "/opt/a@b@@c@S2@"},
        {"x@S2@ @N1@", "x/tmp/me@home/LRE1.tmp 7"},
    };
    for (const Case& c : cases) {
        LString t(c.text);
        evaluator.substituteVariables(t, "ctx");
        EXPECT_EQ(t.str(), c.expected) << c.text;
    }
    // A copy made with SET keeps the path as it is, and references around it still count.
    evaluator.executeSet("SET S3 = \"[@S2@]@N1@\"", 3);
    LString t("@S3@");
    evaluator.substituteVariables(t, "ctx");
    EXPECT_EQ(t.str(), "[/tmp/me@home/LRE1.tmp]7");
}

TEST_F(Variables, SelfReferencingValuesEndWithAnError) {
    const char* const expected =
        "I1:ctx Variable substitution does not end (a string variable refers to itself).";
    struct Case {
        const char* s1;
        const char* s2;
    };
    const Case cases[] = {
        {"x@S1@", ""},       // grows inside one pass
        {"@@S1@@", ""},      // re-creates its own reference around itself
        {"a@S2@", "b@S1@"},  // through another variable
    };
    for (const Case& c : cases) {
        scriptVariables.setString(1, c.s1);
        scriptVariables.setString(2, c.s2);
        EXPECT_EQ(outcome([&] {
                      LString t("@S1@");
                      evaluator.substituteVariables(t, "ctx");
                      return std::string("ended with ") + std::to_string(t.length());
                  }),
                  expected)
            << c.s1;
    }
}

TEST_F(Variables, LongSelfReferencingValuesStopBeforeTheyTakeMuchMemory) {
    // Each replacement inserts the whole value: a long value that refers to itself reaches the
    // growth bound after a few dozen replacements, long before the replacement bound.
    const std::string big(100 * 1024, 'v');
    const char* const expected =
        "I1:ctx Variable substitution makes the text longer than it may grow (4 MB more; a string "
        "variable refers to itself).";
    for (const std::string& value : {big + "@S1@", big + "@S1@" + big}) {
        scriptVariables.setString(1, LString(value));
        EXPECT_EQ(outcome([&] {
                      LString t("x@S1@x");
                      evaluator.substituteVariables(t, "ctx");
                      return std::string("ended with ") + std::to_string(t.length());
                  }),
                  expected)
            << value.size();
    }
    // A long value without a reference to itself is inserted whole.
    scriptVariables.setString(1, LString(big));
    LString t("@S1@@S1@");
    evaluator.substituteVariables(t, "ctx");
    EXPECT_EQ(t.length(), 2 * big.size());
}

TEST_F(Variables, IntegerShortAndBooleanArguments) {
    scriptVariables.setNumeric(1, 2);
    scriptVariables.setString(1, "40000");
    auto integer = [&](const char* t, const char* ctx) {
        return outcome([&] { return std::to_string(evaluator.readInteger(t, ctx)); });
    };
    auto shortValue = [&](const char* t) {
        return outcome([&] { return std::to_string(evaluator.readShort(t, "")); });
    };
    auto boolean = [&](const char* t) {
        return outcome([&] { return std::to_string(evaluator.readBoolean(t, "")); });
    };
    EXPECT_EQ(integer("12abc", ""), "ok:12");
    EXPECT_EQ(integer("@N1@", ""), "ok:2");
    EXPECT_EQ(integer("@S1@", ""), "ok:40000");
    // The integer detail follows the context without a blank.
    EXPECT_EQ(integer("a1", ""), "I1:Invalid numeric expression (a1)");
    EXPECT_EQ(integer("x@N1@", "ctx"), "I1:ctxInvalid numeric expression (x2)");
    EXPECT_EQ(integer("", ""), "I1: Empty expression.");

    EXPECT_EQ(shortValue("-5"), "ok:-5");
    EXPECT_EQ(shortValue("@S1@"), "I1: Invalid numeric expression (40000)");
    EXPECT_EQ(shortValue("seconds"), "I1: Invalid numeric expression (seconds)");

    EXPECT_EQ(boolean("0"), "ok:0");
    EXPECT_EQ(boolean("1"), "ok:1");
    // The boolean error quotes the argument as written, before substitution.
    EXPECT_EQ(boolean("@N1@"), "I1: Invalid boolean value (@N1@)");
    EXPECT_EQ(boolean("-1"), "I1: Invalid boolean value (-1)");
    EXPECT_EQ(boolean("yes"), "I1:Invalid numeric expression (yes)");
}

TEST_F(Variables, Values) {
    scriptVariables.setString(1, "abc");
    const struct {
        const char* text;
        const char* expected;
    } cases[] = {
        {"", "ok:"},
        // A value that is empty once unquoted is an empty expression (only SET allows it).
        {"\"\"", "I1:ctx Empty expression."},
        {"\"a b\"", "ok:a b"},
        {"a b", "ok:a"},
        {"\"say \"\"hi\"\"\"", "ok:say \"hi\""},
        {"\"@S1@ x\" ignored", "ok:abc x"},
        {"@S1@", "ok:abc"},
        {"\"abc", "L:Expected double quote to end argument near 1"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(outcome([&] {
                      LString t(c.text);
                      evaluator.readValue(t, "ctx");
                      return t.str();
                  }),
                  c.expected)
            << c.text;
    }
}

TEST_F(Variables, FileArguments) {
    scriptVariables.setString(2, "/tmp/jvm file");
    const struct {
        const char* line;  // the text after the command word
        const char* expected;
        const char* rest;  // what the next argument starts with
    } cases[] = {
        {"C:\\jvm 5", "ok:C:\\jvm", "5"},
        {"  \"C:\\My Files\\jvm\" 5", "ok:C:\\My Files\\jvm", " 5"},
        {"\"a \"\"q\"\" b\" 0", "ok:a \"q\" b", " 0"},
        {"\"@S2@\" 0", "ok:/tmp/jvm file", " 0"},
        {"@S2@ 0", "ok:/tmp/jvm file", "0"},
        {"", "ok:", ""},
        {"\"\" 3", "I1:ctx Empty expression.", " 3"},
        {"\"C:\\My Files 5", "L:Expected ending quote in \"C:\\My Files 5:  ctx", ""},
        {"\"a\"\"", "L:Expected ending quote in \"a\"\":  ctx", ""},
    };
    for (const auto& c : cases) {
        const LString line(c.line);
        LString::size_type position = 0;
        EXPECT_EQ(outcome([&] { return evaluator.readFileArgument(line, position, "ctx").str(); }),
                  c.expected)
            << c.line;
        if (std::string(c.expected).rfind("ok:", 0) == 0) {
            EXPECT_EQ(position < line.length() ? line.substr(position).str() : "", c.rest)
                << c.line;
        }
    }
}

TEST_F(Variables, SetStatements) {
    const struct {
        const char* statement;  // the text after "SET "
        const char* variable;
        const char* expected;  // "ok:" + the variable's value afterwards, or the failure
    } cases[] = {
        {"N2 = @N1@", "N2", "ok:4"},
        {"s10=tight", "S10", "ok:tight"},
        {"S1 = \"two  words\"", "S1", "ok:two  words"},
        {"S1 = two  words", "S1", "ok:two"},
        {"N1 = 5 6", "N1", "ok:5"},
        {"N3 = 12abc", "N3", "ok:12"},
        {"S1 = \"say \"\"hi\"\"\"", "S1", "ok:say \"hi\""},
        {"S1 =", "S1", "ok:"},
        {"S1 = \"\"", "S1", "ok:"},
        {"S1 = a=b", "S1", "ok:a=b"},
        {"S1 = @@home", "S1", "ok:@home"},
        {"N1 =", "N1", "I1:Invalid value specified for SET command Invalid numeric expression in "},
        {"N1 = abc", "N1",
         "I1:Invalid value specified for SET command Invalid numeric expression in abc"},
        {"S1 \"x\"", "S1", "I1:SET statement is missing =."},
        {"", "S1", "I1:SET statement is missing =."},
        {"X1 = 3", "S1",
         "I1:Invalid variable specified on left hand side of SET statement. Invalid variable "
         "reference (X1). Must use N or S as the variable type, e.g. N2 or S1."},
        {"@S1@ = 3", "S1",
         "I1:Invalid variable specified on left hand side of SET statement. Invalid variable "
         "reference (@S1@). Must use N or S as the variable type, e.g. N2 or S1."},
        {"N7 = 3", "S1",
         "I1:Invalid variable specified on left hand side of SET statement. Variable number is "
         "invalid (7)"},
        {"S1 = @X1@", "S1",
         "I1:Invalid expression specified for SET command Invalid variable reference (X1). Must "
         "use N or S as the variable type, e.g. N2 or S1."},
        {"S1 = @N1", "S1",
         "I1:Invalid expression specified for SET command Invalid variable "
         "specification."},
        {"S1 = \"open", "S1", "I1:Expected double quote to end argument near 1"},
    };
    for (const auto& c : cases) {
        scriptVariables = ScriptVariables();
        scriptVariables.setNumeric(1, 4);
        scriptVariables.setString(1, "old");
        const LString line = LString("SET ") + c.statement;
        EXPECT_EQ(outcome([&] {
                      evaluator.executeSet(line, 4);
                      VariableRef ref;
                      ref.parse(c.variable, "");
                      return ref.valueText().str();
                  }),
                  c.expected)
            << c.statement;
    }
}

TEST_F(Variables, SelfReferenceNearTheStartOfAValueStopsAfterBoundedWork) {
    // Each replacement moves the text after the reference: with the reference near the start of
    // a value of a thousand bytes, the text grows by a thousand bytes and is rewritten whole at
    // every replacement. The work bound stops it long before the growth bound would (seconds),
    // which stops it with another message.
    scriptVariables.setString(1, LString("y@S1@" + std::string(1000, 'x')));
    EXPECT_EQ(outcome([&] {
                  LString t("@S1@");
                  evaluator.substituteVariables(t, "ctx");
                  return std::string("ended with ") + std::to_string(t.length());
              }),
              "I1:ctx Variable substitution does not end (a string variable refers to itself).");
}

}  // namespace
