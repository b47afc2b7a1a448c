// The interpreter: runs statements straight from the token array, with no syntax tree.
//
// Everything that depends only on the token array is worked out once, before the first
// statement runs: the value of each number literal, each "{"'s matching "}", and the shape of
// the expression starting at each token. A name's store slot is remembered once found; the
// store is append-only and a lookup returns the earliest entry, so a found slot never changes.
#include "interpreter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "main.h"

int32_t current_token = 0;
Variable vars[MAX_VARS];
int32_t var_count = 0;

enum OperatorLevel : uint8_t {
    LEVEL_NONE,
    LEVEL_COMPARISON,  // == != > <
    LEVEL_TERM,        // + -
    LEVEL_FACTOR,      // * /
};

enum ExpressionShape : uint8_t {
    SHAPE_GENERAL,  // anything: the full recursive descent
    SHAPE_OPERAND,  // a lone number or name
    SHAPE_BINARY,   // operand, operator, operand, and no operator after it
};

static double literal_value[MAX_TOKENS];      // number tokens
static Variable* token_variable[MAX_TOKENS];  // name tokens, once found
// Where an operand's value lives: a number's literal_value, or a found name's variable.
static const double* operand_value[MAX_TOKENS];
static uint8_t operator_level[MAX_TOKENS];    // binary operators: one of the levels below
static int32_t block_end[MAX_TOKENS];         // "{" tokens: the matching "}", or -1
static int32_t while_body[MAX_TOKENS];        // "while" tokens: first body token, once checked
static uint32_t token_length[MAX_TOKENS];     // string and number tokens
static ExpressionShape expression_shape[MAX_TOKENS];

Token peek() { return tokens[current_token]; }

int match(TokenType kind) {
    if (tokens[current_token].type != kind) return 0;
    current_token++;
    return 1;
}

void consume(TokenType kind, const char* message) {
    if (tokens[current_token].type != kind) error("%s", message);
    current_token++;
}

static char output_buffer[1 << 16];
static size_t output_length = 0;
static bool output_interactive = false;  // a terminal sees each print statement at once

