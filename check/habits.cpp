// Help for habits from other languages, built from the statement's own tokens.
//
// Every fix replaces one byte range of the text as written. Operands are found on the same line
// as the mistake, between the nearest parentheses or statement ends, so that a fix never reaches
// into another statement.
#include "habits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <string_view>

namespace {

struct View {
    const Source& source;

    int32_t eof() const { return static_cast<int32_t>(source.tokens.size()) - 1; }
    TokenType type(int32_t at) const {
        return at < 0 || at > eof() ? TOKEN_EOF : source.tokens[at].type;
    }
    std::string text(int32_t at) const { return std::string(source.token_text(at)); }
    bool word(int32_t at, std::string_view spelling) const {
        return type(at) == TOKEN_IDENTIFIER && source.token_text(at) == spelling;
    }
    // The text as written from token `first` up to token `last`, not included.
    std::string span(int32_t first, int32_t last) const {
        size_t start = source.tokens[first].start;
        return std::string(source.text.substr(start, source.tokens[last - 1].end - start));
    }
    size_t start(int32_t at) const { return source.tokens[at].start; }
    size_t end(int32_t at) const { return source.tokens[at].end; }
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
    bool first_on_line(int32_t at) const {
        return at == 0 || source.tokens[at - 1].end_line < source.tokens[at].line;
    }
};

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

// The words that start a statement of their own.
bool starts_statement(TokenType type) {
    return type == TOKEN_PRINT || type == TOKEN_VAR || type == TOKEN_IF || type == TOKEN_WHILE;
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
                    kind == TOKEN_ASSIGN || kind == TOKEN_NOT || starts_statement(kind) ||
                    view.word(i, "and") || view.word(i, "or") || view.word(i, "then") ||
                    view.word(i, "do") || (comparisons && is_comparison(kind)) ||
                    (i > from && ends_operand(view.type(i - 1)) &&
                     (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER || kind == TOKEN_LPAREN));
        if (ends) return i;
    }
}

// The "(" at `open` and the ")" that closes it, or -1.
int32_t closing_parenthesis(const View& view, int32_t open) {
    int32_t depth = 0;
    for (int32_t i = open; i < view.eof(); i++) {
        if (view.type(i) == TOKEN_LPAREN) depth++;
        if (view.type(i) == TOKEN_RPAREN && --depth == 0) return i;
        if (view.type(i) == TOKEN_SEMICOLON || view.type(i) == TOKEN_LBRACE) return -1;
    }
    return -1;
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
    int32_t depth = 0;
    for (int32_t i = last; i >= 0; i--) {
        if (view.type(i) == TOKEN_RPAREN) depth++;
        if (view.type(i) == TOKEN_LPAREN && --depth == 0) return i;
        if (view.type(i) == TOKEN_SEMICOLON || view.type(i) == TOKEN_LBRACE) return -1;
    }
    return -1;
}

// A name no token of the script spells: "t", "t2", ...
std::string fresh_name(const View& view, const char* base, int taken_before = 0) {
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
    for (int32_t i = close - 1; i >= 0; i--) {
        if (view.type(i) == TOKEN_LBRACE && view.source.block_end[i] == close) return i;
    }
    return -1;
}

// For "{" at `open` after "if (...)" or "while (...)": the condition's tokens [first, last).
bool header_condition(const View& view, int32_t open, int32_t* first, int32_t* last) {
    if (open < 2 || view.type(open - 1) != TOKEN_RPAREN) return false;
    int32_t depth = 0;
    for (int32_t i = open - 1; i > 0; i--) {
        if (view.type(i) == TOKEN_RPAREN) depth++;
        if (view.type(i) == TOKEN_LPAREN && --depth == 0) {
            if (view.type(i - 1) != TOKEN_IF && view.type(i - 1) != TOKEN_WHILE) return false;
            *first = i + 1;
            *last = open - 1;
            return *last > *first;
        }
    }
    return false;
}

// The condition of the "if" whose block closes just before `at` ("} else"): [first, last).
bool previous_if(const View& view, int32_t at, int32_t* first, int32_t* last) {
    if (at < 1 || view.type(at - 1) != TOKEN_RBRACE) return false;
    int32_t open = opening_brace(view, at - 1);
    return open >= 0 && header_condition(view, open, first, last) &&
           view.type(*first - 2) == TOKEN_IF;
}

// A number as plain digits, when it is one a literal can write exactly.
std::string plain_number(double value) {
    char buffer[64];
    if (!std::isfinite(value) || value == 0.0 || value >= 1e21 || value < 1e-15) return "";
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    return result.ec == std::errc{} ? std::string(buffer, result.ptr) : "";
}

// Names other languages print with; the null entry ends the list.
const char* const output_words[] = {"printf",  "println", "puts",    "echo",   "write",
                                    "writeln", "say",     "display", "printn", nullptr};

// A name other languages print with.
bool is_output_word(std::string_view word) {
    for (int i = 0; output_words[i] != nullptr; i++) {
        if (word == output_words[i]) return true;
    }
    return false;
}

