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

#include "braces.h"
#include "habits.h"
#include "literal.h"
#include "operators.h"
#include "places.h"
#include "rules.h"

namespace {

enum class Context : uint8_t {
    value,      // an expression statement
    condition,  // the condition of an if or a while
    assigned,   // the value of an assignment or a var: a lone name is a copy
};

struct Frame {
    int32_t open;        // the "{", or -1 for the top level
    int32_t end;         // its "}", or the end token when it has none
    bool loop;           // inside a while body, at any depth
    bool dead;           // no run enters it: an "if (0)" or "while (0)" body, at any depth
    bool first_pass;     // the body of a loop inside no other loop
    int32_t inner_loop;  // the "{" of the innermost loop body holding it, or -1
    int32_t outer_loop;  // the "{" of the outermost one, or -1
};

struct Operand {
    bool constant;  // numbers and parentheses only
    double value;
    int32_t name;  // a name alone, or -1
};

struct Pending {
    TokenType type;  // an operator, or TOKEN_LPAREN for an open parenthesis
    int32_t token;
};

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
    int32_t statement_start = 0;
    int32_t expression_start = 0;
    // Reused by every expression.
    std::vector<Operand> operands;
    std::vector<Pending> pending;
    std::vector<int32_t> comparisons;  // per open parenthesis: comparison operators so far
    OpenClues clues;                   // where a block left open likely lost its "}"

    TokenType type(int32_t index) const { return source.tokens[index].type; }
    std::string text(int32_t index) const { return std::string(source.token_text(index)); }
    bool in_loop() const { return frames.back().loop; }
    int32_t block_end(int32_t open) const {
        return source.block_end[open] >= 0 ? source.block_end[open] : eof;
    }
    bool word(int32_t index, std::string_view spelling) const {
        return type(index) == TOKEN_IDENTIFIER && source.token_text(index) == spelling;
    }
    // Where the operand group holding the failing token starts: after the innermost open "(",
    // or at the expression's start.
    int32_t level_start() const {
        for (auto it = pending.rbegin(); it != pending.rend(); ++it) {
            if (it->type == TOKEN_LPAREN) return it->token + 1;
        }
        return expression_start;
    }
    Use use(int32_t token, UseKind kind) const {
        const Frame& frame = frames.back();
        return Use{token, kind, frame.loop, frame.open, frame.first_pass};
    }
    // The frame of a block opened at `open` inside the current one.
    Frame inner_frame(int32_t open, bool loop, bool dead) const {
        const Frame& outer = frames.back();
        bool in_loop = outer.loop || loop;
        return Frame{open,
                     block_end(open),
                     in_loop,
                     outer.dead || dead,
                     loop && !outer.loop,
                     loop ? open : outer.inner_loop,
                     outer.loop ? outer.outer_loop : (loop ? open : -1)};
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
    Diagnostic& missing(int32_t at, Code code) {
        bool after = at > 0 && missing_goes_after(type(at), type(at - 1));
        return after ? sink.after(at, code) : sink.at(at, code);
    }
    bool fail(int32_t at) {
        resume = at;
        return false;
    }
    void help_after_operand(Diagnostic& diagnostic, int32_t at);
    // The "&" or "|" standing alone between the token before `at` and `at`, or 0.
    char lone_logical(int32_t at) const {
        std::string_view gap = source.text.substr(
            source.tokens[at - 1].end, source.tokens[at].start - source.tokens[at - 1].end);
        for (char byte : {'&', '|'}) {
            size_t first = gap.find(byte);
            if (first != std::string_view::npos && gap.find(byte, first + 1) == gap.npos &&
                gap.find('#') == gap.npos) {
                return byte;
            }
        }
        return 0;
    }
    void help_expected_expression(Diagnostic& diagnostic, int32_t at);
};

void Parser::run() {
    eof = static_cast<int32_t>(source.tokens.size()) - 1;
    frames.push_back(Frame{-1, eof, false, false, false, -1, -1});
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
            Diagnostic& diagnostic = sink.after(eof, Code::expected_rbrace);
            facts.unclosed.push_back(note_unclosed(source, sink, clues, diagnostic, frame.open));
        }
        frames.pop_back();
    }
}

void Parser::statement() {
    int32_t start = pos;
    statement_start = pos;
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
    if (ok) return;
    recover(start);
    facts.failed.emplace_back(start, std::max(pos, resume + 1));
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
        if (is_statement_keyword(kind) && at > start) {
            pos = at;
            return;
        }
        if (kind == TOKEN_LBRACE) {
            frames.push_back(inner_frame(at, type(start) == TOKEN_WHILE, false));
            pos = at + 1;
            return;
        }
    }
}

