// The checked path: the language statement by statement, straight from the token array. Every
// statement and expression is parsed and computed by walking its tokens, with every structure
// test in the order that decides which error wins. The cursor, the store and the tables derived
// from the tokens live here; what makes later runs fast lives in the fast-path unit (facts.h).
#include <cstring>

#include "blocks.h"
#include "error.h"
#include "facts.h"
#include "literal.h"
#include "messages.h"
#include "operators.h"
#include "output.h"
#include "places.h"
#include "run.h"
#include "steps.h"
#ifdef AZUVEL_DEBUG
#include "debug_hook.h"
#endif

#ifdef AZUVEL_DEBUG
void (*statement_hook)(int32_t token) = nullptr;
#endif

int32_t current_token = 0;
Variable vars[MAX_VARS];
int32_t var_count = 0;

uint8_t operator_level[TOKEN_ROOM];
int32_t block_end[TOKEN_ROOM];
uint32_t token_length[TOKEN_ROOM];

Token peek() { return tokens[current_token]; }

int match(TokenType kind) {
    if (tokens[current_token].type != kind) return 0;
    current_token++;
    return 1;
}

// The token at the cursor is not the one that belongs there: it is missing before it.
[[noreturn, gnu::cold]] static void missing_token(const char* message) {
    error_missing = true;
    error("%s", message);
}

void consume(TokenType kind, const char* message) {
    if (tokens[current_token].type != kind) missing_token(message);
    current_token++;
}

// Each token's operator level and length in [first, end), and no block yet.
static void derive_token_tables(int32_t first, int32_t end) {
    for (int32_t i = first; i < end; i++) {
        operator_level[i] = level_of(tokens[i].type);
        block_end[i] = -1;
        token_length[i] = static_cast<uint32_t>(std::strlen(tokens[i].value));
    }
}

void start_expression(int32_t first, int32_t end) {
    derive_token_tables(first, end);
    for (int32_t i = first; i < end; i++) {
        token_variable[i] = nullptr;
        operand_value[i] = nullptr;
    }
    current_token = first;
}

void start_interpreter() {
    current_token = 0;
    var_count = 0;
    error_missing = false;
    reset_steps();
    derive_token_tables(0, token_count);
    int32_t open_braces[MAX_TOKENS];
    pair_braces(tokens, token_count, block_end, open_braces);
    derive_facts();
    start_output();
}

// The entry a name means in the store, or null.
static Variable* find_variable(const char* name) {
    int32_t entry = first_entry(vars, var_count, name);
    return entry < 0 ? nullptr : &vars[entry];
}

[[noreturn, gnu::cold]] static void undefined_variable(int32_t index) {
    current_token = index;
    error(MESSAGE_UNDEFINED_VARIABLE, tokens[index].value);
}

// The variable a name token refers to, or null while the name is undeclared. The store is
// append-only and a lookup returns the earliest entry, so a found entry never changes.
static Variable* token_lookup(int32_t index) {
    Variable* variable = token_variable[index];
    if (variable == nullptr) {
        variable = find_variable(tokens[index].value);
        if (variable == nullptr) return nullptr;
        learn_variable(index, variable);
    }
    return variable;
}

// The name at `index` as it is read, the cursor left on it when it is undefined.
static Variable* token_lookup_or_fail(int32_t index) {
    Variable* variable = token_lookup(index);
    if (variable == nullptr) undefined_variable(index);
    return variable;
}

// Leaves the cursor on the "/" for whoever reads it after the error: the trusted path does not
// move the cursor as it goes.
[[gnu::noinline]] void division_by_zero(intptr_t op) {
    current_token = static_cast<int32_t>(op);
    error(MESSAGE_DIVISION_BY_ZERO);
}

// Applies the binary operator at token `op`.
static double apply_at(int32_t op, double left, double right) {
    return apply_operator(tokens[op].type, left, right,
                          [op] { division_by_zero(op); });
}