// A keyword written with capitals: "If", "WHILE", "Print".
std::string lower_keyword(std::string_view word) {
    std::string lower;
    for (char c : word) lower += c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    if (lower == word) return "";
    for (const char* keyword : {"print", "var", "if", "while"}) {
        if (lower == keyword) return lower;
    }
    return "";
}

// "for (i = 0; i < n; i = i + 1) { ... }" as a while loop; false for any other shape.
bool help_c_for(const View& view, Diagnostic& diagnostic, int32_t name) {
    if (view.type(name + 1) != TOKEN_LPAREN) return false;
    int32_t close = closing_parenthesis(view, name + 1);
    // The ";"s stop closing_parenthesis: find them by hand.
    int32_t parts[3] = {name + 2, -1, -1};
    int32_t depth = 0, part = 0, end = -1;
    for (int32_t i = name + 2; i < view.eof() && close < 0; i++) {
        TokenType kind = view.type(i);
        if (kind == TOKEN_LPAREN) depth++;
        if (kind == TOKEN_RPAREN && depth-- == 0) {
            end = i;
            break;
        }
        if (kind == TOKEN_SEMICOLON && depth == 0) {
            if (++part > 2) return false;
            parts[part] = i + 1;
        }
        if (kind == TOKEN_LBRACE || kind == TOKEN_RBRACE) return false;
    }
    if (end < 0 || part != 2 || parts[1] - 1 <= parts[0] || parts[2] - 1 <= parts[1] ||
        end <= parts[2] || view.type(end + 1) != TOKEN_LBRACE) {
        return false;
    }
    std::string start = view.span(parts[0], parts[1] - 1);
    std::string condition = view.span(parts[1], parts[2] - 1);
    std::string step = view.span(parts[2], end);
    Sink::help(diagnostic, "there is no 'for': write '" + start + ";' before 'while (" + condition +
                               ") { ... " + step + "; }'");
    int32_t open = end + 1;
    int32_t close_brace = view.source.block_end[open];
    if (close_brace < 0) return true;
    std::string indent = view.indent(name);
    std::string body(
        view.source.text.substr(view.end(open), view.start(close_brace) - view.end(open)));
    while (!body.empty() && (body.back() == ' ' || body.back() == '\t')) body.pop_back();
    bool multiline = body.find('\n') != std::string::npos;
    std::string replacement =
        start + ";" + (multiline ? "\n" + indent : " ") + "while (" + condition + ") {" + body +
        (multiline ? indent + "    " + step + ";\n" + indent + "}" : " " + step + "; }");
    Sink::fix(diagnostic, view.start(name), view.end(close_brace), replacement, false);
    return true;
}

}  // namespace

void help_logical(const Source& source, Diagnostic& diagnostic, int32_t level_start, int32_t at) {
    View view{source};
    bool both = view.type(at) == TOKEN_AND || view.word(at, "and");
    std::string written = view.text(at);
    const char* joiner = both ? " * " : " + ";
    std::string how = both ? "multiply the conditions" : "add the conditions";
    std::vector<std::string> parts;
    bool usable = at > level_start && view.same_line(level_start, at);
    if (usable) parts.push_back(as_truth(view, level_start, at));
    int32_t op = at, last = at;
    while (usable) {
        int32_t end = operand_end(view, op + 1, false);
        if (end == op + 1) {
            usable = false;
            break;
        }
        parts.push_back(as_truth(view, op + 1, end));
        last = end;
        TokenType next = view.type(end);
        bool same = both ? next == TOKEN_AND || view.word(end, "and")
                         : next == TOKEN_OR || view.word(end, "or");
        bool other =
            next == TOKEN_AND || next == TOKEN_OR || view.word(end, "and") || view.word(end, "or");
        if (other && !same) usable = false;
        if (!same) break;
        op = end;
    }
    if (!usable) {
        Sink::help(diagnostic, "there is no '" + written + "': " + how +
                                   (both ? ", '(a > 0) * (b > 0)', or nest two 'if's"
                                         : ", '(a > 0) + (b > 0)', which is not 0 when either "
                                           "holds"));
        return;
    }
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : joiner) + part;
    Sink::help(diagnostic, "there is no '" + written + "': " + how + ", '" + joined + "'" +
                               (both ? "" : ", which is not 0 when either holds"));
    Sink::fix(diagnostic, view.start(level_start), view.end(last - 1), joined, false);
}

void help_not(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    std::string written = view.text(at);
    int32_t end = single_operand(view, at + 1);
    if (end < 0 || !view.same_line(at, end - 1)) {
        Sink::help(diagnostic, "there is no '" + written + "': write 'x == 0'");
        return;
    }
    std::string negated = view.span(at + 1, end) + " == 0";
    // Alone between parentheses it needs none of its own.
    bool alone =
        (at == 0 || view.type(at - 1) == TOKEN_LPAREN || view.type(at - 1) == TOKEN_ASSIGN) &&
        (view.type(end) == TOKEN_RPAREN || view.type(end) == TOKEN_SEMICOLON);
    std::string replacement = alone ? negated : "(" + negated + ")";
    Sink::help(diagnostic, "there is no '" + written + "': write '" + replacement + "'");
    Sink::fix(diagnostic, view.start(at), view.end(end - 1), replacement, false);
}