// print: "(" (item ("," item)*)? ")" ";"
bool Parser::print_statement() {
    int32_t print = pos++;
    if (type(pos) != TOKEN_LPAREN) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_lparen_after_print);
        help_print_parentheses(source, diagnostic, print);
        return fail(pos);
    }
    pos++;
    bool first = true;
    while (type(pos) != TOKEN_RPAREN) {
        if (!first) {
            if (type(pos) != TOKEN_COMMA) {
                Diagnostic& diagnostic = sink.after(pos, Code::expected_comma);
                TokenType kind = type(pos);
                if (level_of(kind) > 0 || kind == TOKEN_LPAREN) {
                    help_print_item(source, diagnostic, print, pos - 1, pos);
                } else if (!help_number(source, diagnostic, pos) &&
                           (kind == TOKEN_IDENTIFIER || kind == TOKEN_NUMBER ||
                            kind == TOKEN_STRING)) {
                    Sink::help(diagnostic, "separate the items with ','");
                    Sink::fix(diagnostic, source.tokens[pos - 1].end, source.tokens[pos - 1].end,
                              ",", false);
                }
                return fail(pos);
            }
            pos++;
        }
        TokenType kind = type(pos);
        if (kind == TOKEN_IDENTIFIER) {
            facts.uses.push_back(use(pos, UseKind::print));
        } else if (kind != TOKEN_STRING && kind != TOKEN_NUMBER) {
            Diagnostic& diagnostic = sink.at(pos, Code::unexpected_token_in_print);
            if (kind == TOKEN_RPAREN && type(pos - 1) == TOKEN_COMMA) {
                Sink::help(diagnostic, "remove the ',' after the last item");
                Sink::fix(diagnostic, source.tokens[pos - 1].start, source.tokens[pos - 1].end, "",
                          true);
            } else if (kind == TOKEN_MINUS) {
                help_minus(source, diagnostic, pos);
            } else if (kind == TOKEN_LPAREN) {
                help_print_item(source, diagnostic, print, pos, pos);
            }
            return fail(is_statement_keyword(kind) ? pos + 1 : pos);
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
        Diagnostic& diagnostic = missing(pos, Code::expected_variable_name);
        help_variable_name(source, diagnostic, pos);
        return fail(is_statement_keyword(type(pos)) ? pos + 1 : pos);
    }
    int32_t name = pos++;
    const Frame& frame = frames.back();
    auto declare = [&](bool from_string, bool zero) {
        facts.declarations.push_back(Declaration{var_token, name, pos, frame.open, in_loop(),
                                                 from_string, frame.dead, zero, frame.outer_loop});
    };
    if (type(pos) != TOKEN_ASSIGN) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_assign);
        Sink::help(diagnostic, "a variable starts with a value: 'var " + text(name) + " = 0;'");
        if (type(pos) == TOKEN_SEMICOLON) {
            Sink::fix(diagnostic, source.tokens[name].end, source.tokens[name].end, " = 0", false);
        }
        declare(false, false);
        return fail(pos);
    }
    pos++;
    bool from_string = type(pos) == TOKEN_STRING;
    if (from_string) {
        pos++;
    } else if (!expression(Context::assigned)) {
        declare(false, false);
        return false;
    }
    bool zero = from_string || (operands.back().constant && operands.back().value == 0.0);
    declare(from_string, zero);
    if (from_string && type(pos) != TOKEN_SEMICOLON && level_of(type(pos)) > 0) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_semicolon);
        Sink::help(diagnostic,
                   "a string cannot be computed with: print the parts as separate items, "
                   "'print(s, 1);'");
        return fail(pos);
    }
    return expect_semicolon();
}

