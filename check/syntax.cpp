// The syntax pass: every statement of every block, whether or not it would run.
//
// It reads statements exactly as the interpreter runs them, so the first error of a block is the
// error the run would stop with there. Blocks end where the interpreter's brace table says:
// after an error the pass skips to the end of the statement, or into the block it meets, and a
// block that runs past its "}" is cut there, so the next statement starts where the run's would.
// Blocks and parentheses are kept on explicit stacks: no input can make it recurse.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <string>

#include "literal.h"
#include "operators.h"
#include "rules.h"

namespace {

enum class Context : uint8_t {
    value,      // an expression statement
    condition,  // the condition of an if or a while
    assigned,   // the value of an assignment or a var: a lone name is a copy
};

struct Frame {
    int32_t open;  // the "{", or -1 for the top level
    int32_t end;   // its "}", or the end token when it has none
    bool loop;     // inside a while body, at any depth
};

struct Operand {
    bool constant;  // numbers and parentheses only
    double value;
};

struct Pending {
    TokenType type;  // an operator, or TOKEN_LPAREN for an open parenthesis
    int32_t token;
};

const char* const expression_item_help =
    "a print item is one name, number or string: compute the value first, 'var t = ...;', then "
    "'print(t);'";

bool starts_statement(TokenType type) {
    return type == TOKEN_PRINT || type == TOKEN_VAR || type == TOKEN_IF || type == TOKEN_WHILE;
}

struct Parser {
    const Source& source;
    Sink& sink;
    Facts& facts;
    std::vector<Frame> frames;
    int32_t pos = 0;
    int32_t eof = 0;
    // Where a failed statement stopped; where the next one surely starts, when that is known
    // (a ";" forgotten at a line end, a "//" comment), or -1.
    int32_t resume = 0;
    int32_t restart = -1;
    // Reused by every expression.
    std::vector<Operand> operands;
    std::vector<Pending> pending;
    std::vector<int32_t> comparisons;  // per open parenthesis: comparison operators so far
    std::vector<int32_t> misplaced;    // "{"s whose "}" is indented as for an outer block
    bool misplaced_found = false;

    TokenType type(int32_t index) const { return source.tokens[index].type; }
    std::string text(int32_t index) const { return std::string(source.token_text(index)); }
    bool in_loop() const { return frames.back().loop; }
    int32_t block_end(int32_t open) const {
        return source.block_end[open] >= 0 ? source.block_end[open] : eof;
    }
    // A name or number as written, for a help line; anything else as `placeholder`.
    std::string operand_text(int32_t index, const char* placeholder) const {
        if (index < 0 || index >= eof) return placeholder;
        TokenType kind = type(index);
        return kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER ? text(index) : placeholder;
    }

    void run();
    void statement();
    void recover(int32_t start);
    bool print_statement();
    bool var_statement();
    bool block_header();
    bool assignment();
    bool expect_semicolon();
    bool expression(Context context);
    void reduce();