void help_comparison(const Source& source, Diagnostic& diagnostic, int32_t level_start,
                     int32_t op) {
    View view{source};
    TokenType first = view.type(op), second = view.type(op + 1);
    std::string written = view.text(op) + view.text(op + 1);
    if (second == TOKEN_ASSIGN && (first == TOKEN_EQ || first == TOKEN_NEQ)) {
        std::string meant = first == TOKEN_EQ ? "==" : "!=";
        Sink::help(diagnostic, "there is no '" + written + "': write '" + meant + "'");
        Sink::fix(diagnostic, view.start(op), view.end(op + 1), meant, true);
        return;
    }
    bool less = first == TOKEN_LT || second == TOKEN_LT;
    std::string strict = less ? "<" : ">";
    std::string meant = strict + "=";
    // The left operand starts after the last comparison before the operator.
    int32_t left = level_start, depth = 0;
    for (int32_t i = level_start; i < op; i++) {
        TokenType kind = view.type(i);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (depth == 0 && is_comparison(kind)) left = i + 1;
    }
    int32_t right_end = operand_end(view, op + 2, true);
    std::string prefix = "there is no '" + written + "'";
    if (written != meant) prefix += " (meaning '" + meant + "')";
    if (left >= op || right_end <= op + 2 || !view.same_line(left, right_end - 1)) {
        Sink::help(diagnostic, prefix + ": write 'a " + strict + " b" + (less ? " + 1" : " - 1") +
                                   "' for whole numbers, or '(a " + strict + " b) + (a == b)'");
        return;
    }
    std::string a = view.span(left, op), b = view.span(op + 2, right_end);
    std::string whole = a + " " + strict + " " + b + (less ? " + 1" : " - 1");
    // A whole number on the right: the next one written out, when it needs no minus.
    double number = right_end == op + 3 && view.type(op + 2) == TOKEN_NUMBER
                        ? std::strtod(b.c_str(), nullptr)
                        : -1.0;
    if (number >= 0.0 && number < 1e15 && number == std::floor(number) && (less || number >= 1)) {
        whole = a + " " + strict + " " +
                std::to_string(static_cast<long long>(number) + (less ? 1 : -1));
    }
    std::string exact = "(" + a + " " + strict + " " + b + ") + (" + a + " == " + b + ")";
    Sink::help(diagnostic,
               prefix + ": write '" + whole + "' for whole numbers, or '" + exact + "'");
    Sink::fix(diagnostic, view.start(left), view.end(right_end - 1), exact, false);
    Sink::fix(diagnostic, view.start(left), view.end(right_end - 1), whole, false);
}

void help_chained(const Source& source, Diagnostic& diagnostic, int32_t level_start, int32_t at) {
    View view{source};
    // The comparison before this one, outside parentheses, and the start of its left operand.
    int32_t first = -1, left = level_start, depth = 0;
    for (int32_t i = level_start; i < at; i++) {
        TokenType kind = view.type(i);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (depth != 0 || !is_comparison(kind)) continue;
        if (first >= 0) left = first + 1;
        first = i;
    }
    int32_t end = operand_end(view, at + 1, true);
    if (first < 0 || first == left || end == at + 1 || !view.same_line(left, end - 1)) {
        Sink::help(diagnostic, "to test both, multiply the comparisons: '(a < b) * (b < c)'");
        return;
    }
    std::string middle = view.span(first + 1, at);
    std::string both = cat({"(", view.span(left, at), ") * (", middle, " ", view.text(at), " ",
                            view.span(at + 1, end), ")"});
    Sink::help(diagnostic, "to test both, multiply the comparisons: '" + both + "'");
    Sink::fix(diagnostic, view.start(left), view.end(end - 1), both, false);
}

void help_braces(const Source& source, Diagnostic& diagnostic, int32_t keyword, int32_t at) {
    View view{source};
    std::string word = view.text(keyword);
    // The one statement after the header: up to its ";", outside parentheses, on this line.
    int32_t end = at, depth = 0;
    while (end < view.eof() && view.same_line(at, end)) {
        TokenType kind = view.type(end);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (kind == TOKEN_LBRACE || kind == TOKEN_RBRACE || (end > at && starts_statement(kind))) {
            break;
        }
        if (kind == TOKEN_SEMICOLON && depth == 0) break;
        end++;
    }
    if (view.type(end) != TOKEN_SEMICOLON || end == at) {
        Sink::help(diagnostic, "the body goes in braces, even a single statement: '" + word +
                                   " (...) { ... }'");
        return;
    }
    std::string body = view.span(at, end + 1);
    std::string header = view.span(keyword, at);
    Sink::help(diagnostic, "the body goes in braces, even a single statement: '" + header + " { " +
                               body + " }'");
    Sink::fix(diagnostic, view.start(at), view.end(end), "{ " + body + " }", false);
}