// if | while: "(" expression ")" "{" -- the block's statements follow as a frame of their own
bool Parser::block_header() {
    int32_t keyword = pos;
    bool loop = type(pos) == TOKEN_WHILE;
    pos++;
    if (type(pos) != TOKEN_LPAREN) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_lparen);
        help_header(source, diagnostic, keyword);
        return fail(pos);
    }
    pos++;
    int32_t condition = pos;
    if (!expression(Context::condition)) return false;
    bool never = operands.back().constant && operands.back().value == 0.0;
    if (type(pos) != TOKEN_RPAREN) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_rparen);
        help_after_operand(diagnostic, pos);
        return fail(pos);
    }
    int32_t condition_end = pos++;
    if (type(pos) == TOKEN_SEMICOLON && type(pos + 1) == TOKEN_LBRACE) {
        // "if (c); {": the ";" ends the header before its body; the body is read as meant.
        Diagnostic& diagnostic = sink.after(pos, Code::expected_lbrace);
        Sink::help(diagnostic, "remove the ';': it ends the '" + text(keyword) +
                                   "' before its body, '" + text(keyword) + " (" +
                                   std::string(source.text.substr(
                                       source.tokens[condition].start,
                                       source.tokens[condition_end - 1].end -
                                           source.tokens[condition].start)) +
                                   ") {'");
        Sink::fix(diagnostic, source.tokens[pos].start, source.tokens[pos].end, "", true);
        facts.failed.emplace_back(keyword, pos + 1);
        pos++;
    } else if (type(pos) != TOKEN_LBRACE) {
        Diagnostic& diagnostic = sink.after(pos, Code::expected_lbrace);
        help_braces(source, diagnostic, keyword, pos);
        return fail(pos);
    }
    Frame frame = inner_frame(pos, loop, never);
    if (loop) facts.loops.push_back(Loop{condition, condition_end, pos, frame.end, frame.dead});
    frames.push_back(frame);
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
        Diagnostic& diagnostic =
            sink.at(name, compound ? Code::compound_assignment : Code::unexpected_identifier);
        help_statement_word(source, diagnostic, name, frames.back().inner_loop);
        if (word(name, "for") && next == TOKEN_LPAREN) {
            // "for (...; ...; ...) {": the header's ";"s end nothing; its body is checked, with
            // the counter its "var" declares.
            if (type(pos + 1) == TOKEN_VAR && type(pos + 2) == TOKEN_IDENTIFIER &&
                type(pos + 3) == TOKEN_ASSIGN) {
                const Frame& frame = frames.back();
                facts.declarations.push_back(Declaration{pos + 1, pos + 2, pos + 4, frame.open,
                                                         in_loop(), false, frame.dead, false,
                                                         frame.outer_loop});
            }
            int32_t depth = 0;
            for (int32_t at = pos; at < frames.back().end; at++) {
                TokenType kind = type(at);
                if (kind == TOKEN_LBRACE || kind == TOKEN_RBRACE) break;
                depth += kind == TOKEN_LPAREN ? 1 : kind == TOKEN_RPAREN ? -1 : 0;
                if (depth == 0 && type(at + 1) == TOKEN_LBRACE) return fail(at + 1);
                if (depth == 0) break;
            }
        }
        return fail(pos);
    }
    facts.uses.push_back(use(name, UseKind::target));
    pos++;
    return expression(Context::assigned) && expect_semicolon();
}

bool Parser::expect_semicolon() {
    if (type(pos) == TOKEN_SEMICOLON) {
        pos++;
        return true;
    }
    Diagnostic& diagnostic = sink.after(pos, Code::expected_semicolon);
    help_after_operand(diagnostic, pos);
    bool line_end =
        type(pos) == TOKEN_EOF || source.tokens[pos].line > source.tokens[pos - 1].end_line;
    // At a line end, or before the "}" that ends the block, the ";" is surely what is missing.
    if ((line_end || type(pos) == TOKEN_RBRACE) && diagnostic.notes.empty()) {
        size_t end = source.tokens[pos - 1].end;
        Sink::fix(diagnostic, end, end, ";", true);
    }
    // A ";" forgotten at a line end: the name on the next line starts a statement.
    if (type(pos) == TOKEN_IDENTIFIER && line_end) restart = pos;
    return fail(pos);
}

// Applies the operator on top of the stack to the two operands below it.
void Parser::reduce() {
    Pending op = pending.back();
    pending.pop_back();
    Operand right = operands.back();
    operands.pop_back();
    Operand& left = operands.back();
    left.name = -1;
    if (op.type == TOKEN_SLASH && right.name >= 0) {
        facts.divisions.push_back(Division{op.token, right.name, frames.back().dead});
    }
    bool zero_divisor = false;
    double value = apply_operator(op.type, left.value, right.value, [&] { zero_divisor = true; });
    if (zero_divisor && right.constant) {
        Diagnostic& diagnostic = sink.at(op.token, Code::division_by_zero);
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
    expression_start = pos;
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
            operands.push_back(Operand{true, convert_literal(source.token_text(pos).data(), source.token_text(pos).size()), -1});
        } else if (kind == TOKEN_IDENTIFIER) {
            operands.push_back(Operand{false, 0.0, pos});
            facts.uses.push_back(use(pos, UseKind::value));
        } else if (kind == TOKEN_STRING) {
            Diagnostic& diagnostic = sink.at(pos, Code::string_in_expression);
            Sink::help(diagnostic,
                       "a string can only be a print item or the whole value of a 'var'");
            return fail(pos);
        } else {
            Diagnostic& diagnostic = missing(pos, Code::expected_expression);
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
                    Diagnostic& diagnostic = sink.at(pos, Code::chained_comparison);
                    help_chained(source, diagnostic, level_start(), pos);
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
                Diagnostic& diagnostic = sink.after(pos, Code::expected_rparen);
                help_after_operand(diagnostic, pos);
                return fail(pos);
            }
            while (pending.back().type != TOKEN_LPAREN) reduce();
            pending.pop_back();
            comparisons.pop_back();
            pos++;
        }
    }
}

