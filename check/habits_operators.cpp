// Help for operators of other languages: "&&" and "||", "!", "<=" and ">=", chained
// comparisons, "**" and unary minus, each rewritten with the operators a script has.
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "habits.h"
#include "statement_view.h"

void help_lone_logical(const Source& source, Diagnostic& diagnostic, int32_t level_start,
                       int32_t at, char byte) {
    View view{source};
    bool both = byte == '&';
    std::string written(1, byte);
    std::string meant = both ? "'and' ('&&' elsewhere)" : "'or' ('||' elsewhere)";
    int32_t end = operand_end(view, at, false);
    if (at <= level_start || end <= at || !view.same_line(level_start, end - 1)) {
        Sink::help(diagnostic, "a single '" + written + "' is skipped: for " + meant +
                                   (both ? ", multiply the conditions: '(a > 0) * (b > 0)'"
                                         : ", add the conditions: '(a > 0) + (b > 0)'"));
        return;
    }
    std::string joined =
        as_truth(view, level_start, at) + (both ? " * " : " + ") + as_truth(view, at, end);
    Sink::help(diagnostic, "a single '" + written + "' is skipped: for " + meant + ", " +
                               (both ? "multiply the conditions, '" : "add the conditions, '") +
                               joined + "'" + (both ? "" : ", which is not 0 when either holds"));
    Sink::fix(diagnostic, view.start(level_start), view.end(end - 1), joined, false);
}

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
    int32_t string_operand = -1;
    for (int32_t at : {op - 1, op + 2}) {
        if (at >= 0 && view.type(at) == TOKEN_STRING) string_operand = at;
    }
    if (string_operand >= 0) {
        // "name <= \"m\"": no rewriting of the operator makes a string comparable.
        Sink::help(diagnostic, "there is no '" + written +
                                   "', and strings cannot be compared: a string literal can "
                                   "only be a print item or the whole value of a 'var'");
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
    // "a < b < c < d": every link of the chain, so that the fix leaves no comparison behind.
    int links = 2;
    for (; is_comparison(view.type(end)); links++) {
        int32_t op = end, next = operand_end(view, op + 1, true);
        if (next == op + 1 || !view.same_line(left, next - 1)) break;
        both += cat({" * (", view.span(at + 1, op), " ", view.text(op), " ",
                     view.span(op + 1, next), ")"});
        at = op;
        end = next;
    }
    Sink::help(diagnostic, std::string(links > 2 ? "to test each" : "to test both") +
                               ", multiply the comparisons: '" + both + "'");
    Sink::fix(diagnostic, view.start(left), view.end(end - 1), both, false);
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