void help_power(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    int32_t base = operand_before(view, at - 1);
    std::string exponent = view.type(at + 1) == TOKEN_NUMBER ? view.text(at + 1) : "";
    if (base < 0 || (exponent != "2" && exponent != "3")) {
        Sink::help(diagnostic, "there is no '**': multiply, 'x * x'");
        return;
    }
    std::string factor = view.span(base, at - 1);
    std::string product = factor + " * " + factor + (exponent == "3" ? " * " + factor : "");
    // After "/" the product needs parentheses: "1 / x * x" divides by x and multiplies back.
    if (base > 0 && view.type(base - 1) == TOKEN_SLASH) product = "(" + product + ")";
    Sink::help(diagnostic, "there is no '**': multiply, '" + product + "'");
    Sink::fix(diagnostic, view.start(base), view.end(at + 1), product, false);
}

bool help_number(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    if (at == 0 || view.type(at - 1) != TOKEN_NUMBER || view.type(at) != TOKEN_IDENTIFIER ||
        !source.adjacent(at - 1)) {
        return false;
    }
    std::string number = view.text(at - 1), word = view.text(at);
    int32_t last = at;
    if (word[0] == 'e' || word[0] == 'E') {
        std::string written = number + word;
        if (word.size() == 1 &&
            (view.type(at + 1) == TOKEN_MINUS || view.type(at + 1) == TOKEN_PLUS) &&
            source.adjacent(at) && view.type(at + 2) == TOKEN_NUMBER && source.adjacent(at + 1)) {
            written += view.text(at + 1) + view.text(at + 2);
            last = at + 2;
        }
        std::string full = plain_number(std::strtod(written.c_str(), nullptr));
        Sink::help(diagnostic, "there is no exponent notation: write " +
                                   (full.empty() ? std::string("the number in full") : full));
        if (!full.empty()) Sink::fix(diagnostic, view.start(at - 1), view.end(last), full, false);
        return true;
    }
    if (number == "0" && (word[0] == 'x' || word[0] == 'X') && word.size() > 1 &&
        word.size() < 14 &&
        word.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos) {
        std::string value = std::to_string(std::stoull(word.substr(1), nullptr, 16));
        Sink::help(diagnostic, "there is no hexadecimal notation: write " + value);
        Sink::fix(diagnostic, view.start(at - 1), view.end(at), value, false);
        return true;
    }
    Sink::help(diagnostic, "a name cannot start with a digit: '" + number + word +
                               "' reads as the number " + number + ", then '" + word +
                               "'; start it with a letter or '_', as in '" + word + number + "'");
    return true;
}

int32_t help_comment(const Source& source, Diagnostic& diagnostic, int32_t statement_start,
                     int32_t at) {
    View view{source};
    int32_t first = -1;
    TokenType kind = view.type(at);
    if ((kind == TOKEN_MINUS || kind == TOKEN_SLASH) && source.adjacent(at) &&
        (view.type(at + 1) == kind || (kind == TOKEN_SLASH && view.type(at + 1) == TOKEN_STAR))) {
        first = at;
    } else if (at > 0 && (kind == TOKEN_MINUS || kind == TOKEN_SLASH) &&
               view.type(at - 1) == kind && source.adjacent(at - 1)) {
        first = at - 1;
    }
    if (first < 0) return -1;
    TokenType second = view.type(first + 1);
    int32_t line_end = first;
    while (line_end < view.eof() &&
           view.source.tokens[line_end].line == view.source.tokens[first].line) {
        line_end++;
    }
    bool after_operand = first > statement_start && ends_operand(view.type(first - 1));
    if (kind == TOKEN_MINUS && first == statement_start &&
        view.type(first + 2) == TOKEN_IDENTIFIER && view.type(first + 3) == TOKEN_SEMICOLON) {
        std::string name = view.text(first + 2);
        std::string replacement = name + " = " + name + " - 1;";
        Sink::help(diagnostic, "there is no '--': write '" + replacement + "'");
        Sink::fix(diagnostic, view.start(first), view.end(first + 3), replacement, true);
        return -1;
    }
    if (kind == TOKEN_SLASH && second == TOKEN_SLASH && after_operand &&
        view.type(line_end - 1) == TOKEN_SEMICOLON && line_end - 1 > first + 2) {
        std::string a = view.text(first - 1), b = view.span(first + 2, line_end - 1);
        Sink::help(diagnostic, "there is no '//': '" + a + " / " + b +
                                   "' divides without rounding; for a whole quotient, take the "
                                   "remainder away first");
        return -1;
    }
    // Code before the comment on its line still needs its ";".
    std::string marker = after_operand ? "; #" : "#";
    size_t comment_end = view.end(first + 1);
    int32_t next = line_end;
    if (second == TOKEN_STAR) {
        size_t close = source.text.find("*/", comment_end);
        size_t eol = source.text.find('\n', view.start(first));
        if (close == std::string_view::npos) {
            Sink::help(diagnostic, "comments start with '#' and end with their line");
            return line_end;
        }
        next = first;
        while (next < view.eof() && view.start(next) < close + 2) next++;
        if (close < eol) {
            size_t rest = close + 2;
            while (rest < source.text.size() &&
                   (source.text[rest] == ' ' || source.text[rest] == '\t'))
                rest++;
            if (rest == source.text.size() || source.text[rest] == '\n' ||
                source.text[rest] == '\r') {
                std::string inside(source.text.substr(comment_end, close - comment_end));
                while (!inside.empty() && inside.back() == ' ') inside.pop_back();
                Sink::help(diagnostic, "comments start with '#' and end with their line");
                Sink::fix(diagnostic, view.start(first), close + 2, marker + inside, false);
                return next;
            }
        }
        Sink::help(diagnostic,
                   "comments start with '#' and end with their line: put a '#' "
                   "before each line of this one");
        return next;
    }
    Sink::help(diagnostic, "comments start with '#'");
    Sink::fix(diagnostic, view.start(first), comment_end, marker, false);
    return line_end;
}

