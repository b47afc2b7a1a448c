// Where a run stops: a division by zero leaves the cursor on its "/", whichever path computed it
// (the playground and the debugger show the statement from there).
#include <gtest/gtest.h>

#include <string>

#include "embed.h"
#include "interpreter.h"

namespace {

// Runs a script to its error and returns the stop; the cursor stays where the run stopped, and
// the script stays loaded until release_embedded.
RunStop run_to_error(const std::string& text) {
    RunStop stop;
    if (load_embedded(text.c_str(), stop) && run_embedded_statements(stop)) return stop;
    place_stop(text.c_str(), stop);
    return stop;
}

struct CursorCase {
    const char* name;
    const char* script;
    int32_t line;  // of the only "/" on it
};

const CursorCase cursor_cases[] = {
    {"checked", "var d = 0;\nvar q = 1 + 6 / d;\n", 2},
    {"trusted pair", "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6 / d;\nd = d - 1;\n}\n", 4},
    {"trusted triple", "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 6 / d;\nd = d - 1;\n}\n",
     4},
    {"trusted long",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 2 + 6 / d + 0;\nd = d - 1;\n}\n", 4},
    {"trusted grouped",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = (1 + 1) * (6 / d);\nd = d - 1;\n}\n", 4},
    {"loop condition", "var d = 1;\nwhile (\n6 / d > 0) {\nd = d - 1;\n}\n", 3},
    {"if condition", "var d = 1;\nwhile (d > 0 - 1) {\nif (6 / d) { }\nd = d - 1;\n}\n", 3},
    {"divide after a store",
     "var d = 1;\nvar q = 0;\nvar r = 0;\nwhile (d > 0 - 1) {\nq = d + 1;\nr = q / d;\nd = d - 1;\n}\n",
     6},
    {"long, after a minus",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 - 2 - 6\n/ d + 0;\nd = d - 1;\n}\n", 5},
    {"long, before a group",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 2 + 6\n/ (d * 1) + 0;\nd = d - 1;\n}\n", 5},
    {"compared, long left side",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (1 + 6\n/ d + 1 + 1 > 0) { }\nd = d - 1;\n}\n", 4},
    {"compared, grouped left side",
     "var d = 1;\nwhile (d > 0 - 1) {\nif ((1 + 1) * (6\n/ d) > 0) { }\nd = d - 1;\n}\n", 4},
    {"compared, right side",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (0 < 1 + 6\n/ d) { }\nd = d - 1;\n}\n", 4},
    {"grouped if", "var d = 1;\nwhile (d > 0 - 1) {\nif ((1 + 1) * (6\n/ d)) { }\nd = d - 1;\n}\n",
     4},
    {"grouped loop condition", "var d = 1;\nwhile ((d > 0 - 1) * (6\n/ d)) {\nd = d - 1;\n}\n", 3},
    {"triple, first of two divisions",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d\n/ 2;\nd = d - 1;\n}\n", 5},
    {"triple, second of two divisions",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ 2\n/ d;\nd = d - 1;\n}\n", 6},
    {"triple, product then a division",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6 * 2\n/ d;\nd = d - 1;\n}\n", 5},
    {"triple, division then a sum",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d + 2;\nd = d - 1;\n}\n", 5},
    {"inner loop", "var d = 1;\nwhile (d > 0 - 1) {\nwhile (6\n/ d < 0) { }\nd = d - 1;\n}\n", 4},
};

TEST(Cursor, DivisionByZeroStopsOnItsSlash) {
    for (const CursorCase& c : cursor_cases) {
        SCOPED_TRACE(c.name);
        RunStop stop = run_to_error(c.script);
        EXPECT_EQ(stop.message, "Division by zero");
        EXPECT_EQ(tokens[current_token].type, TOKEN_SLASH);
        EXPECT_EQ(tokens[current_token].line, c.line);
        EXPECT_EQ(stop.line, c.line);  // the place shown is the "/" too
        release_embedded();
    }
}

}  // namespace