// Something missing at the cursor, where the token there may stand in its place or end what came
// before it (missing_goes_after).
[[noreturn, gnu::cold]] static void missing_here(const char* message) {
    int32_t at = current_token;
    error_missing = at > 0 && missing_goes_after(tokens[at].type, tokens[at - 1].type);
    error("%s", message);
}

// The primaries that are neither a known operand nor "(": a literal or a name not yet known to
// the fast-path unit, and the errors.
[[gnu::noinline]] static double parse_other_primary(int32_t index) {
    current_token = index;
    switch (tokens[index].type) {
        case TOKEN_NUMBER: return convert_literal(tokens[index].value, token_length[index]);
        case TOKEN_STRING: error(MESSAGE_STRING_IN_EXPRESSION);
        case TOKEN_IDENTIFIER: return token_lookup_or_fail(index)->number;
        default: missing_here(MESSAGE_EXPECTED_EXPRESSION);
    }
}

// primary: NUMBER | IDENTIFIER | "(" expression ")"
static double parse_primary() {
    int32_t at = current_token;
    if (tokens[at].type == TOKEN_LPAREN) {
        current_token = at + 1;
        double value = parse_expression();
        consume(TOKEN_RPAREN, MESSAGE_EXPECTED_RPAREN);
        return value;
    }
    const double* known = operand_value[at];
    double value = known != nullptr ? *known : parse_other_primary(at);
    current_token = at + 1;
    return value;
}

// factor: primary (("*" | "/") primary)*
static double parse_factor() {
    double value = parse_primary();
    while (operator_level[current_token] == LEVEL_FACTOR) {
        int32_t op = current_token++;
        double right = parse_primary();
        value = apply_at(op, value, right);
    }
    return value;
}

// term: factor (("+" | "-") factor)*
static double parse_term() {
    double value = parse_factor();
    while (operator_level[current_token] == LEVEL_TERM) {
        int32_t op = current_token++;
        double right = parse_factor();
        value = apply_at(op, value, right);
    }
    return value;
}

// expression: term (("==" | "!=" | ">" | "<") term)*
double parse_expression() {
    int32_t start = current_token;
    double value = parse_term();
    while (operator_level[current_token] == LEVEL_COMPARISON) {
        int32_t op = current_token++;
        double right = parse_term();
        value = apply_at(op, value, right);
    }
    learn_expression_end(start, current_token);
    return value;
}

static void write_separator(bool first) {
    if (!first) write_byte(' ');
}

// print: "(" (item ("," item)*)? ")" -- the ";" is taken by the caller
[[gnu::noinline]] static void execute_print() {
    consume(TOKEN_LPAREN, MESSAGE_EXPECTED_LPAREN_AFTER_PRINT);
    bool first = true;
    int32_t newline = print_newline;
    while (!match(TOKEN_RPAREN)) {
        if (!first) consume(TOKEN_COMMA, MESSAGE_EXPECTED_COMMA);
        int32_t index = current_token;
        const Token& token = tokens[index];
        if (token.type == TOKEN_STRING) {
            current_token++;
            if (token_length[index] == 3 && std::memcmp(token.value, "nel", 3) == 0) {
                newline = 0;
                first = false;
                continue;
            }
            write_separator(first);
            write_output(token.value, token_length[index]);
        } else if (token.type == TOKEN_NUMBER) {
            current_token++;
            write_separator(first);
            write_output(token.value, token_length[index]);  // as written, not reformatted
        } else if (token.type == TOKEN_IDENTIFIER) {
            current_token++;
            const Variable* variable = token_lookup_or_fail(index);
            write_separator(first);
            if (variable->is_string) {
                write_output(variable->string, std::strlen(variable->string));
            } else {
                char text[32];
                write_output(text, format_number(variable->number, text));
            }
        } else {
            error(MESSAGE_UNEXPECTED_TOKEN_IN_PRINT);
        }
        first = false;
    }
    if (newline) write_byte('\n');
    if (output_interactive && !flush_output()) error(MESSAGE_CANNOT_WRITE_OUTPUT);
}