    // Something expected is not there. Where a token ends what came before (";", ")", ",",
    // "}", the end), the caret goes just after the token before it; any other token stands
    // where the thing belongs, and is shown itself.
    Diagnostic& missing(int32_t at, const char* code, const char* message) {
        TokenType kind = type(at);
        bool closer = kind == TOKEN_SEMICOLON || kind == TOKEN_RPAREN || kind == TOKEN_COMMA ||
                      kind == TOKEN_EOF;
        // A "}" where a statement starts closes nothing, and is the mistake itself.
        if (kind == TOKEN_RBRACE && at > 0) {
            TokenType before = type(at - 1);
            closer = before != TOKEN_SEMICOLON && before != TOKEN_LBRACE && before != TOKEN_RBRACE;
        }
        return closer ? sink.after(at, code, message) : sink.at(at, Severity::error, code, message);
    }
    bool fail(int32_t at) {
        resume = at;
        return false;
    }
    void note_misplaced_close(Diagnostic& diagnostic, int32_t open);
    void help_after_operand(Diagnostic& diagnostic, int32_t at, Context context);
    void help_expected_expression(Diagnostic& diagnostic, int32_t at);
    void help_unexpected_identifier(Diagnostic& diagnostic, int32_t name);
    bool exponent_help(Diagnostic& diagnostic, int32_t at);
};

void Parser::run() {
    eof = static_cast<int32_t>(source.tokens.size()) - 1;
    frames.push_back(Frame{-1, eof, false});
    for (;;) {
        Frame frame = frames.back();
        if (pos < frame.end) {
            statement();
            continue;
        }
        if (frame.open < 0) return;
        if (source.block_end[frame.open] >= 0) {
            pos = frame.end + 1;
        } else {
            Diagnostic& diagnostic = sink.after(eof, "expected-rbrace", "Expected '}'");
            sink.note(diagnostic, frame.open, "block opened here");
            note_misplaced_close(diagnostic, frame.open);
        }
        frames.pop_back();
    }
}

void Parser::statement() {
    int32_t start = pos;
    restart = -1;
    bool ok = false;
    switch (type(pos)) {
        case TOKEN_PRINT:
            ok = print_statement();
            break;
        case TOKEN_VAR:
            ok = var_statement();
            break;
        case TOKEN_IF:
        case TOKEN_WHILE:
            ok = block_header();
            break;
        case TOKEN_IDENTIFIER:
            ok = assignment();
            break;
        default:
            ok = expression(Context::value) && expect_semicolon();
            break;
    }
    if (!ok) recover(start);
}

// When a block is left open, the "}" missing is often an inner block's, and that block took the
// outer one's "}". Such a "}" stands first on its line, indented less than the line its "{" is
// on; the first such block inside the open one is named.
void Parser::note_misplaced_close(Diagnostic& diagnostic, int32_t open) {
    const std::vector<SourceToken>& tokens = source.tokens;
    if (!misplaced_found) {
        misplaced_found = true;
        int32_t indent = 1;  // the column of the first token on the current line
        for (int32_t i = 0; i < eof; i++) {
            bool first_on_line = i == 0 || tokens[i - 1].end_line < tokens[i].line;
            if (first_on_line) indent = tokens[i].column;
            int32_t close = source.block_end[i];
            if (type(i) != TOKEN_LBRACE || close < 0) continue;
            if (tokens[close - 1].end_line < tokens[close].line && tokens[close].column < indent) {
                misplaced.push_back(i);
            }
        }
    }
    auto inner = std::upper_bound(misplaced.begin(), misplaced.end(), open);
    if (inner == misplaced.end()) return;
    sink.note(diagnostic, *inner,
              "is this the block left open? the '}' on line " +
                  std::to_string(tokens[source.block_end[*inner]].line) +
                  " is indented as if it closed an outer block");
}

// Skips the rest of a failed statement: to its ";", to the next statement keyword, or into the
// block it meets (a broken header still has a body worth checking); never past the block's end.
void Parser::recover(int32_t start) {
    if (type(start) == TOKEN_RBRACE) {
        pos = start + 1;  // a "}" that closes nothing
        return;
    }
    if (restart >= 0) {
        pos = restart;
        return;
    }
    const Frame& frame = frames.back();
    int32_t parentheses = 0;  // a ";" inside them, as in "for (i = 0; ...)", ends nothing
    for (int32_t at = resume;; at++) {
        if (at >= frame.end) {
            pos = at;
            return;
        }
        TokenType kind = type(at);
        if (kind == TOKEN_LPAREN) parentheses++;
        if (kind == TOKEN_RPAREN && parentheses > 0) parentheses--;
        if (kind == TOKEN_SEMICOLON && parentheses == 0) {
            pos = at + 1;
            return;
        }
        if (starts_statement(kind) && at > start) {
            pos = at;
            return;
        }
        if (kind == TOKEN_LBRACE) {
            frames.push_back(Frame{at, block_end(at), frame.loop || type(start) == TOKEN_WHILE});
            pos = at + 1;
            return;
        }
    }
}

// print: "(" (item ("," item)*)? ")" ";"
bool Parser::print_statement() {
    pos++;
    if (type(pos) != TOKEN_LPAREN) {
        Diagnostic& diagnostic =
            sink.after(pos, "expected-lparen-after-print", "Expected '(' after print");
        TokenType kind = type(pos);
        if (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER || kind == TOKEN_STRING) {
            Sink::help(diagnostic,
                       std::string("the items go in parentheses: 'print(") + text(pos) + ");'");
        }
        return fail(pos);
    }
    pos++;
    bool first = true;
    while (type(pos) != TOKEN_RPAREN) {
        if (!first) {
            if (type(pos) != TOKEN_COMMA) {
                Diagnostic& diagnostic = sink.after(pos, "expected-comma", "Expected ','");
                TokenType kind = type(pos);
                if (kind == TOKEN_PLUS && type(pos - 1) == TOKEN_STRING) {
                    Sink::help(diagnostic,
                               "strings are not joined with '+': give the parts as items, "
                               "'print(\"total:\", x);'");
                } else if (level_of(kind) > 0 || kind == TOKEN_LPAREN) {
                    Sink::help(diagnostic, expression_item_help);
                } else if (!exponent_help(diagnostic, pos) &&
                           (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER ||
                            kind == TOKEN_STRING)) {
                    Sink::help(diagnostic, "separate the items with ','");
                }
                return fail(pos);
            }
            pos++;
        }
        TokenType kind = type(pos);
        if (kind == TOKEN_IDENTIFIER) {
            facts.uses.push_back(Use{pos, UseKind::print, in_loop()});
        } else if (kind != TOKEN_STRING && kind != TOKEN_NUMBER) {
            Diagnostic& diagnostic = sink.at(pos, Severity::error, "unexpected-token-in-print",
                                             "Unexpected token in print");
            if (kind == TOKEN_LPAREN || kind == TOKEN_MINUS) {
                Sink::help(diagnostic, expression_item_help);
            }
            return fail(starts_statement(kind) ? pos + 1 : pos);
        }
        pos++;
        first = false;
    }
    pos++;
    return expect_semicolon();
}

// var: IDENTIFIER "=" (STRING | expression) ";"
bool Parser::var_statement() {
    int32_t var_token = pos++;
    if (type(pos) != TOKEN_IDENTIFIER) {
        Diagnostic& diagnostic = missing(pos, "expected-variable-name", "Expected variable name");
        TokenType kind = type(pos);
        if (kind >= TOKEN_PRINT && kind <= TOKEN_RETURN) {
            Sink::help(diagnostic,
                       std::string("'") + text(pos) + "' is a keyword: choose another name");
        }
        return fail(starts_statement(kind) ? pos + 1 : pos);
    }
    int32_t name = pos++;
    auto declare = [&](bool from_string) {
        facts.declarations.push_back(
            Declaration{var_token, name, pos, frames.back().open, in_loop(), from_string});
    };
    if (type(pos) != TOKEN_ASSIGN) {
        Diagnostic& diagnostic = sink.after(pos, "expected-assign", "Expected '='");
        Sink::help(diagnostic,
                   std::string("a variable starts with a value: 'var ") + text(name) + " = 0;'");
        declare(false);
        return fail(pos);
    }
    pos++;
    bool from_string = type(pos) == TOKEN_STRING;
    if (from_string) {
        pos++;
    } else if (!expression(Context::assigned)) {
        declare(false);
        return false;
    }
    declare(from_string);
    if (from_string && type(pos) != TOKEN_SEMICOLON && level_of(type(pos)) > 0) {
        Diagnostic& diagnostic = sink.after(pos, "expected-semicolon", "Expected ';'");
        Sink::help(diagnostic,
                   "a string cannot be computed with: print the parts as separate items, "
                   "'print(s, 1);'");
        return fail(pos);
    }
    return expect_semicolon();
}

// if | while: "(" expression ")" "{" -- the block's statements follow as a frame of their own
bool Parser::block_header() {
    bool loop = type(pos) == TOKEN_WHILE;
    std::string keyword = text(pos);
    pos++;
    if (type(pos) != TOKEN_LPAREN) {
        Diagnostic& diagnostic = sink.after(pos, "expected-lparen", "Expected '('");
        Sink::help(diagnostic,
                   std::string("the condition goes in parentheses: '") + keyword + " (x > 0) {'");
        return fail(pos);
    }
    pos++;
    if (!expression(Context::condition)) return false;
    if (type(pos) != TOKEN_RPAREN) {
        Diagnostic& diagnostic = sink.after(pos, "expected-rparen", "Expected ')'");
        help_after_operand(diagnostic, pos, Context::condition);
        return fail(pos);
    }
    pos++;
    if (type(pos) != TOKEN_LBRACE) {
        Diagnostic& diagnostic = sink.after(pos, "expected-lbrace", "Expected '{'");
        Sink::help(diagnostic, std::string("the body goes in braces, even a single statement: '") +
                                   keyword + " (...) { ... }'");
        return fail(pos);
    }
    frames.push_back(Frame{pos, block_end(pos), in_loop() || loop});
    pos++;
    return true;
}

// assignment: IDENTIFIER "=" expression ";"
bool Parser::assignment() {
    int32_t name = pos++;
    if (type(pos) != TOKEN_ASSIGN) {
        // The run checks the "=" before it looks the name up, so the name is not a use.
        TokenType next = type(pos);
        bool compound = level_of(next) >= 2 && source.adjacent(pos) &&
                        (type(pos + 1) == TOKEN_ASSIGN ||
                         (type(pos + 1) == next && (next == TOKEN_PLUS || next == TOKEN_MINUS)));
        Diagnostic& diagnostic = sink.at(name, Severity::error,
                                         compound ? "compound-assignment" : "unexpected-identifier",
                                         "Unexpected identifier");
        help_unexpected_identifier(diagnostic, name);
        return fail(pos);
    }
    facts.uses.push_back(Use{name, UseKind::target, in_loop()});
    pos++;
    return expression(Context::assigned) && expect_semicolon();
}

bool Parser::expect_semicolon() {
    if (type(pos) == TOKEN_SEMICOLON) {
        pos++;
        return true;
    }
    Diagnostic& diagnostic = sink.after(pos, "expected-semicolon", "Expected ';'");
    help_after_operand(diagnostic, pos, Context::value);
    // A ";" forgotten at a line end: the name on the next line starts a statement.
    if (type(pos) == TOKEN_IDENTIFIER &&
        source.tokens[pos].line > source.tokens[pos - 1].end_line) {
        restart = pos;
    }
    return fail(pos);
}

// Applies the operator on top of the stack to the two operands below it.
void Parser::reduce() {
    Pending op = pending.back();
    pending.pop_back();
    Operand right = operands.back();
    operands.pop_back();
    Operand& left = operands.back();
    bool zero_divisor = false;
    double value = apply_operator(op.type, left.value, right.value, [&] { zero_divisor = true; });
    if (zero_divisor && right.constant) {
        Diagnostic& diagnostic =
            sink.at(op.token, Severity::error, "division-by-zero", "Division by zero");
        Sink::help(diagnostic, "the divisor is always 0 here");
        left.constant = false;
        return;
    }
    left.constant = left.constant && right.constant;
    if (left.constant) left.value = value;
}

// expression: term (("==" | "!=" | ">" | "<") term)*, with terms and factors as usual. Read
// with operator precedence over explicit stacks, which finds the same errors at the same tokens
// as the run's descent, and folds constants to find a divisor that is always zero.
bool Parser::expression(Context context) {
    operands.clear();
    pending.clear();
    comparisons.assign(1, 0);
    size_t first_use = facts.uses.size();
    int32_t operators = 0;
    for (;;) {
        // An operand, after any number of "(".
        TokenType kind = type(pos);
        if (kind == TOKEN_LPAREN) {
            pending.push_back(Pending{TOKEN_LPAREN, pos});
            comparisons.push_back(0);
            pos++;
            continue;
        }
        if (kind == TOKEN_NUMBER) {
            operands.push_back(Operand{true, convert_literal(source.token_text(pos).data(), source.token_text(pos).size())});
        } else if (kind == TOKEN_IDENTIFIER) {
            operands.push_back(Operand{false, 0.0});
            facts.uses.push_back(Use{pos, UseKind::value, in_loop()});
        } else if (kind == TOKEN_STRING) {
            Diagnostic& diagnostic = sink.at(pos, Severity::error, "string-in-expression",
                                             "Cannot use string in expression");
            Sink::help(diagnostic,
                       "a string can only be a print item or the whole value of a 'var'");
            return fail(pos);
        } else {
            Diagnostic& diagnostic = missing(pos, "expected-expression", "Expected expression");
            help_expected_expression(diagnostic, pos);
            return fail(pos);
        }
        pos++;
        // Operators and closing parentheses after the operand.
        for (;;) {
            TokenType next = type(pos);
            int level = level_of(next);
            if (level > 0) {
                while (!pending.empty() && pending.back().type != TOKEN_LPAREN &&
                       level_of(pending.back().type) >= level) {
                    reduce();
                }
                if (level == 1 && ++comparisons.back() == 2) {
                    Diagnostic& diagnostic =
                        sink.at(pos, Severity::warning, "chained-comparison",
                                "this compares the 0 or 1 of the comparison before it");
                    Sink::help(diagnostic,
                               "to test both, multiply the comparisons: '(a < b) * (b < c)'");
                }
                pending.push_back(Pending{next, pos});
                operators++;
                pos++;
                break;
            }
            if (comparisons.size() == 1) {
                while (!pending.empty()) reduce();
                if (context == Context::assigned && operators == 0 && operands.size() == 1 &&
                    facts.uses.size() == first_use + 1) {
                    facts.uses.back().kind = UseKind::copy;
                }
                return true;
            }
            if (next != TOKEN_RPAREN) {
                Diagnostic& diagnostic = sink.after(pos, "expected-rparen", "Expected ')'");
                help_after_operand(diagnostic, pos, context);
                return fail(pos);
            }
            while (pending.back().type != TOKEN_LPAREN) reduce();
            pending.pop_back();
            comparisons.pop_back();
            pos++;
        }
    }
}

// "1e5": a number, then a word from "e" on.
bool Parser::exponent_help(Diagnostic& diagnostic, int32_t at) {
    if (at == 0 || type(at - 1) != TOKEN_NUMBER || type(at) != TOKEN_IDENTIFIER ||
        !source.adjacent(at - 1)) {
        return false;
    }
    std::string word = text(at);
    if (word[0] != 'e' && word[0] != 'E') return false;
    std::string written = text(at - 1) + word;
    if (word.size() == 1 && (type(at + 1) == TOKEN_MINUS || type(at + 1) == TOKEN_PLUS) &&
        source.adjacent(at) && type(at + 2) == TOKEN_NUMBER && source.adjacent(at + 1)) {
        written += text(at + 1) + text(at + 2);
    }
    std::string full = "the number in full";
    char buffer[64];
    double value = std::strtod(written.c_str(), nullptr);
    if (std::isfinite(value) && value != 0.0 && value < 1e21 && value >= 1e-15) {
        auto result =
            std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
        if (result.ec == std::errc{}) full = std::string(buffer, result.ptr);
    }
    Sink::help(diagnostic, std::string("there is no exponent notation: write ") + full);
    return true;
}

// Help for the tokens people bring from other languages, where an operand has ended.
void Parser::help_after_operand(Diagnostic& diagnostic, int32_t at, Context context) {
    if (exponent_help(diagnostic, at)) return;
    // A left operand that ends a longer expression ("x == 1 && y") would read wrongly alone.
    bool lone_left = at < 2 || level_of(type(at - 2)) == 0;
    std::string left = lone_left ? operand_text(at - 1, "a") : "a";
    std::string right = operand_text(at + 1, "b");
    switch (type(at)) {
        case TOKEN_ASSIGN:
            if (context == Context::condition) {
                Sink::help(diagnostic,
                           std::string("to compare, write '==': '") + left + " == " + right + "'");
            }
            return;
        case TOKEN_AND:
            Sink::help(diagnostic, std::string("there is no '&&': multiply the conditions, '(") +
                                       left + " != 0) * (" + right + " != 0)', or nest two 'if's");
            return;
        case TOKEN_OR:
            Sink::help(diagnostic, std::string("there is no '||': add the conditions, '(") + left +
                                       " != 0) + (" + right + " != 0)', nonzero when either holds");
            return;
        case TOKEN_NOT:
            Sink::help(diagnostic, "'!' alone is no operator: '!=' compares, 'x == 0' negates");
            return;
        default:
            return;
    }
}

// Help for what stands where an operand should.
void Parser::help_expected_expression(Diagnostic& diagnostic, int32_t at) {
    TokenType kind = type(at);
    bool after_operator = at > 0 && source.adjacent(at - 1);
    if (kind == TOKEN_ASSIGN && after_operator &&
        (type(at - 1) == TOKEN_LT || type(at - 1) == TOKEN_GT)) {
        bool less = type(at - 1) == TOKEN_LT;
        std::string left = operand_text(at - 2, "a");
        std::string right = operand_text(at + 1, "b");
        std::string op = less ? "<" : ">";
        Sink::help(diagnostic, std::string("there is no '") + op + "=': write '" + left + " " + op +
                                   " " + right + (less ? " + 1" : " - 1") +
                                   "' for whole numbers, or '(" + left + " " + op + " " + right +
                                   ") + (" + left + " == " + right + ")'");
        return;
    }
    if (kind == TOKEN_SLASH && ((at > 0 && type(at - 1) == TOKEN_SLASH && after_operator) ||
                                (type(at + 1) == TOKEN_SLASH && source.adjacent(at)))) {
        Sink::help(diagnostic, "comments start with '#'");
        // The comment's words are no statement: go on at the next line.
        int32_t next = at;
        while (next < eof && source.tokens[next].line == source.tokens[at].line) next++;
        restart = next;
        return;
    }
    switch (kind) {
        case TOKEN_MINUS: {
            // After an operator the difference needs parentheses: "a * (0 - 1)".
            bool inside = at > 0 && level_of(type(at - 1)) > 0;
            std::string difference = std::string("0 - ") + operand_text(at + 1, "x");
            Sink::help(diagnostic, std::string("there is no unary minus: write '") +
                                       (inside ? "(" + difference + ")" : difference) + "'");
            return;
        }
        case TOKEN_NOT:
            Sink::help(diagnostic, std::string("there is no '!': write '") +
                                       operand_text(at + 1, "x") + " == 0'");
            return;
        case TOKEN_FUNCTION:
        case TOKEN_RETURN:
            Sink::help(diagnostic, std::string("'") + text(at) +
                                       "' is reserved: the language has no functions");
            return;
        case TOKEN_RBRACE:
            Sink::help(diagnostic, "this '}' closes no block");
            return;
        case TOKEN_LBRACE:
            Sink::help(diagnostic, "a block follows 'if (...)' or 'while (...)'");
            return;
        case TOKEN_SEMICOLON:
            // Only where a statement starts: after "x =" the value is what is missing.
            if (at == 0 || type(at - 1) == TOKEN_SEMICOLON || type(at - 1) == TOKEN_LBRACE ||
                type(at - 1) == TOKEN_RBRACE) {
                Sink::help(diagnostic, "a ';' alone is no statement: remove it");
            }
            return;
        default:
            return;
    }
}

// Help for a statement that starts with a name not followed by "=".
void Parser::help_unexpected_identifier(Diagnostic& diagnostic, int32_t name) {
    std::string word = text(name);
    TokenType next = type(name + 1);
    if (word == "else") {
        Sink::help(diagnostic, next == TOKEN_IF
                                   ? "there is no 'else if': write a second 'if' whose condition "
                                     "excludes the first"
                                   : "there is no 'else': write a second 'if' with the opposite "
                                     "condition");
        return;
    }
    if (word == "for") {
        Sink::help(diagnostic,
                   "there is no 'for': write 'var i = 0;' before a 'while (i < n) "
                   "{ ... i = i + 1; }'");
        return;
    }
    if (level_of(next) >= 2 && source.adjacent(name + 1)) {
        std::string op = text(name + 1);
        if (type(name + 2) == TOKEN_ASSIGN) {
            // The right-hand side as written, up to the ";".
            int32_t end = name + 3;
            while (end < eof && type(end) != TOKEN_SEMICOLON && type(end) != TOKEN_RBRACE &&
                   type(end) != TOKEN_LBRACE && !starts_statement(type(end))) {
                end++;
            }
            std::string value = "...";
            if (end > name + 3 && type(end) == TOKEN_SEMICOLON) {
                const SourceToken& first = source.tokens[name + 3];
                const SourceToken& last = source.tokens[end - 1];
                value = std::string(source.text.substr(first.start, last.end - first.start));
                if (end > name + 4) value = std::string("(") + value + ")";
            }
            Sink::help(diagnostic, std::string("there is no '") + op + "=': write '" + word +
                                       " = " + word + " " + op + " " + value + ";'");
            return;
        }
        if (type(name + 2) == next && (next == TOKEN_PLUS || next == TOKEN_MINUS)) {
            Sink::help(diagnostic, std::string("there is no '") + op + op + "': write '" + word +
                                       " = " + word + " " + op + " 1;'");
            return;
        }
    }
    switch (next) {
        case TOKEN_IDENTIFIER:
            Sink::help(diagnostic, std::string("a variable is declared with 'var': 'var ") +
                                       text(name + 1) + " = ...;'");
            return;
        case TOKEN_LPAREN:
            Sink::help(diagnostic, "there are no functions to call; output is 'print(...);'");
            return;
        case TOKEN_EQ:
            Sink::help(diagnostic, std::string("to assign, write one '=': '") + word + " = ...;'");
            return;
        default:
            return;
    }
}

}  // namespace

void check_syntax(const Source& source, Sink& sink, Facts& facts) {
    Parser parser{source, sink, facts, {}, 0, 0, 0, -1, {}, {}, {}, {}, false};
    parser.run();
}