void help_minus(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    // After an operator the difference needs parentheses: "a * (0 - 1)".
    bool inside = at > 0 && (is_arithmetic(view.type(at - 1)) || is_comparison(view.type(at - 1)));
    int32_t end = single_operand(view, at + 1);
    std::string operand = end > 0 ? view.span(at + 1, end) : "x";
    std::string difference = "0 - " + operand;
    if (inside) difference = "(" + difference + ")";
    Sink::help(diagnostic, "there is no unary minus: write '" + difference + "'");
    if (end > 0) Sink::fix(diagnostic, view.start(at), view.end(end - 1), difference, false);
}

namespace {

// The depth-0 pieces of [first, last) between the tokens of kind `separator`, as [start, end).
std::vector<std::pair<int32_t, int32_t>> pieces(const View& view, int32_t first, int32_t last,
                                                TokenType separator) {
    std::vector<std::pair<int32_t, int32_t>> found;
    int32_t depth = 0, start = first;
    for (int32_t i = first; i < last; i++) {
        TokenType kind = view.type(i);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (depth == 0 && kind == separator) {
            found.emplace_back(start, i);
            start = i + 1;
        }
    }
    found.emplace_back(start, last);
    return found;
}

// A string item without the space at its end or start that print's separator now gives.
std::string trimmed_string(std::string text) {
    if (text.size() > 2 && text[text.size() - 2] == ' ') text.erase(text.size() - 2, 1);
    if (text.size() > 2 && text[1] == ' ') text.erase(1, 1);
    return text;
}

}  // namespace

void help_print_item(const Source& source, Diagnostic& diagnostic, int32_t print, int32_t item,
                     int32_t at) {
    View view{source};
    int32_t open = print + 1;
    int32_t close = closing_parenthesis(view, open);
    bool joined = view.type(at) == TOKEN_PLUS && view.type(item) == TOKEN_STRING;
    const char* lead = joined ? "strings are not joined with '+': give the parts as items"
                              : "a print item is one name, number or string: compute the "
                                "value first";
    if (close < 0 || view.type(close + 1) != TOKEN_SEMICOLON || !view.same_line(print, close)) {
        Sink::help(diagnostic, std::string(lead) + (joined ? ", 'print(\"total:\", x);'"
                                                           : ", 'var t = ...;', then 'print(t);'"));
        return;
    }
    // Each expression becomes a variable of its own, declared just before; strings joined
    // with '+' become items of their own.
    std::string declarations, items;
    int taken = 0;
    auto add = [&](int32_t first, int32_t last) {
        std::string written = view.span(first, last);
        if (last - first == 1) {
            items += (items.empty() ? "" : ", ") +
                     (view.type(first) == TOKEN_STRING ? trimmed_string(written) : written);
            return;
        }
        std::string name = fresh_name(view, "t", taken++);
        declarations += "var " + name + " = " + written + "; ";
        items += (items.empty() ? "" : ", ") + name;
    };
    for (auto [first, last] : pieces(view, open + 1, close, TOKEN_COMMA)) {
        std::vector<std::pair<int32_t, int32_t>> parts = pieces(view, first, last, TOKEN_PLUS);
        bool strings = std::any_of(parts.begin(), parts.end(), [&](auto part) {
            return part.second - part.first == 1 && view.type(part.first) == TOKEN_STRING;
        });
        if (strings && parts.size() > 1) {
            for (auto [from, to] : parts) add(from, to);
        } else {
            add(first, last);
        }
    }
    std::string statement = "print(" + items + ");";
    std::string separator = view.first_on_line(print) ? cat({"\n", view.indent(print)}) : " ";
    if (!declarations.empty()) declarations.pop_back();
    Sink::help(diagnostic, std::string(lead) +
                               (declarations.empty() ? ", '" : ", '" + declarations + "', then '") +
                               statement + "'");
    ;
    Sink::fix(diagnostic, view.start(print), view.end(close + 1),
              declarations.empty() ? statement : declarations + separator + statement, false);
}

