// Help for if and while headers as other languages write them: a condition without parentheses
// ("if x > 3:", "while x < 3 do", "if x > 3 then ... end"), and a body without braces.
#include <string>
#include <string_view>

#include "habits.h"
#include "statement_view.h"

void help_braces(const Source& source, Diagnostic& diagnostic, int32_t keyword, int32_t at) {
    View view{source};
    std::string word = view.text(keyword);
    // The one statement after the header: up to its ";", outside parentheses, on this line.
    int32_t end = at, depth = 0;
    while (end < view.eof() && view.same_line(at, end)) {
        TokenType kind = view.type(end);
        depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
        if (kind == TOKEN_LBRACE || kind == TOKEN_RBRACE ||
            (end > at && is_statement_keyword(kind))) {
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
