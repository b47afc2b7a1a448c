// The source model's tables on small scripts: places (lines, byte and UTF-16 columns, strings
// over lines, the header directive's cut), lexical errors and where the run's lexer stops,
// parenthesis and block pairs, the if and while blocks around tokens, statement starts and
// which `var` each name means. The property test in tests/check/differential.cpp holds the
// model to the interpreter's lexer and brace table over thousands of scripts.
#include "source_model.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The index of the `nth` token (from 0) spelled `spelling`, or -1.
int32_t find(const std::string& text, const SourceModel& model, std::string_view spelling,
             int nth = 0) {
    for (size_t i = 0; i < model.tokens.size(); i++) {
        if (token_text(text, model.tokens[i]) == spelling && nth-- == 0) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

struct PlaceCase {
    const char* text;
    const char* spelling;  // the token looked at
    int32_t line, column, utf16_column, end_line, end_column, utf16_end_column;
};

TEST(SourceModel, Places) {
    const PlaceCase cases[] = {
        {"print(x);", "x", 1, 7, 7, 1, 8, 8},
        {"\n  var x = 1;", "var", 2, 3, 3, 2, 6, 6},
        // Two bytes and one unit for "é"; four bytes and two units for the emoji.
        {"print(\"\xC3\xA9\xF0\x9F\x98\x80\", x);", "\"\xC3\xA9\xF0\x9F\x98\x80\"", 1, 7, 7, 1, 15,
         12},
        {"print(\"\xC3\xA9\xF0\x9F\x98\x80\", x);", "x", 1, 17, 14, 1, 18, 15},
        {"print(\"\xE2\x80\x9C\", y);", "y", 1, 14, 12, 1, 15, 13},
        // A string over two lines: its end and what follows are on the real next line.
        {"var s = \"a\nbc\"; print(s);", "\"a\nbc\"", 1, 9, 9, 2, 4, 4},
        {"var s = \"a\nbc\"; print(s);", "print", 2, 6, 6, 2, 11, 11},
        // The directive is cut, and the places stay those of the text as written.
        {"#sg<nel> x\nprint(1);", "print", 2, 1, 1, 2, 6, 6},
        {"  sg<nel>\nvar a = 1;", "a", 2, 5, 5, 2, 6, 6},
        // After an unknown byte scanning goes on.
        {"var a = 1 \xC3\xA9 b;", "b", 1, 14, 13, 1, 15, 14},
    };
    for (const PlaceCase& c : cases) {
        std::string text = c.text;
        SourceModel model = model_source(text);
        int32_t index = find(text, model, c.spelling);
        ASSERT_GE(index, 0) << text;
        const SourceToken& token = model.tokens[index];
        EXPECT_EQ(token.line, c.line) << text;
        EXPECT_EQ(token.column, c.column) << text;
        EXPECT_EQ(token.utf16_column, c.utf16_column) << text;
        EXPECT_EQ(token.end_line, c.end_line) << text;
        EXPECT_EQ(token.end_column, c.end_column) << text;
        EXPECT_EQ(token.utf16_end_column, c.utf16_end_column) << text;
    }
}

TEST(SourceModel, DirectiveCutOrKept) {
    std::string cut = "#sg<nel> x = 1;\nprint(1);";
    SourceModel model = model_source(cut);
    EXPECT_TRUE(model.directive.cut);
    EXPECT_EQ(model.tokens[0].type, TOKEN_PRINT);
    EXPECT_EQ(model.tokens[0].start, cut.find("print"));
    // Code before "sg<" keeps the line: its words are tokens.
    std::string kept = "print(1); sg<nel>\n";
    model = model_source(kept);
    EXPECT_FALSE(model.directive.cut);
    EXPECT_GE(find(kept, model, "nel"), 0);
}

struct StopCase {
    std::string text;
    bool stops;
    int32_t token;  // the tokens the run holds when it stops
    const char* message;
    size_t errors;
};

TEST(SourceModel, LexicalErrorsAndTheRunsStop) {
    const StopCase cases[] = {
        {"var a = 1;", false, 5, "", 0},
        {"var a = 1 @@ 2; 'it' x", true, 4, "Unknown character: @", 2},
        {"print(\"abc", true, 2, "Unterminated string", 1},
        {"a $ b \"open", true, 1, "Unknown character: $", 2},
        {std::string(999, ';'), false, 999, "", 0},
        {std::string(1000, ';'), true, 999, "Too many tokens", 0},
        {std::string(999, ';') + "@", true, 999, "Unknown character: @", 1},
        {std::string(1000, ';') + "@", true, 999, "Too many tokens", 1},
    };
    for (const StopCase& c : cases) {
        SourceModel model = model_source(c.text);
        EXPECT_EQ(model.run_stop.stops, c.stops) << c.text;
        EXPECT_EQ(model.run_stop.token, c.token) << c.text;
        EXPECT_EQ(model.run_stop.message, c.message) << c.text;
        EXPECT_EQ(model.errors.size(), c.errors) << c.text;
        EXPECT_EQ(model.tokens.back().type, TOKEN_EOF) << c.text;
    }
    // Single quotes are one error, and the words inside are no tokens; the run's view ends at
    // the first error.
    std::string text = "var a = 1 @@ 2; 'it' x";
    SourceModel model = model_source(text);
    EXPECT_EQ(find(text, model, "it"), -1);
    EXPECT_EQ(model.errors[0].end - model.errors[0].start, 2u);
    EXPECT_EQ(token_text(text, model.tokens[model.errors[1].token]), "x");
    std::vector<SourceToken> run = tokens_before_error(model);
    ASSERT_EQ(run.size(), 5u);
    EXPECT_EQ(run.back().type, TOKEN_EOF);
    EXPECT_EQ(run.back().start, text.find('@'));
    EXPECT_EQ(run.back().column, 11);
}

TEST(SourceModel, PairsAndBlocks) {
    std::string text = "while (a) { if ((b)) { x = 1; } }\nprint((1; y);\n{ z; }";
    SourceModel model = model_source(text);
    int32_t loop = find(text, model, "while"), branch = find(text, model, "if");
    int32_t x = find(text, model, "x");
    EXPECT_EQ(model.condition_open[loop], loop + 1);
    EXPECT_EQ(model.condition_close[loop], loop + 3);
    EXPECT_EQ(model.condition_open[branch], branch + 1);
    EXPECT_EQ(model.condition_close[branch], branch + 5);
    EXPECT_EQ(model.paren_pair[branch + 2], branch + 4);
    EXPECT_EQ(model.paren_pair[branch + 4], branch + 2);
    EXPECT_EQ(model.enclosing[x], branch);
    EXPECT_EQ(model.depth[x], 2);
    EXPECT_EQ(model.enclosing[branch], loop);
    EXPECT_EQ(model.depth[branch], 1);
    // A block's "}" is inside it; a bare block is no if or while.
    int32_t inner_close = find(text, model, "}"), outer_close = find(text, model, "}", 1);
    EXPECT_EQ(model.enclosing[inner_close], branch);
    EXPECT_EQ(model.enclosing[outer_close], loop);
    EXPECT_EQ(model.block_pair[loop + 4], outer_close);
    EXPECT_EQ(model.block_pair[outer_close], loop + 4);
    EXPECT_EQ(model.enclosing[find(text, model, "z")], -1);
    // A ";" leaves the parentheses open before it unpaired.
    int32_t print = find(text, model, "print");
    EXPECT_EQ(model.paren_pair[print + 1], -1);
    EXPECT_EQ(model.paren_pair[print + 2], -1);
    EXPECT_EQ(model.paren_pair[find(text, model, ")", 3)], -1);
    // A block never closed holds everything to the end, its "}"s that close nothing included.
    text = "if (1) { print(2); } }\nwhile (0) { x = 1;";
    model = model_source(text);
    loop = find(text, model, "while");
    EXPECT_EQ(model.enclosing[model.tokens.size() - 1], loop);
    EXPECT_EQ(model.block_pair[find(text, model, "}", 1)], -1);
    EXPECT_EQ(model.block_pair[loop + 4], -1);
}

TEST(SourceModel, StatementStartsAndDeclarations) {
    std::string text =
        "var x = 1;\nif (x) { var x = 2; print(x); }\nprint(y, x);\nvar y = x;\n"
        "print(var z); z = 1; w = 1;";
    SourceModel model = model_source(text);
    std::vector<std::string_view> starts;
    for (size_t i = 0; i < model.tokens.size(); i++) {
        if (model.statement_start[i]) starts.push_back(token_text(text, model.tokens[i]));
    }
    std::vector<std::string_view> expected = {"var", "if",    "var", "print", "print",
                                              "var", "print", "z",   "w"};
    EXPECT_EQ(starts, expected);
    int32_t first_x = find(text, model, "x");
    for (int nth = 0; nth < 6; nth++) {
        EXPECT_EQ(model.declaration[find(text, model, "x", nth)], first_x) << nth;
    }
    // A use before the declaration still means it; a var that begins no statement declares
    // nothing.
    int32_t y = find(text, model, "y", 1);
    EXPECT_EQ(model.declaration[find(text, model, "y")], y);
    EXPECT_EQ(model.declaration[y], y);
    EXPECT_EQ(model.declaration[find(text, model, "z")], -1);
    EXPECT_EQ(model.declaration[find(text, model, "w")], -1);
    EXPECT_EQ(model.declaration[find(text, model, "var")], -1);
}

}  // namespace