void help_print_parentheses(const Source& source, Diagnostic& diagnostic, int32_t print) {
    View view{source};
    int32_t at = print + 1;
    int32_t last = at;
    for (;;) {
        TokenType kind = view.type(last);
        if (kind != TOKEN_IDENTIFIER && kind != TOKEN_NUMBER && kind != TOKEN_STRING) return;
        if (view.type(last + 1) != TOKEN_COMMA) break;
        last += 2;
    }
    TokenType after = view.type(last + 1);
    bool ends = after == TOKEN_SEMICOLON || after == TOKEN_EOF || !view.same_line(last, last + 1);
    std::string statement = "print(" + view.span(at, last + 1) + ");";
    Sink::help(diagnostic, "the items go in parentheses: '" + statement + "'");
    if (!ends) return;
    int32_t end = after == TOKEN_SEMICOLON ? last + 1 : last;
    Sink::fix(diagnostic, view.start(print), view.end(end), statement, true);
}

void help_header(const Source& source, Diagnostic& diagnostic, int32_t keyword) {
    View view{source};
    std::string word = view.text(keyword);
    int32_t first = keyword + 1;
    int32_t end = operand_end(view, first, false);
    while (end < view.eof() && view.type(end) == TOKEN_ASSIGN && view.same_line(first, end)) {
        end = operand_end(view, end + 1, false);  // "x = 1" meant as a comparison: shown whole
    }
    if (end == first || !view.same_line(first, end - 1) || view.type(end - 1) == TOKEN_ASSIGN) {
        Sink::help(diagnostic, "the condition goes in parentheses: '" + word + " (x > 0) {'");
        return;
    }
    std::string condition = view.span(first, end);
    std::string header = word + " (" + condition + ") {";
    Sink::help(diagnostic, "the condition goes in parentheses: '" + header + "'");
    size_t from = view.start(first);
    if (view.type(end) == TOKEN_LBRACE) {
        Sink::fix(diagnostic, from, view.end(end), "(" + condition + ") {", false);
        return;
    }
    std::string_view text = source.text;
    bool lua = view.word(end, "then") || view.word(end, "do");
    size_t after_colon = view.end(end - 1);
    while (after_colon < text.size() && text[after_colon] == ' ') after_colon++;
    bool python = !lua && after_colon < text.size() && text[after_colon] == ':';
    if (lua) {
        // The matching "end": blocks that open with "then" or "do" nest.
        int32_t depth = 0;
        for (int32_t i = end; i < view.eof(); i++) {
            if (view.word(i, "then") || view.word(i, "do")) depth++;
            if (view.word(i, "end") && --depth == 0) {
                std::string body(text.substr(view.end(end), view.start(i) - view.end(end)));
                Sink::fix(diagnostic, from, view.end(i), "(" + condition + ") {" + body + "}",
                          false);
                return;
            }
        }
        return;
    }
    if (!python) return;
    // The block is every following line indented more than the header's.
    std::string indent = view.indent(keyword);
    int32_t last = -1;
    for (int32_t i = end; i < view.eof(); i++) {
        if (view.first_on_line(i) && view.indent(i).size() <= indent.size()) break;
        last = i;
    }
    if (last < 0) return;
    std::string body(text.substr(after_colon + 1, view.end(last) - after_colon - 1));
    Sink::fix(diagnostic, from, view.end(last),
              "(" + condition + ") {" + body + "\n" + indent + "}", false);
}