bool flush_output() {
    size_t length = output_length;
    output_length = 0;  // whatever happens, a failed write is not tried again
    if (length > 0 && std::fwrite(output_buffer, 1, length, stdout) != length) return false;
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

[[gnu::noinline]] static void write_output_slow(const char* data, size_t length) {
    if (!flush_output()) error("Cannot write to standard output");
    if (length > sizeof output_buffer) {
        if (std::fwrite(data, 1, length, stdout) != length) error("Cannot write to standard output");
        return;
    }
    std::memcpy(output_buffer, data, length);
    output_length = length;
}

void write_output(const char* data, size_t length) {
    if (length > sizeof output_buffer - output_length) return write_output_slow(data, length);
    char* out = output_buffer + output_length;
    output_length += length;
    // Most items are short: two overlapping fixed-size copies beat a call to memcpy.
    if (length >= 8 && length <= 16) {
        std::memcpy(out, data, 8);
        std::memcpy(out + length - 8, data + length - 8, 8);
    } else if (length >= 4 && length < 8) {
        std::memcpy(out, data, 4);
        std::memcpy(out + length - 4, data + length - 4, 4);
    } else {
        std::memcpy(out, data, length);
    }
}

static void write_byte(char c) {
    if (output_length == sizeof output_buffer) return write_output_slow(&c, 1);
    output_buffer[output_length++] = c;
}

// Writes 0 <= value < 1000000 in decimal, two digits at a time; returns the length.
static size_t format_small_integer(uint32_t value, char* buffer) {
    static const char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    size_t length = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value < 10000 ? 4
                  : value < 100000 ? 5 : 6;
    char* end = buffer + length;
    while (value >= 100) {
        end -= 2;
        std::memcpy(end, pairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        std::memcpy(end - 2, pairs + 2 * value, 2);
    } else {
        end[-1] = static_cast<char>('0' + value);
    }
    return length;
}

size_t format_number(double value, char* buffer) {
    if (std::isnan(value)) {
        std::memcpy(buffer, "nan", 3);  // never "-nan", whatever the sign bit
        return 3;
    }
    // Integers of up to six digits print as they are; -0 goes to the general path for its sign.
    if (value > -1e6 && value < 1e6) {
        int32_t integer = static_cast<int32_t>(value);
        if (integer == value && (integer != 0 || !std::signbit(value))) {
            if (integer >= 0) return format_small_integer(static_cast<uint32_t>(integer), buffer);
            buffer[0] = '-';
            return 1 + format_small_integer(static_cast<uint32_t>(-integer), buffer + 1);
        }
    }
#ifdef __EMSCRIPTEN__
    // Its C++ library has no floating-point to_chars; its C library's "%.6g" is exact too.
    return static_cast<size_t>(std::snprintf(buffer, 32, "%.6g", value));
#else
    return std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 6).ptr - buffer;
#endif
}

// The earliest entry with this name, or null.
static Variable* find_variable(const char* name) {
    for (int32_t i = 0; i < var_count; i++) {
        if (std::strcmp(vars[i].name, name) == 0) return &vars[i];
    }
    return nullptr;
}

// The variable a name token refers to, or null while the name is undeclared.
static Variable* token_lookup(int32_t index) {
    Variable* variable = token_variable[index];
    if (variable == nullptr) {
        variable = find_variable(tokens[index].value);
        if (variable == nullptr) return nullptr;
        token_variable[index] = variable;
        operand_value[index] = &variable->number;
    }
    return variable;
}

static Variable* token_lookup_or_fail(int32_t index) {
    Variable* variable = token_lookup(index);
    if (variable == nullptr) error("Undefined variable: %s", tokens[index].value);
    return variable;
}

// The fuzz build stops a script after this many statements and loop tests, so an endless loop
// cannot stall the fuzzer; the product runs a script for as long as it takes.
#ifdef AZUVEL_FUZZ
static int32_t steps_left = 0;
static void reset_steps() { steps_left = 100000; }
static void count_step() {
    if (--steps_left < 0) error("Step limit reached");
}
#else
static void reset_steps() {}
static void count_step() {}
#endif

static double convert_literal(const char* text, size_t length) {
#ifdef __EMSCRIPTEN__
    // No floating-point from_chars there either. strtod reads the same longest prefix and gives
    // the same infinity, 0 or subnormal out of range; a literal is a NUL-terminated copy.
    (void)length;
    return std::strtod(text, nullptr);
#else
    double value = 0.0;
    auto [end, status] = std::from_chars(text, text + length, value);
    if (status == std::errc::result_out_of_range) {
        // Too large for a double, or too small: whichever the integer part says.
        const char* p = text;
        while (p < end && *p == '0') p++;
        value = (p < end && is_digit(*p)) ? HUGE_VAL : 0.0;
    }
    return value;
#endif
}

static bool is_operand(TokenType type) { return type == TOKEN_NUMBER || type == TOKEN_IDENTIFIER; }

static bool is_binary_operator(TokenType type) { return type >= TOKEN_PLUS && type <= TOKEN_LT; }

static OperatorLevel level_of(TokenType type) {
    switch (type) {
        case TOKEN_EQ: case TOKEN_NEQ: case TOKEN_GT: case TOKEN_LT: return LEVEL_COMPARISON;
        case TOKEN_PLUS: case TOKEN_MINUS: return LEVEL_TERM;
        case TOKEN_STAR: case TOKEN_SLASH: return LEVEL_FACTOR;
        default: return LEVEL_NONE;
    }
}

// Recognises the two commonest expression forms; an operand is never the end token, so the
// look-ahead stays inside the array.
static ExpressionShape shape_at(int32_t index) {
    if (!is_operand(tokens[index].type)) return SHAPE_GENERAL;
    if (!is_binary_operator(tokens[index + 1].type)) return SHAPE_OPERAND;
    if (is_operand(tokens[index + 2].type) && !is_binary_operator(tokens[index + 3].type)) {
        return SHAPE_BINARY;
    }
    return SHAPE_GENERAL;
}

void start_interpreter() {
    current_token = 0;
    var_count = 0;
    reset_steps();
    int32_t open_braces[MAX_TOKENS];
    int32_t depth = 0;
    for (int32_t i = 0; i < token_count; i++) {
        const Token& token = tokens[i];
        token_variable[i] = nullptr;
        operand_value[i] = nullptr;
        operator_level[i] = level_of(token.type);
        while_body[i] = 0;
        block_end[i] = -1;
        token_length[i] = static_cast<uint32_t>(std::strlen(token.value));
        expression_shape[i] = shape_at(i);
        if (token.type == TOKEN_NUMBER) {
            literal_value[i] = convert_literal(token.value, token_length[i]);
            operand_value[i] = &literal_value[i];
        }
        if (token.type == TOKEN_LBRACE) open_braces[depth++] = i;
        if (token.type == TOKEN_RBRACE && depth > 0) block_end[open_braces[--depth]] = i;
    }
    output_interactive = isatty(fileno(stdout));
}

double parse_expression();

static double divide(double left, double right) {
    if (right == 0.0) error("Division by zero");
    return left / right;
}

static double apply(TokenType op, double left, double right) {
    switch (op) {
        case TOKEN_PLUS: return left + right;
        case TOKEN_MINUS: return left - right;
        case TOKEN_STAR: return left * right;
        case TOKEN_SLASH: return divide(left, right);
        case TOKEN_EQ: return left == right ? 1.0 : 0.0;
        case TOKEN_NEQ: return left != right ? 1.0 : 0.0;
        case TOKEN_GT: return left > right ? 1.0 : 0.0;
        default: return left < right ? 1.0 : 0.0;
    }
}

// The four levels walk with the cursor in a local, `at`, and store it back when the expression
// ends; only a parenthesis or an error leaves the inlined code.

// The primaries that are neither a plain operand nor "(": a name not yet found, and the errors.
// Leaves the cursor after the primary; an error leaves it on the primary, so that a test build's
// error hook sees the token the expression stopped at.
[[gnu::noinline]] static double parse_other_primary(int32_t index) {
    current_token = index;
    switch (tokens[index].type) {
        case TOKEN_STRING: error("Cannot use string in expression");
        case TOKEN_IDENTIFIER: {
            double value = token_lookup_or_fail(index)->number;
            current_token = index + 1;
            return value;
        }
        default: error("Expected expression");
    }
}

// primary: NUMBER | IDENTIFIER | "(" expression ")"
[[gnu::always_inline]] static inline double parse_primary(int32_t& at) {
    if (const double* value = operand_value[at]) {
        at++;
        return *value;
    }
    if (tokens[at].type == TOKEN_LPAREN) {
        current_token = at + 1;
        double value = parse_expression();
        at = current_token;
        if (tokens[at].type != TOKEN_RPAREN) error("Expected ')'");
        at++;
        return value;
    }
    double value = parse_other_primary(at);
    at = current_token;
    return value;
}

// factor: primary (("*" | "/") primary)*
[[gnu::always_inline]] static inline double parse_factor(int32_t& at) {
    double value = parse_primary(at);
    while (operator_level[at] == LEVEL_FACTOR) {
        TokenType op = tokens[at++].type;
        double right = parse_primary(at);
        value = op == TOKEN_STAR ? value * right : divide(value, right);
    }
    return value;
}

// term: factor (("+" | "-") factor)*
[[gnu::always_inline]] static inline double parse_term(int32_t& at) {
    double value = parse_factor(at);
    while (operator_level[at] == LEVEL_TERM) {
        TokenType op = tokens[at++].type;
        double right = parse_factor(at);
        value = op == TOKEN_PLUS ? value + right : value - right;
    }
    return value;
}

// expression: term (("==" | "!=" | ">" | "<") term)*
double parse_expression() {
    int32_t at = current_token;
    double value = parse_term(at);
    while (operator_level[at] == LEVEL_COMPARISON) {
        TokenType op = tokens[at++].type;
        double right = parse_term(at);
        value = apply(op, value, right);
    }
    current_token = at;
    return value;
}

// A lone operand or "a op b" is computed in one step once its names are found; anything else,
// or a name not yet found, takes the full path. Inlined where statements compute values.
[[gnu::always_inline]] static inline double evaluate_here() {
    int32_t index = current_token;
    switch (expression_shape[index]) {
        case SHAPE_OPERAND:
            if (const double* value = operand_value[index]) {
                current_token = index + 1;
                return *value;
            }
            break;
        case SHAPE_BINARY: {
            const double* left = operand_value[index];
            const double* right = operand_value[index + 2];
            if (left != nullptr && right != nullptr) {
                current_token = index + 3;
                return apply(tokens[index + 1].type, *left, *right);
            }
            break;
        }
        case SHAPE_GENERAL: break;
    }
    return parse_expression();
}

double evaluate() { return evaluate_here(); }

static void write_separator(bool first) {
    if (!first) write_byte(' ');
}

// print: "(" (item ("," item)*)? ")" -- the ";" is taken by the caller
[[gnu::noinline]] static void execute_print() {
    consume(TOKEN_LPAREN, "Expected '(' after print");
    bool first = true;
    int32_t newline = print_newline;
    while (!match(TOKEN_RPAREN)) {
        if (!first) consume(TOKEN_COMMA, "Expected ','");
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
            error("Unexpected token in print");
        }
        first = false;
    }
    if (newline) write_byte('\n');
    if (output_interactive && !flush_output()) error("Cannot write to standard output");
}

