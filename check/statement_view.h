// Token queries the habits' help shares: a view of the script's tokens, and where operands,
// parentheses, conditions and blocks start and end.
//
// Every fix replaces one byte range of the text as written. Operands are found on the same line
// as the mistake, between the nearest parentheses or statement ends, so that a fix never reaches
// into another statement.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "rules.h"

// The script's tokens, asked about by index.
struct View {
    const Source& source;

    // The index of the end token.
    int32_t eof() const { return static_cast<int32_t>(source.tokens.size()) - 1; }
    // The token's kind; TOKEN_EOF outside the tokens.
    TokenType type(int32_t at) const {
        return at < 0 || at > eof() ? TOKEN_EOF : source.tokens[at].type;
    }
    // The token as written.
    std::string text(int32_t at) const { return std::string(source.token_text(at)); }
    // The token is a name spelt `spelling`.
    bool word(int32_t at, std::string_view spelling) const {
        return type(at) == TOKEN_IDENTIFIER && source.token_text(at) == spelling;
    }
    // The text as written from token `first` up to token `last`, not included.
    std::string span(int32_t first, int32_t last) const {
        size_t start = source.tokens[first].start;
        return std::string(source.text.substr(start, source.tokens[last - 1].end - start));
    }
    // The token's first byte and one past its last, in the text as written.
    size_t start(int32_t at) const { return source.tokens[at].start; }
    size_t end(int32_t at) const { return source.tokens[at].end; }
    // Token `a` ends on the line token `b` starts on.
    bool same_line(int32_t a, int32_t b) const {
        return source.tokens[a].end_line == source.tokens[b].line;
    }
    // The whitespace before the first token of the token's line.
    std::string indent(int32_t at) const {
        size_t line_start = source.text.rfind('\n', start(at) == 0 ? 0 : start(at) - 1);
        line_start = line_start == std::string_view::npos || start(at) == 0 ? 0 : line_start + 1;
        size_t first = line_start;
        while (first < source.text.size() &&
               (source.text[first] == ' ' || source.text[first] == '\t')) {
            first++;
        }
        return std::string(source.text.substr(line_start, first - line_start));
    }
    // No token comes before it on its line.
    bool first_on_line(int32_t at) const {
        return at == 0 || source.tokens[at - 1].end_line < source.tokens[at].line;
    }
};

// The parts written one after the other. (GCC 12 warns wrongly about "(" + std::string.)
std::string cat(std::initializer_list<std::string_view> parts);

// "==", "!=", ">" and "<": the loosest operators.
bool is_comparison(TokenType type);

// "+", "-", "*" and "/".
bool is_arithmetic(TokenType type);

// A token an operand can end with.
bool ends_operand(TokenType type);

// Where an operand that starts at `from` ends: at a closing parenthesis, a statement's end, a
// logical operator, a line break, two operands in a row or (with `comparisons`) a comparison.
int32_t operand_end(const View& view, int32_t from, bool comparisons);

// The "(" at `open` and the ")" that closes it, or -1.
int32_t closing_parenthesis(const View& view, int32_t open);

// A comparison stands in [first, last) outside parentheses.
bool has_comparison(const View& view, int32_t first, int32_t last);

// [first, last) is 0 or 1 whatever its operands: a comparison, maybe in parentheses.
bool is_truth(const View& view, int32_t first, int32_t last);

// An operand as a factor that is 1 when it holds and 0 when not.
std::string as_truth(const View& view, int32_t first, int32_t last);

// One operand: a name, a number, or a parenthesised group from `at`; returns the token after
// it, or -1.
int32_t single_operand(const View& view, int32_t at);

// The first token of the operand that ends just before `end`: a name, number or group.
int32_t operand_before(const View& view, int32_t end);

// A name no token of the script spells: "t", "t2", ...
std::string fresh_name(const View& view, const char* base, int taken_before = 0);

// The "{" of a block whose "}" is at `close`, or -1.
int32_t opening_brace(const View& view, int32_t close);

// For "{" at `open` after "if (...)" or "while (...)": the condition's tokens [first, last).
bool header_condition(const View& view, int32_t open, int32_t* first, int32_t* last);

// The condition of the "if" whose block closes just before `at` ("} else"): [first, last).
bool previous_if(const View& view, int32_t at, int32_t* first, int32_t* last);