namespace {

// "else", "else if", "elif": a second "if" whose condition excludes the first.
void help_else(const View& view, Diagnostic& diagnostic, int32_t name) {
    std::string word = view.text(name);
    TokenType next = view.type(name + 1);
    bool chained = word != "else" || next == TOKEN_IF;
    int32_t first = 0, last = 0;
    if (!previous_if(view, name, &first, &last)) {
        Sink::help(diagnostic, chained ? "there is no 'else if': write a second 'if' whose "
                                         "condition excludes the first"
                                       : "there is no 'else': write a second 'if' with the "
                                         "opposite condition");
        return;
    }
    std::string opposite = cat({"(", view.span(first, last), ") == 0"});
    if (!chained && next == TOKEN_LBRACE) {
        std::string header = "if (" + opposite + ")";
        Sink::help(diagnostic,
                   "there is no 'else': write a second 'if' with the opposite "
                   "condition, '" +
                       header + " {', when the first block leaves its condition as it was");
        Sink::fix(diagnostic, view.start(name), view.end(name), header, false);
        return;
    }
    int32_t open = next == TOKEN_IF ? name + 2 : name + 1;
    int32_t close = view.type(open) == TOKEN_LPAREN ? closing_parenthesis(view, open) : -1;
    if (close < 0 || view.type(close + 1) != TOKEN_LBRACE) {
        Sink::help(diagnostic, "there is no '" + word +
                                   "': write a second 'if' whose condition excludes the first, "
                                   "'if ((" +
                                   opposite + ") * (...)) {'");
        return;
    }
    std::string header = "if ((" + opposite + ") * " + as_truth(view, open + 1, close) + ")";
    Sink::help(diagnostic, "there is no '" + word + (next == TOKEN_IF ? " if" : "") +
                               "': write a second 'if' whose condition excludes the first, '" +
                               header + " {'");
    Sink::fix(diagnostic, view.start(name), view.end(close), header, false);
}

// "for": a while loop with its counter set before it and stepped at the end of its body.
void help_for(const View& view, Diagnostic& diagnostic, int32_t name) {
    // "for i in range(n):"
    int32_t close = view.type(name + 4) == TOKEN_LPAREN ? closing_parenthesis(view, name + 4) : -1;
    if (view.type(name + 1) == TOKEN_IDENTIFIER && view.word(name + 2, "in") &&
        view.word(name + 3, "range") && close > name + 5) {
        std::string counter = view.text(name + 1);
        std::string limit = view.span(name + 5, close);
        Sink::help(diagnostic, "there is no 'for': write 'var " + counter +
                                   " = 0;' before 'while (" + counter + " < " + limit + ") { ... " +
                                   counter + " = " + counter + " + 1; }'");
        return;
    }
    if (!help_c_for(view, diagnostic, name)) {
        Sink::help(diagnostic,
                   "there is no 'for': write 'var i = 0;' before a 'while (i < n) { ... i = i + "
                   "1; }'");
    }
}

// Words of other languages' control flow and functions; false for any other word.
bool help_control_word(const View& view, Diagnostic& diagnostic, int32_t name, int32_t loop_open) {
    std::string word = view.text(name);
    if (word == "break") {
        int32_t a = 0, b = 0;
        std::string condition = loop_open >= 0 && header_condition(view, loop_open, &a, &b)
                                    ? as_truth(view, a, b)
                                    : "(i < n)";
        std::string flag = fresh_name(view, "done");
        Sink::help(diagnostic, "there is no 'break': end the loop through its condition, 'while (" +
                                   condition + " * (" + flag + " == 0)) {', and set '" + flag +
                                   " = 1;' here");
    } else if (word == "continue") {
        Sink::help(diagnostic,
                   "there is no 'continue': put the rest of the body in an 'if' that tests the "
                   "opposite");
    } else if (word == "end" || word == "then" || word == "do" || word == "done" || word == "fi") {
        Sink::help(diagnostic, "a block is written in braces: 'if (x > 0) { ... }'");
    } else if (word == "def" || word == "func" || word == "fn" || word == "sub" || word == "proc") {
        Sink::help(diagnostic, "there are no functions: write the steps where they are needed");
    } else {
        return false;
    }
    return true;
}

// "x += e;", "x++;": the assignment written out.
bool help_compound(const View& view, Diagnostic& diagnostic, int32_t name) {
    TokenType next = view.type(name + 1);
    if (!is_arithmetic(next) || !view.source.adjacent(name + 1)) return false;
    std::string word = view.text(name), op = view.text(name + 1);
    if (view.type(name + 2) == TOKEN_ASSIGN) {
        // The right-hand side as written, up to the ";".
        int32_t end = name + 3;
        while (end < view.eof() && view.type(end) != TOKEN_SEMICOLON &&
               view.type(end) != TOKEN_RBRACE && view.type(end) != TOKEN_LBRACE &&
               !starts_statement(view.type(end))) {
            end++;
        }
        if (end == name + 3 || view.type(end) != TOKEN_SEMICOLON) {
            Sink::help(diagnostic, "there is no '" + op + "=': write '" + word + " = " + word +
                                       " " + op + " ...;'");
            return true;
        }
        std::string value = view.span(name + 3, end);
        if (end > name + 4) value = "(" + value + ")";
        std::string statement = word + " = " + word + " " + op + " " + value + ";";
        Sink::help(diagnostic, "there is no '" + op + "=': write '" + statement + "'");
        Sink::fix(diagnostic, view.start(name), view.end(end), statement, true);
        return true;
    }
    if (view.type(name + 2) != next || (next != TOKEN_PLUS && next != TOKEN_MINUS)) return false;
    std::string statement = word + " = " + word + " " + op + " 1;";
    Sink::help(diagnostic, "there is no '" + op + op + "': write '" + statement + "'");
    if (view.type(name + 3) == TOKEN_SEMICOLON) {
        Sink::fix(diagnostic, view.start(name), view.end(name + 3), statement, true);
    }
    return true;
}

// "let x = 1;", "int x = 1;": a declaration with another word than "var".
void help_declaration(const View& view, Diagnostic& diagnostic, int32_t name) {
    std::string declared = view.text(name + 1);
    if (view.type(name + 2) != TOKEN_ASSIGN) {
        Sink::help(diagnostic, "a variable is declared with 'var': 'var " + declared + " = 0;'");
        return;
    }
    int32_t end = operand_end(view, name + 3, false);
    std::string value = end > name + 3 ? view.span(name + 3, end) : "0";
    Sink::help(diagnostic,
               "a variable is declared with 'var': 'var " + declared + " = " + value + ";'");
    Sink::fix(diagnostic, view.start(name), view.end(name), "var", false);
}

// "console.log(x)", "printf(...)", "f(x)": a call, where output is print's.
void help_call(const View& view, Diagnostic& diagnostic, int32_t name) {
    std::string word = view.text(name);
    int32_t close = closing_parenthesis(view, name + 1);
    std::string items = close > name + 2 ? view.span(name + 2, close) : "...";
    bool format = items.find('%') != std::string::npos || items.find("\\n") != std::string::npos;
    if (is_output_word(word) && !format) {
        Sink::help(diagnostic, "output is 'print(" + items + ");'");
        Sink::fix(diagnostic, view.start(name), view.end(name), "print", false);
    } else if (is_output_word(word)) {
        Sink::help(diagnostic,
                   "output is 'print(...);': its items are printed with one space between "
                   "them, and a newline after the last");
    } else {
        Sink::help(diagnostic, "there are no functions to call; output is 'print(...);'");
    }
}

}  // namespace