// var: IDENTIFIER "=" (STRING | expression) ";"
[[gnu::noinline]] static void execute_var() {
    consume(TOKEN_IDENTIFIER, "Expected variable name");
    const char* name = tokens[current_token - 1].value;
    consume(TOKEN_ASSIGN, "Expected '='");
    int32_t is_string = match(TOKEN_STRING);
    const char* text = is_string ? tokens[current_token - 1].value : nullptr;
    // The initialiser is computed before the store is checked, so its errors come first.
    double number = is_string ? 0.0 : evaluate();
    if (var_count >= MAX_VARS) error("Too many variables");
    vars[var_count++] = Variable{str_dup(name), number, text ? str_dup(text) : nullptr, is_string};
    consume(TOKEN_SEMICOLON, "Expected ';'");
}

// The rest of an assignment once its variable is known: the value at the cursor, then ";".
[[gnu::noinline]] static void finish_assignment(Variable* variable) {
    double value = evaluate_here();
    variable->number = value;
    variable->is_string = 0;
    consume(TOKEN_SEMICOLON, "Expected ';'");
}

// assignment: IDENTIFIER "=" expression ";" -- the name is already taken
[[gnu::noinline]] static void execute_assignment_general() {
    if (!match(TOKEN_ASSIGN)) error("Unexpected identifier");
    // The name is looked up before the right-hand side, so its error wins.
    finish_assignment(token_lookup_or_fail(current_token - 2));
}

