// The embedded run: a stop comes back as a value, with its place taken from the cursor (or from
// where lexing stopped) in the text as written; output goes to the caller's sink; and a run
// frees what it made, so runs can follow one another in one process.
#include "embed.h"

#include <gtest/gtest.h>

#include <string>

#include "lexer.h"

namespace {

struct PlaceCase {
    const char* name;
    std::string script;
    const char* message;
    int32_t line, column;
};

std::string many_tokens() {
    std::string text;
    for (int i = 0; i < MAX_TOKENS; i++) text += "x ";
    return text + "@";  // the lexer refuses the 1000th token before it reaches the "@"
}

const PlaceCase place_cases[] = {
    {"undefined name at statement start", "x = 1;", "Undefined variable: x", 1, 1},
    {"undefined print item", "var a = 1;\nprint(a, b);", "Undefined variable: b", 2, 10},
    {"undefined in an expression", "var a = (1 +\n  zz);", "Undefined variable: zz", 2, 3},
    {"missing ';' stands after the token before", "var a = 1\nprint(a);", "Expected ';'", 1, 10},
    {"missing '(' after print", "print 1;", "Expected '(' after print", 1, 6},
    {"name without '='", "var a = 1;\n  a + 1;", "Unexpected identifier", 2, 3},
    {"operand missing before a ';'", "var a = 1 +\n;", "Expected expression", 1, 12},
    {"wrong token where an operand belongs", "var a = 1 + print;", "Expected expression", 1, 13},
    {"name missing before '='", "var = 1;", "Expected variable name", 1, 5},
    {"end of text where an operand belongs", "var a = 1 +", "Expected expression", 1, 12},
    {"skipped block never closed", "if (0) {\n  print(1);\n", "Expected '}'", 2, 12},
    {"run block never closed", "if (1) {\n  print(1);\n", "Expected expression", 2, 12},
    {"division by zero at its '/'", "var z = 0;\nvar q = 1 +\n 2 / z;", "Division by zero", 3, 4},
    {"string in an expression", "var a = 1 + \"s\";", "Cannot use string in expression", 1, 13},
    {"unknown character", "var a = 1;\n  @", "Unknown character: @", 2, 3},
    {"unterminated string", "print(\"ab\nc);", "Unterminated string", 1, 7},
    {"directive cut before the place", "#sg<nel>\n $", "Unknown character: $", 2, 2},
    {"too many tokens: the first that does not fit", many_tokens(), "Too many tokens", 1,
     2 * (MAX_TOKENS - 1) + 1},
};

TEST(Embed, StopStandsWhereTheCursorSays) {
    for (const PlaceCase& c : place_cases) {
        SCOPED_TRACE(c.name);
        RunStop stop = run_embedded(c.script, [](void*, const char*, size_t) {});
        EXPECT_TRUE(stop.stopped);
        EXPECT_EQ(stop.message, c.message);
        EXPECT_EQ(stop.line, c.line);
        EXPECT_EQ(stop.column, c.column);
    }
}

// Appends output to a string.
void collect(void* out, const char* data, size_t length) {
    static_cast<std::string*>(out)->append(data, length);
}

TEST(Embed, OutputGoesToTheSinkAndRunsFollowOneAnother) {
    std::string out;
    RunStop first = run_embedded("var a = 2 * 3;\nprint(\"a\", a);\nprint(b);", collect, &out);
    EXPECT_EQ(out, "a 6\n");  // what was printed before the stop is kept
    EXPECT_EQ(first.message, "Undefined variable: b");
    out.clear();
    RunStop second = run_embedded(std::string("#sg<nel>\nprint(1);\0print(2);", 27), collect, &out);
    EXPECT_FALSE(second.stopped);
    EXPECT_EQ(out, "1");        // the directive of this run, and a NUL ends the text
    EXPECT_EQ(token_count, 0);  // the tokens were freed
}

}  // namespace
