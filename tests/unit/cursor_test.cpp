// Where a run stops: a division by zero leaves the cursor on its "/", whichever path computed it
// (the playground and the debugger show the statement from there). Each row names the statement
// kind or loop test it is there for, and the test checks that the run chose it; every kind whose
// statement divides has a row.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "embed.h"
#include "fast_path.h"
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
    const char* kind;  // the statement kind or loop test (loop_tests.h) the row is for
    const char* script;
    int32_t line;  // of the only "/" on it
};

const CursorCase cursor_cases[] = {
    {"checked", "OTHER", "var d = 0;\nvar q = 1 + 6 / d;\n", 2},
    {"trusted pair", "DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6 / d;\nd = d - 1;\n}\n", 4},
    {"divide after a store", "DIVIDE_AFTER",
     "var d = 1;\nvar q = 0;\nvar r = 0;\nwhile (d > 0 - 1) {\nq = d + 1;\nr = q / d;\n"
     "d = d - 1;\n}\n",
     6},
    {"trusted triple", "ADD_DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 6 / d;\nd = d - 1;\n}\n", 4},
    {"triple, a difference with a division", "SUBTRACT_DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 - 6\n/ d;\nd = d - 1;\n}\n", 5},
    {"triple, product then a division", "MULTIPLY_DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6 * 2\n/ d;\nd = d - 1;\n}\n", 5},
    {"triple, division then a sum", "DIVIDE_ADD",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d + 2;\nd = d - 1;\n}\n", 5},
    {"triple, division then a difference", "DIVIDE_SUBTRACT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d - 2;\nd = d - 1;\n}\n", 5},
    {"triple, division then a product", "DIVIDE_MULTIPLY",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d * 2;\nd = d - 1;\n}\n", 5},
    {"triple, first of two divisions", "DIVIDE_DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d\n/ 2;\nd = d - 1;\n}\n", 5},
    {"triple, second of two divisions", "DIVIDE_DIVIDE",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ 2\n/ d;\nd = d - 1;\n}\n", 6},
    {"triple with a comparison", "TRIPLE_ASSIGNMENT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 6\n/ d < 2;\nd = d - 1;\n}\n", 5},
    {"trusted long", "LONG_ASSIGNMENT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 2 + 6 / d + 0;\nd = d - 1;\n}\n", 4},
    {"long, after a minus", "LONG_ASSIGNMENT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 - 2 - 6\n/ d + 0;\nd = d - 1;\n}\n", 5},
    {"long, before a group", "LONG_ASSIGNMENT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = 1 + 2 + 6\n/ (d * 1) + 0;\nd = d - 1;\n}\n",
     5},
    {"trusted grouped", "GROUPED_ASSIGNMENT",
     "var d = 1;\nvar q = 0;\nwhile (d > 0 - 1) {\nq = (1 + 1) * (6 / d);\nd = d - 1;\n}\n", 4},
    {"if on a pair", "PAIR_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (6 / d) { }\nd = d - 1;\n}\n", 3},
    {"if on a triple", "TRIPLE_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (1 + 6\n/ d) { }\nd = d - 1;\n}\n", 4},
    {"if on a long condition", "LONG_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (1 + 1 + 6\n/ d + 1) { }\nd = d - 1;\n}\n", 4},
    {"grouped if", "GROUPED_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif ((1 + 1) * (6\n/ d)) { }\nd = d - 1;\n}\n", 4},
    {"compared, long left side", "GREATER_LONG_COMPARISON_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (1 + 6\n/ d + 1 + 1 > 0) { }\nd = d - 1;\n}\n", 4},
    {"compared, grouped left side", "GREATER_GROUPED_COMPARISON_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif ((1 + 1) * (6\n/ d) > 0) { }\nd = d - 1;\n}\n", 4},
    {"compared, right side", "LESS_COMPARISON_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (0 < 1 + 6\n/ d) { }\nd = d - 1;\n}\n", 4},
    {"compared, left side", "EQUAL_COMPARISON_IF",
     "var d = 1;\nwhile (d > 0 - 1) {\nif (1 + 6\n/ d == 0 + 0) { }\nd = d - 1;\n}\n", 4},
    {"loop condition", "GREATER_COMPARISON",
     "var d = 1;\nwhile (\n6 / d > 0) {\nd = d - 1;\n}\n", 3},
    {"loop condition on a pair", "PAIR", "var d = 1;\nwhile (\n6 / d) {\nd = d - 1;\n}\n", 3},
    {"grouped loop condition", "GROUPED",
     "var d = 1;\nwhile ((d > 0 - 1) * (6\n/ d)) {\nd = d - 1;\n}\n", 3},
    {"long loop condition", "GENERAL",
     "var d = 1;\nwhile (1 + 1 + 6\n/ d + 1) {\nd = d - 1;\n}\n", 3},
    {"inner loop", "LESS_COMPARISON",
     "var d = 1;\nwhile (d > 0 - 1) {\nwhile (6\n/ d < 0) { }\nd = d - 1;\n}\n", 4},
};

// Whether the run just ended chose `name`, a statement kind or a loop test, at some token.
bool chosen(const char* name) {
    for (int32_t i = 0; i < token_count; i++) {
        if (std::strcmp(kind_names[kind_at(i)], name) == 0) return true;
        if (known_test[i] != 0 && std::strcmp(test_names[known_test[i] - 1], name) == 0) {
            return true;
        }
    }
    return false;
}

TEST(Cursor, DivisionByZeroStopsOnItsSlash) {
    for (const CursorCase& c : cursor_cases) {
        SCOPED_TRACE(c.name);
        RunStop stop = run_to_error(c.script);
        EXPECT_EQ(stop.message, "Division by zero");
        EXPECT_EQ(tokens[current_token].type, TOKEN_SLASH);
        EXPECT_EQ(tokens[current_token].line, c.line);
        EXPECT_EQ(stop.line, c.line);  // the place shown is the "/" too
        EXPECT_TRUE(chosen(c.kind)) << "the run did not choose " << c.kind;
        release_embedded();
    }
}

// A kind whose statement divides (a "/" in its list entry) stops on its "/" only if a row says so.
TEST(Cursor, EveryDividingKindHasARow) {
    for (int kind = 0; kind < KIND_COUNT; kind++) {
        if (std::strchr(kind_shapes[kind], '/') == nullptr) continue;
        bool found = false;
        for (const CursorCase& c : cursor_cases) {
            found = found || std::strcmp(c.kind, kind_names[kind]) == 0;
        }
        EXPECT_TRUE(found) << "no cursor row for " << kind_names[kind];
    }
}

}  // namespace