// Help for the tokens people bring from other languages, where an operand has ended.
void Parser::help_after_operand(Diagnostic& diagnostic, int32_t at) {
    if (help_number(source, diagnostic, at)) return;
    char lone = at > 0 ? lone_logical(at) : 0;
    if (lone != 0) {
        help_lone_logical(source, diagnostic, level_start(), at, lone);
        return;
    }
    TokenType kind = type(at);
    if (kind == TOKEN_AND || kind == TOKEN_OR || word(at, "and") || word(at, "or")) {
        help_logical(source, diagnostic, level_start(), at);
        return;
    }
    if (at > 0 && word(at - 1, "not")) {
        // "not x": the word was read as a name; the name after it is the operand.
        if (!facts.uses.empty() && facts.uses.back().token == at - 1) facts.uses.pop_back();
        help_not(source, diagnostic, at - 1);
        return;
    }
    if (kind == TOKEN_ASSIGN && source.adjacent(at) &&
        (type(at + 1) == TOKEN_LT || type(at + 1) == TOKEN_GT)) {
        help_comparison(source, diagnostic, level_start(), at);
        return;
    }
    if (kind == TOKEN_ASSIGN && frames.size() > 0 && type(statement_start) != TOKEN_VAR &&
        type(statement_start) != TOKEN_IDENTIFIER) {
        int32_t left = at - 1;
        std::string a =
            source.tokens[left].type == TOKEN_IDENTIFIER || source.tokens[left].type == TOKEN_NUMBER
                ? text(left)
                : "a";
        std::string b =
            type(at + 1) == TOKEN_IDENTIFIER || type(at + 1) == TOKEN_NUMBER ? text(at + 1) : "b";
        Sink::help(diagnostic, "to compare, write '==': '" + a + " == " + b + "'");
        Sink::fix(diagnostic, source.tokens[at].start, source.tokens[at].end, "==", false);
    }
}

// Help for what stands where an operand should.
void Parser::help_expected_expression(Diagnostic& diagnostic, int32_t at) {
    TokenType kind = type(at);
    int32_t after_comment = help_comment(source, diagnostic, statement_start, at);
    if (!diagnostic.notes.empty()) {
        restart = after_comment;
        return;
    }
    bool after_operator = at > 0 && source.adjacent(at - 1);
    if (after_operator && kind == TOKEN_ASSIGN &&
        (type(at - 1) == TOKEN_LT || type(at - 1) == TOKEN_GT || type(at - 1) == TOKEN_EQ ||
         type(at - 1) == TOKEN_NEQ)) {
        help_comparison(source, diagnostic, level_start(), at - 1);
        return;
    }
    if (after_operator && kind == TOKEN_STAR && type(at - 1) == TOKEN_STAR) {
        help_power(source, diagnostic, at);
        return;
    }
    switch (kind) {
        case TOKEN_MINUS:
            help_minus(source, diagnostic, at);
            return;
        case TOKEN_NOT:
            help_not(source, diagnostic, at);
            return;
        case TOKEN_FUNCTION:
        case TOKEN_RETURN: {
            std::string word = text(at);
            Sink::help(diagnostic,
                       std::string("'") + word + "' is reserved: the language has no functions");
        }
            return;
        case TOKEN_RBRACE:
            Sink::help(diagnostic, "this '}' closes no block");
            if (facts.stray_close < 0) {
                facts.stray_close = at;
                facts.extra_close = note_extra_close(source, sink, diagnostic, at);
            }
            return;
        case TOKEN_LBRACE:
            Sink::help(diagnostic, "a block follows 'if (...)' or 'while (...)'");
            return;
        case TOKEN_SEMICOLON:
            // Only where a statement starts: after "x =" the value is what is missing.
            if (at == 0 || type(at - 1) == TOKEN_SEMICOLON || type(at - 1) == TOKEN_LBRACE ||
                type(at - 1) == TOKEN_RBRACE) {
                Sink::help(diagnostic, "a ';' alone is no statement: remove it");
                Sink::fix(diagnostic, source.tokens[at].start, source.tokens[at].end, "", true);
            }
            return;
        default:
            return;
    }
}

}  // namespace

void check_syntax(const Source& source, Sink& sink, Facts& facts) {
    Parser parser{source, sink, facts, {}, 0, 0, 0, -1, 0, 0, {}, {}, {}, {}};
    parser.run();
}
