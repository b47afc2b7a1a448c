// Help for statements that start with a word other languages use: "else", "for" (C-style loops
// too), "break", "continue", "end", "def", "let", "int", capitalised keywords, "console.log(...)",
// calls such as "printf(...)", "x += 1" and "x++".
#include <string>
#include <string_view>

#include "habits.h"
#include "statement_view.h"

namespace {

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

// A for loop's step as an assignment: "i++", "++i", "i += 2" written out; any other step as
// written.
std::string as_step(const View& view, int32_t first, int32_t end) {
    auto doubled = [&](int32_t at) {
        return (view.type(at) == TOKEN_PLUS || view.type(at) == TOKEN_MINUS) &&
               view.type(at + 1) == view.type(at) && view.source.adjacent(at);
    };
    int32_t name = view.type(first) == TOKEN_IDENTIFIER ? first : first + 2;
    if (end - first == 3 && view.type(name) == TOKEN_IDENTIFIER &&
        doubled(name == first ? first + 1 : first)) {
        std::string word = view.text(name);
        return word + " = " + word + " " + view.text(name == first ? first + 1 : first) + " 1";
    }
    TokenType op = view.type(first + 1);
    if (end - first >= 4 && view.type(first) == TOKEN_IDENTIFIER && is_arithmetic(op) &&
        view.type(first + 2) == TOKEN_ASSIGN && view.source.adjacent(first + 1)) {
        std::string word = view.text(first), value = view.span(first + 3, end);
        if (end - first > 4) value = "(" + value + ")";
        return word + " = " + word + " " + view.text(first + 1) + " " + value;
    }
    return view.span(first, end);
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
    std::string step = as_step(view, parts[2], end);
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
        Sink::help(diagnostic, "there is no 'break': declare 'var " + flag +
                                   " = 0;' before the loop, end the loop through its condition, "
                                   "'while (" +
                                   condition + " * (" + flag + " == 0)) {', set '" + flag +
                                   " = 1;' here, and put what follows in the body in 'if (" +
                                   flag + " == 0) { ... }'");
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
               !is_statement_keyword(view.type(end))) {
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
