// Help for print as other languages write it: an expression or strings joined with "+" as an
// item, and items without parentheses.
#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "habits.h"
#include "statement_view.h"

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