void help_statement_word(const Source& source, Diagnostic& diagnostic, int32_t name,
                         int32_t loop_open) {
    View view{source};
    std::string word = view.text(name);
    TokenType next = view.type(name + 1);
    if (word == "else" || word == "elif" || word == "elseif" || word == "elsif") {
        help_else(view, diagnostic, name);
        return;
    }
    if (word == "for") {
        help_for(view, diagnostic, name);
        return;
    }
    if (help_control_word(view, diagnostic, name, loop_open)) return;
    std::string keyword = lower_keyword(word);
    if (!keyword.empty()) {
        Sink::help(diagnostic, "keywords are written in lower case: '" + keyword + "'");
        Sink::fix(diagnostic, view.start(name), view.end(name), keyword, false);
        return;
    }
    // "console.log(...)": a method call, with an unknown "." between the words.
    if (next == TOKEN_IDENTIFIER && source.after_junk[name + 1] &&
        source.text.substr(view.end(name), view.start(name + 1) - view.end(name)) == ".") {
        Sink::help(diagnostic, "there are no objects or methods: output is 'print(...);'");
        if (view.type(name + 2) == TOKEN_LPAREN) {
            Sink::fix(diagnostic, view.start(name), view.end(name + 1), "print", false);
        }
        return;
    }
    if (help_compound(view, diagnostic, name)) return;
    if (next == TOKEN_IDENTIFIER) {
        help_declaration(view, diagnostic, name);
    } else if (next == TOKEN_LPAREN) {
        help_call(view, diagnostic, name);
    } else if (next == TOKEN_EQ) {
        Sink::help(diagnostic, "to assign, write one '=': '" + word + " = ...;'");
        Sink::fix(diagnostic, view.start(name + 1), view.end(name + 1), "=", false);
    }
}

void help_variable_name(const Source& source, Diagnostic& diagnostic, int32_t at) {
    View view{source};
    TokenType kind = view.type(at);
    if (kind >= TOKEN_PRINT && kind <= TOKEN_RETURN) {
        Sink::help(diagnostic,
                   std::string("'") + view.text(at) + "' is a keyword: choose another name");
    } else if (kind == TOKEN_NUMBER && view.type(at + 1) == TOKEN_IDENTIFIER &&
               source.adjacent(at)) {
        help_number(source, diagnostic, at + 1);
    }
}

bool help_foreign_word(const Source& source, Diagnostic& diagnostic, int32_t name) {
    View view{source};
    std::string word = view.text(name);
    struct Meaning {
        const char* word;
        const char* value;
    };
    static const Meaning values[] = {{"True", "1"},  {"true", "1"}, {"False", "0"},
                                     {"false", "0"}, {"nil", "0"},  {"null", "0"},
                                     {"None", "0"},  {"NULL", "0"}, {"undefined", "0"}};
    for (const Meaning& meaning : values) {
        if (word != meaning.word) continue;
        Sink::help(diagnostic, "there is no '" + word +
                                   "': truth is a number, 1 for true and 0 "
                                   "for false; write " +
                                   meaning.value);
        Sink::fix(diagnostic, view.start(name), view.end(name), meaning.value, false);
        return true;
    }
    if (word == "and" || word == "or" || word == "not") {
        Sink::help(diagnostic,
                   "there is no '" + word +
                       "': multiply conditions for 'and', add them for 'or', and write 'x == 0' "
                       "for 'not x'");
        return true;
    }
    return false;
}