// var: IDENTIFIER "=" (STRING | expression) ";"
[[gnu::noinline]] static void execute_var() {
    if (tokens[current_token].type != TOKEN_IDENTIFIER) missing_here(MESSAGE_EXPECTED_VARIABLE_NAME);
    current_token++;
    const char* name = tokens[current_token - 1].value;
    consume(TOKEN_ASSIGN, MESSAGE_EXPECTED_ASSIGN);
    int32_t is_string = match(TOKEN_STRING);
    const char* text = is_string ? tokens[current_token - 1].value : nullptr;
    // The initialiser is computed before the store is checked, so its errors come first.
    double number = is_string ? 0.0 : evaluate();
    if (var_count >= MAX_VARS) error(MESSAGE_TOO_MANY_VARIABLES);
    vars[var_count++] = Variable{str_dup(name), number, text ? str_dup(text) : nullptr, is_string};
    consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
}

// A name that starts a statement and is not followed by "=": the cursor goes back to it.
[[noreturn, gnu::cold]] static void unexpected_identifier(int32_t name) {
    current_token = name;
    error(MESSAGE_UNEXPECTED_IDENTIFIER);
}

// assignment: IDENTIFIER "=" expression ";" -- the name is already taken
[[gnu::noinline]] static void execute_assignment() {
    int32_t name = current_token - 1;
    if (!match(TOKEN_ASSIGN)) unexpected_identifier(name);
    // The name is looked up before the right-hand side, so its error wins.
    Variable* variable = token_lookup_or_fail(name);
    double value = evaluate();
    variable->number = value;
    variable->is_string = 0;
    consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
    learn_assignment(name, current_token);
}

// expression statement: expression ";"
[[gnu::noinline]] static void execute_expression_statement() {
    evaluate();
    consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
}

// A block that is never closed: its "}" is missing at the end of the script.
[[noreturn, gnu::cold]] static void unclosed_block() {
    current_token = token_count - 1;
    missing_token(MESSAGE_EXPECTED_RBRACE);
}

// Moves past the "}" matching the "{" just taken; an unclosed block never reads past the end.
static void skip_block() {
    int32_t end = block_end[current_token - 1];
    if (end < 0) unclosed_block();
    current_token = end + 1;
}

// Runs statements up to the first "}" at statement level, and takes it.
[[gnu::noinline]] static void execute_block() {
    while (!match(TOKEN_RBRACE)) execute_statement();
}

// if: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] static void execute_if() {
    int32_t if_token = current_token - 1;
    consume(TOKEN_LPAREN, MESSAGE_EXPECTED_LPAREN);
    double condition = evaluate();
    consume(TOKEN_RPAREN, MESSAGE_EXPECTED_RPAREN);
    consume(TOKEN_LBRACE, MESSAGE_EXPECTED_LBRACE);
    if (block_end[current_token - 1] >= 0) learn_if(if_token, current_token);
    if (condition != 0.0) return execute_block();
    skip_block();
}

// while: "(" expression ")" "{" -- the structure a loop's first run checks. The condition is
// computed once only to find its end, so its errors come before any brace is looked at.
int32_t check_while_header() {
    consume(TOKEN_LPAREN, MESSAGE_EXPECTED_LPAREN);
    evaluate();
    consume(TOKEN_RPAREN, MESSAGE_EXPECTED_RPAREN);
    consume(TOKEN_LBRACE, MESSAGE_EXPECTED_LBRACE);
    if (block_end[current_token - 1] < 0) unclosed_block();
    return current_token;
}

void execute_statement() {
#ifdef AZUVEL_DEBUG
    if (statement_hook != nullptr) statement_hook(current_token);  // it may move the cursor
#endif
    count_step();
    switch (tokens[current_token].type) {
        case TOKEN_PRINT:
            current_token++;
            execute_print();
            consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
            return;
        case TOKEN_VAR: current_token++; execute_var(); return;
        case TOKEN_IF: current_token++; execute_if(); return;
        case TOKEN_WHILE: current_token++; execute_while(); return;
        case TOKEN_IDENTIFIER: current_token++; execute_assignment(); return;
        default: execute_expression_statement(); return;
    }
}