// The commonest assignments, "name = a op b;" and "name = a;" with every name already found,
// finish here without a call; a name not yet found, or any error, takes the general path.
static void execute_assignment() {
    int32_t at = current_token;  // on the "=", if there is one
    Variable* variable = token_variable[at - 1];
    if (variable == nullptr || tokens[at].type != TOKEN_ASSIGN) {
        return execute_assignment_general();
    }
    int32_t index = at + 1;
    if (expression_shape[index] == SHAPE_BINARY) {
        const double* left = operand_value[index];
        const double* right = operand_value[index + 2];
        if (left != nullptr && right != nullptr && tokens[index + 3].type == TOKEN_SEMICOLON) {
            variable->number = apply(tokens[index + 1].type, *left, *right);
            variable->is_string = 0;
            current_token = index + 4;
            return;
        }
    } else if (expression_shape[index] == SHAPE_OPERAND) {
        const double* value = operand_value[index];
        if (value != nullptr && tokens[index + 1].type == TOKEN_SEMICOLON) {
            variable->number = *value;
            variable->is_string = 0;
            current_token = index + 2;
            return;
        }
    }
    current_token = index;
    finish_assignment(variable);
}

// expression statement: expression ";"
[[gnu::noinline]] static void execute_expression_statement() {
    evaluate_here();
    consume(TOKEN_SEMICOLON, "Expected ';'");
}

// Moves past the "}" matching the "{" just taken; an unclosed block never reads past the end.
static void skip_block() {
    int32_t end = block_end[current_token - 1];
    if (end < 0) error("Expected '}'");
    current_token = end + 1;
}

// Runs statements up to the first "}" at statement level, and takes it.
[[gnu::noinline]] static void execute_block() {
    while (!match(TOKEN_RBRACE)) execute_statement();
}

// if: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] static void execute_if() {
    consume(TOKEN_LPAREN, "Expected '('");
    double condition = evaluate_here();
    consume(TOKEN_RPAREN, "Expected ')'");
    consume(TOKEN_LBRACE, "Expected '{'");
    if (condition != 0.0) return execute_block();
    skip_block();
}

// while: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] static void execute_while() {
    int32_t while_token = current_token - 1;
    int32_t condition_start = while_token + 2;
    int32_t body_start = while_body[while_token];
    if (body_start == 0) {
        // The first run checks the structure; the condition is computed once only to find its
        // end, so its errors come before any brace is looked at.
        consume(TOKEN_LPAREN, "Expected '('");
        evaluate();
        consume(TOKEN_RPAREN, "Expected ')'");
        consume(TOKEN_LBRACE, "Expected '{'");
        body_start = current_token;
        if (block_end[body_start - 1] < 0) error("Expected '}'");
        while_body[while_token] = body_start;
    }
    // Once checked, the first test stands in for the structure pass: the same condition on the
    // same store, with nothing run in between, gives the same value or the same error.
    int32_t body_end = block_end[body_start - 1];
    for (;;) {
        count_step();
        current_token = condition_start;
        if (evaluate_here() == 0.0) break;
        current_token = body_start;
        while (current_token < body_end) execute_statement();
    }
    current_token = body_end + 1;
}

void execute_statement() {
    count_step();
    switch (tokens[current_token].type) {
        case TOKEN_PRINT:
            current_token++;
            execute_print();
            consume(TOKEN_SEMICOLON, "Expected ';'");
            return;
        case TOKEN_VAR: current_token++; execute_var(); return;
        case TOKEN_IF: current_token++; execute_if(); return;
        case TOKEN_WHILE: current_token++; execute_while(); return;
        case TOKEN_IDENTIFIER: current_token++; execute_assignment(); return;
        default: execute_expression_statement(); return;
    }
}
