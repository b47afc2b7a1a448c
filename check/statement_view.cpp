// Token queries the habits' help shares: where an operand, a parenthesised group, a condition
// or a block starts and ends, read from the tokens alone.
#include "statement_view.h"

// The parts written one after the other. (GCC 12 warns wrongly about "(" + std::string.)
std::string cat(std::initializer_list<std::string_view> parts) {
    std::string out;
    for (std::string_view part : parts) out.append(part);
    return out;
}

// "==", "!=", ">" and "<": the loosest operators.
bool is_comparison(TokenType type) {
    return type == TOKEN_EQ || type == TOKEN_NEQ || type == TOKEN_GT || type == TOKEN_LT;
}

// "+", "-", "*" and "/".
bool is_arithmetic(TokenType type) {
    return type == TOKEN_PLUS || type == TOKEN_MINUS || type == TOKEN_STAR || type == TOKEN_SLASH;
}

// A token an operand can end with.
bool ends_operand(TokenType type) {
    return type == TOKEN_IDENTIFIER || type == TOKEN_NUMBER || type == TOKEN_RPAREN;
}

// Where an operand that starts at `from` ends: at a closing parenthesis, a statement's end, a
// logical operator, a line break, two operands in a row or (with `comparisons`) a comparison.
int32_t operand_end(const View& view, int32_t from, bool comparisons) {
    int32_t depth = 0;
    for (int32_t i = from;; i++) {
        TokenType kind = view.type(i);
        if (kind == TOKEN_EOF) return i;
        if (i > from && (!view.same_line(i - 1, i) || view.source.after_junk[i])) return i;
        if (kind == TOKEN_LPAREN) {
            depth++;
            continue;
        }
        if (kind == TOKEN_RPAREN) {
            if (depth == 0) return i;
            depth--;
            continue;
        }
        if (depth > 0) continue;
        bool ends = kind == TOKEN_SEMICOLON || kind == TOKEN_COMMA || kind == TOKEN_LBRACE ||
                    kind == TOKEN_RBRACE || kind == TOKEN_AND || kind == TOKEN_OR ||
                    kind == TOKEN_ASSIGN || kind == TOKEN_NOT || is_statement_keyword(kind) ||
                    view.word(i, "and") || view.word(i, "or") || view.word(i, "then") ||
                    view.word(i, "do") || (comparisons && is_comparison(kind)) ||
                    (i > from && ends_operand(view.type(i - 1)) &&
                     (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER || kind == TOKEN_LPAREN));
        if (ends) return i;
    }
}

// The "(" at `open` and the ")" that closes it, or -1: the source model's pairs, which end at a
// ";" or "{".
int32_t closing_parenthesis(const View& view, int32_t open) {
    return view.type(open) == TOKEN_LPAREN ? view.source.model.paren_pair[open] : -1;
}

// A comparison stands in [first, last) outside parentheses.
bool has_comparison(const View& view, int32_t first, int32_t last) {
    int32_t depth = 0;
    for (int32_t i = first; i < last; i++) {
        TokenType kind = view.type(i);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (depth == 0 && is_comparison(kind)) return true;
    }
    return false;
}

// [first, last) is 0 or 1 whatever its operands: a comparison, maybe in parentheses.
bool is_truth(const View& view, int32_t first, int32_t last) {
    if (has_comparison(view, first, last)) return true;
    return view.type(first) == TOKEN_LPAREN && closing_parenthesis(view, first) == last - 1 &&
           last - first > 2 && is_truth(view, first + 1, last - 1);
}

// An operand as a factor that is 1 when it holds and 0 when not.
std::string as_truth(const View& view, int32_t first, int32_t last) {
    std::string text = view.span(first, last);
    if (!is_truth(view, first, last)) return "(" + text + " != 0)";
    return has_comparison(view, first, last) ? "(" + text + ")" : text;
}

// One operand: a name, a number, or a parenthesised group from `at`; returns the token after
// it, or -1.
int32_t single_operand(const View& view, int32_t at) {
    TokenType kind = view.type(at);
    if (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER) return at + 1;
    if (kind != TOKEN_LPAREN) return -1;
    int32_t close = closing_parenthesis(view, at);
    return close < 0 ? -1 : close + 1;
}

// The first token of the operand that ends just before `end`: a name, number or group.
int32_t operand_before(const View& view, int32_t end) {
    int32_t last = end - 1;
    if (last < 0) return -1;
    if (view.type(last) == TOKEN_IDENTIFIER || view.type(last) == TOKEN_NUMBER) return last;
    if (view.type(last) != TOKEN_RPAREN) return -1;
    return view.source.model.paren_pair[last];
}

// A name no token of the script spells: "t", "t2", ...
std::string fresh_name(const View& view, const char* base, int taken_before) {
    for (int n = 1;; n++) {
        std::string name = n == 1 ? base : base + std::to_string(n);
        bool taken = false;
        for (int32_t i = 0; i < view.eof() && !taken; i++) {
            taken = view.word(i, name);
        }
        if (!taken && taken_before-- <= 0) return name;
    }
}

// The "{" of a block whose "}" is at `close`, or -1.
int32_t opening_brace(const View& view, int32_t close) {
    return view.type(close) == TOKEN_RBRACE ? view.source.model.block_pair[close] : -1;
}

// For "{" at `open` after "if (...)" or "while (...)": the condition's tokens [first, last).
bool header_condition(const View& view, int32_t open, int32_t* first, int32_t* last) {
    if (open < 2 || view.type(open - 1) != TOKEN_RPAREN) return false;
    int32_t paren = view.source.model.paren_pair[open - 1];
    if (paren < 1 || (view.type(paren - 1) != TOKEN_IF && view.type(paren - 1) != TOKEN_WHILE)) {
        return false;
    }
    *first = paren + 1;
    *last = open - 1;
    return *last > *first;
}

// The condition of the "if" whose block closes just before `at` ("} else"): [first, last).
bool previous_if(const View& view, int32_t at, int32_t* first, int32_t* last) {
    if (at < 1 || view.type(at - 1) != TOKEN_RBRACE) return false;
    int32_t open = opening_brace(view, at - 1);
    return open >= 0 && header_condition(view, open, first, last) &&
           view.type(*first - 2) == TOKEN_IF;
}
