// The interpreter: runs statements straight from the token array, with no syntax tree.
//
// Every statement and expression is parsed and computed by walking the tokens; what speeds the
// walk up are facts kept per token position, in the tables below:
//
// - Derived from the tokens before the first statement runs: the value of each number literal,
//   each "{"'s matching "}", where each primary (a number, a name, or a parenthesised
//   expression) ends, each binary operator's level, and the shape of the expression that
//   starts at each token (one, two or three primaries joined by operators, or longer).
// - Learnt while running: the store slot of each name once found (the store is append-only and
//   a lookup returns the earliest entry, so a found slot never changes); where an expression
//   ends once it has run to its end without an error (`expression_end`); and, once a statement
//   has run without an error, where its checked part ends (`checked_until`) and which kind of
//   statement it is (`statement_kind`, what a loop body dispatches on).
//
// Checked once, trusted after: the first run of any expression or statement takes the fully
// checked path, which reports every error in the order the language defines. Once it has
// succeeded, its structure is known to be valid and every name in it found, so later runs
// (`trusted_value`, `run_body`) skip the structure checks; the only error left to them is a
// division by zero, which depends on values and is still tested on every division. They still
// read each operand and operator from its token.
//
// The last store, in registers: while a loop whose condition is two operands runs, the value
// its last trusted assignment stored and the slot it went to are also kept in locals
// (`LastStore`), and a trusted assignment of two operands that reads that slot takes the value
// from there. Memory is written all the same; the copy only spares the read a round trip
// through memory, which on current processors takes longer than the arithmetic and, for a
// counter, is the loop's whole critical path. Anything that may store another way (a statement
// taking the checked path) forgets the copy first.
//
// Built with AZUVEL_PLAIN, none of these facts is used: every literal is converted and every
// name looked up where it is used, blocks are skipped by counting braces, and every expression
// and statement takes the checked path each time. The differential test runs both builds.
#include "interpreter.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

#include "main.h"
#include "messages.h"
#ifdef AZUVEL_DEBUG
#include "debug_hook.h"
#endif

#ifdef AZUVEL_PLAIN
static constexpr bool plain = true;
#else
static constexpr bool plain = false;
#endif

int32_t current_token = 0;
Variable vars[MAX_VARS];
int32_t var_count = 0;

enum OperatorLevel : uint8_t {
    LEVEL_NONE,
    LEVEL_COMPARISON,  // == != > <
    LEVEL_TERM,        // + -
    LEVEL_FACTOR,      // * /
};

// How an expression is built, by structure only: the commonest forms get straight-line code.
enum ExpressionShape : uint8_t {
    SHAPE_LONG,     // four primaries or more, or not an expression at all: the level-by-level walk
    SHAPE_OPERAND,  // a lone number or name
    SHAPE_PAIR,     // two numbers or names joined by an operator
    SHAPE_TRIPLE,   // three numbers or names joined by operators
    // Two or three primaries with parentheses among them, "(" expression ")" counting as one.
    SHAPE_GROUPED_PAIR,
    SHAPE_GROUPED_TRIPLE,
};

static double literal_value[MAX_TOKENS];      // number tokens
static Variable* token_variable[MAX_TOKENS];  // name tokens, once found
// Where an operand's value lives: a number's literal_value, or a found name's variable.
static const double* operand_value[MAX_TOKENS];
static uint8_t operator_level[MAX_TOKENS];     // binary operators
static uint8_t token_type[MAX_TOKENS];         // each token's type, one byte a token
static int32_t block_end[MAX_TOKENS];          // "{" tokens: the matching "}", or -1
static int32_t primary_end[MAX_TOKENS];        // primaries: the token after them; 0 for others
static ExpressionShape expression_shape[MAX_TOKENS];
static uint32_t token_length[MAX_TOKENS];      // string and number tokens
static int32_t expression_end[MAX_TOKENS];     // once run without error: the token after it
// Once the statement starting here has run without error: for an assignment the token after
// its ";", for an if or a while the first token of its block (its condition, ")" and "{" and a
// matching "}" all checked).
static int32_t checked_until[MAX_TOKENS];

// What a loop body does at a statement's first token without calling execute_statement.
enum StatementKind : uint8_t {
    STATEMENT_OTHER,       // not yet run without error, or not one of these: the checked path
    STATEMENT_ASSIGNMENT,  // a checked assignment
    STATEMENT_PAIR_ASSIGNMENT,  // a checked assignment of two operands joined by an operator
    STATEMENT_IF,          // a checked if
    STATEMENT_BLOCK_END,   // a "}" (see run_body)
};
static StatementKind statement_kind[MAX_TOKENS];

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
    if (!flush_output()) error(MESSAGE_CANNOT_WRITE_OUTPUT);
    if (length > sizeof output_buffer) {
        if (std::fwrite(data, 1, length, stdout) != length) error(MESSAGE_CANNOT_WRITE_OUTPUT);
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
    if (plain) return find_variable(tokens[index].value);
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
    if (variable == nullptr) error(MESSAGE_UNDEFINED_VARIABLE, tokens[index].value);
    return variable;
}

static size_t length_of(int32_t index) {
    return plain ? std::strlen(tokens[index].value) : token_length[index];
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

static bool is_binary_operator(TokenType type) { return type >= TOKEN_PLUS && type <= TOKEN_LT; }

static OperatorLevel level_of(TokenType type) {
    switch (type) {
        case TOKEN_EQ: case TOKEN_NEQ: case TOKEN_GT: case TOKEN_LT: return LEVEL_COMPARISON;
        case TOKEN_PLUS: case TOKEN_MINUS: return LEVEL_TERM;
        case TOKEN_STAR: case TOKEN_SLASH: return LEVEL_FACTOR;
        default: return LEVEL_NONE;
    }
}

// Counts the primaries joined by operators from this token on. It matters only once the
// expression has run without error, and then it is exactly what the walk met: a primary's end
// comes from matching parentheses, which a valid inner expression keeps balanced.
static ExpressionShape shape_at(int32_t index) {
    int32_t count = 0;
    bool grouped = false;
    for (int32_t at = index;;) {
        if (primary_end[at] == 0) return SHAPE_LONG;
        grouped = grouped || tokens[at].type == TOKEN_LPAREN;
        at = primary_end[at];
        count++;
        if (!is_binary_operator(tokens[at].type)) break;
        if (count == 3) return SHAPE_LONG;
        at++;
    }
    if (count == 1) return grouped ? SHAPE_LONG : SHAPE_OPERAND;
    if (count == 2) return grouped ? SHAPE_GROUPED_PAIR : SHAPE_PAIR;
    return grouped ? SHAPE_GROUPED_TRIPLE : SHAPE_TRIPLE;
}

void start_interpreter() {
    current_token = 0;
    var_count = 0;
    reset_steps();
    int32_t open_braces[MAX_TOKENS];
    int32_t open_parens[MAX_TOKENS];
    int32_t braces = 0;
    int32_t parens = 0;
    for (int32_t i = 0; i < token_count; i++) {
        const Token& token = tokens[i];
        token_variable[i] = nullptr;
        operand_value[i] = nullptr;
        operator_level[i] = level_of(token.type);
        token_type[i] = static_cast<uint8_t>(token.type);
        block_end[i] = -1;
        primary_end[i] = 0;
        expression_end[i] = 0;
        checked_until[i] = 0;
        statement_kind[i] = token.type == TOKEN_RBRACE ? STATEMENT_BLOCK_END : STATEMENT_OTHER;
        token_length[i] = static_cast<uint32_t>(std::strlen(token.value));
        if (token.type == TOKEN_NUMBER) {
            literal_value[i] = convert_literal(token.value, token_length[i]);
            if (!plain) operand_value[i] = &literal_value[i];
        }
        if (token.type == TOKEN_NUMBER || token.type == TOKEN_IDENTIFIER) primary_end[i] = i + 1;
        if (token.type == TOKEN_LBRACE) open_braces[braces++] = i;
        if (token.type == TOKEN_RBRACE && braces > 0) block_end[open_braces[--braces]] = i;
        if (token.type == TOKEN_LPAREN) open_parens[parens++] = i;
        if (token.type == TOKEN_RPAREN && parens > 0) primary_end[open_parens[--parens]] = i + 1;
    }
    for (int32_t i = 0; i < token_count; i++) expression_shape[i] = shape_at(i);
    output_interactive = isatty(fileno(stdout));
}

// Leaves the cursor on the "/" for whoever reads it after the error: the trusted path does not
// move the cursor as it goes.
[[noreturn, gnu::cold, gnu::noinline]] static void division_by_zero(intptr_t op) {
    current_token = static_cast<int32_t>(op);
    error(MESSAGE_DIVISION_BY_ZERO);
}

static double divide(double left, double right, intptr_t op) {
    if (right == 0.0) division_by_zero(op);
    return left / right;
}

// Applies the binary operator at token `op`; it is always one (the walk only calls this after
// one). Testing the operators in order of how often they come measured faster than a switch,
// whose jump table and shared join cost two taken branches on every operator.
[[gnu::always_inline]] static inline double apply(intptr_t op, double left, double right) {
    uint8_t type = token_type[op];
    if (type == TOKEN_PLUS) return left + right;
    if (type == TOKEN_MINUS) return left - right;
    if (type == TOKEN_STAR) return left * right;
    if (type == TOKEN_LT) return static_cast<double>(left < right);
    if (type == TOKEN_SLASH) return divide(left, right, op);
    if (type == TOKEN_GT) return static_cast<double>(left > right);
    if (type == TOKEN_EQ) return static_cast<double>(left == right);
    return static_cast<double>(left != right);
}

// The same for a loop's condition, where a comparison is the likelier operator.
[[gnu::always_inline]] static inline bool holds(intptr_t op, double left, double right) {
    uint8_t type = token_type[op];
    if (type == TOKEN_LT) return left < right;
    if (type == TOKEN_GT) return left > right;
    return apply(op, left, right) != 0.0;
}

// The checked path: every structure test, in the order that decides which error wins.

double parse_expression();

// The primaries that are neither a known operand nor "(": a literal or a name met for the first
// time in the plain build, a name not yet found, and the errors.
[[gnu::noinline]] static double parse_other_primary(int32_t index) {
    current_token = index;
    switch (tokens[index].type) {
        case TOKEN_NUMBER: return convert_literal(tokens[index].value, length_of(index));
        case TOKEN_STRING: error(MESSAGE_STRING_IN_EXPRESSION);
        case TOKEN_IDENTIFIER: return token_lookup_or_fail(index)->number;
        default: error(MESSAGE_EXPECTED_EXPRESSION);
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
        value = tokens[op].type == TOKEN_STAR ? value * right : divide(value, right, op);
    }
    return value;
}

// term: factor (("+" | "-") factor)*
static double parse_term() {
    double value = parse_factor();
    while (operator_level[current_token] == LEVEL_TERM) {
        TokenType op = tokens[current_token++].type;
        double right = parse_factor();
        value = op == TOKEN_PLUS ? value + right : value - right;
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
        value = apply(op, value, right);
    }
    if (!plain) expression_end[start] = current_token;
    return value;
}

// The trusted path: expressions that have run once without error.

static double trusted_grouped(intptr_t start);
static double trusted_long(intptr_t start);

// Computes "a op b op c": the operator of the higher level binds first, equal levels go left
// to right. `first` and `second` are the operators' positions.
[[gnu::always_inline]] static inline double apply_three(double a, double b, double c,
                                                        intptr_t first, intptr_t second) {
    if (operator_level[second] > operator_level[first]) {
        return apply(first, a, apply(second, b, c));
    }
    return apply(second, apply(first, a, b), c);
}

// The value a loop's last trusted assignment stored, and where (see the top of this file).
struct LastStore {
    const double* slot = nullptr;
    double value = 0.0;
};

// A number's or a found name's value, from the last store when it went to the same slot. The
// test is a branch, not a select, so a hit does not wait for the load.
[[gnu::always_inline]] static inline double operand(intptr_t at, const LastStore& last) {
    const double* slot = operand_value[at];
    if (slot == last.slot) return last.value;
    return *slot;
}

// Up to three numbers and names are computed inline: once trusted, each name has its slot.
[[gnu::always_inline]] static inline double trusted_value(intptr_t start) {
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: return *operand_value[start];
        case SHAPE_PAIR:
            return apply(start + 1, *operand_value[start], *operand_value[start + 2]);
        case SHAPE_TRIPLE:
            return apply_three(*operand_value[start], *operand_value[start + 2],
                               *operand_value[start + 4], start + 1, start + 3);
        case SHAPE_LONG: return trusted_long(start);
        default: return trusted_grouped(start);
    }
}

[[gnu::always_inline]] static inline double primary_value(intptr_t at) {
    if (const double* value = operand_value[at]) return *value;
    return trusted_value(at + 1);  // a "(": its inner expression was checked with this one
}

// Two or three primaries with parentheses among them.
[[gnu::noinline]] static double trusted_grouped(intptr_t start) {
    intptr_t first = primary_end[start];
    if (expression_shape[start] == SHAPE_GROUPED_PAIR) {
        double a = primary_value(start);
        return apply(first, a, primary_value(first + 1));
    }
    intptr_t second = primary_end[first + 1];
    double a = primary_value(start);
    double b = primary_value(first + 1);
    return apply_three(a, b, primary_value(second + 1), first, second);
}

// The level-by-level walk without its checks, for four primaries or more.
static double trusted_factor(intptr_t& at) {
    double value = primary_value(at);
    at = primary_end[at];
    while (operator_level[at] == LEVEL_FACTOR) {
        intptr_t op = at++;
        double right = primary_value(at);
        at = primary_end[at];
        value = tokens[op].type == TOKEN_STAR ? value * right : divide(value, right, op);
    }
    return value;
}

static double trusted_term(intptr_t& at) {
    double value = trusted_factor(at);
    while (operator_level[at] == LEVEL_TERM) {
        TokenType op = tokens[at++].type;
        double right = trusted_factor(at);
        value = op == TOKEN_PLUS ? value + right : value - right;
    }
    return value;
}

[[gnu::noinline]] static double trusted_long(intptr_t at) {
    double value = trusted_term(at);
    while (operator_level[at] == LEVEL_COMPARISON) {
        intptr_t op = at++;
        double right = trusted_term(at);
        value = apply(op, value, right);
    }
    return value;
}

// Parses and computes the expression at the cursor: trusted once it has run without error.
double evaluate() {
    int32_t start = current_token;
    if (int32_t end = expression_end[start]) {
        current_token = end;
        return trusted_value(start);
    }
    return parse_expression();
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
            if (length_of(index) == 3 && std::memcmp(token.value, "nel", 3) == 0) {
                newline = 0;
                first = false;
                continue;
            }
            write_separator(first);
            write_output(token.value, length_of(index));
        } else if (token.type == TOKEN_NUMBER) {
            current_token++;
            write_separator(first);
            write_output(token.value, length_of(index));  // as written, not reformatted
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
    consume(TOKEN_IDENTIFIER, MESSAGE_EXPECTED_VARIABLE_NAME);
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

// assignment: IDENTIFIER "=" expression ";" -- the name is already taken
[[gnu::noinline]] static void execute_assignment() {
    int32_t name = current_token - 1;
    if (!match(TOKEN_ASSIGN)) error(MESSAGE_UNEXPECTED_IDENTIFIER);
    // The name is looked up before the right-hand side, so its error wins.
    Variable* variable = token_lookup_or_fail(name);
    double value = evaluate();
    variable->number = value;
    variable->is_string = 0;
    consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
    if (!plain) {
        checked_until[name] = current_token;
        statement_kind[name] = expression_shape[name + 2] == SHAPE_PAIR
                                   ? STATEMENT_PAIR_ASSIGNMENT
                                   : STATEMENT_ASSIGNMENT;
    }
}

// expression statement: expression ";"
[[gnu::noinline]] static void execute_expression_statement() {
    evaluate();
    consume(TOKEN_SEMICOLON, MESSAGE_EXPECTED_SEMICOLON);
}

// The "}" matching the "{" at `open`, or -1 when the text ends first. The plain build counts
// braces on every call.
static int32_t find_block_end(int32_t open) {
    if (!plain) return block_end[open];
    int32_t depth = 1;
    for (int32_t at = open + 1; tokens[at].type != TOKEN_EOF; at++) {
        if (tokens[at].type == TOKEN_LBRACE) depth++;
        if (tokens[at].type == TOKEN_RBRACE && --depth == 0) return at;
    }
    return -1;
}

// Moves past the "}" matching the "{" just taken; an unclosed block never reads past the end.
static void skip_block() {
    int32_t end = find_block_end(current_token - 1);
    if (end < 0) error(MESSAGE_EXPECTED_RBRACE);
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
    if (!plain && block_end[current_token - 1] >= 0) {
        checked_until[if_token] = current_token;
        statement_kind[if_token] = STATEMENT_IF;
    }
    if (condition != 0.0) return execute_block();
    skip_block();
}

// Runs a loop body once. It is inlined into each of execute_while's loops, so the loop test and
// the body's dispatch share one tight loop with the cursor and bounds in registers. One loop
// steps through the statements with the cursor in a local: checked assignments and ifs run here
// straight from their tokens, everything else through execute_statement. A checked if whose
// condition holds moves the cursor into its block, so a "}" met at statement level before the
// body's end is the end of such a block: statements keep their braces balanced, and every other
// block is left by the statement that opened it.
template <bool keep_last_store>
[[gnu::always_inline]] static inline void run_body(intptr_t body_start, intptr_t body_end,
                                                   LastStore& last) {
    intptr_t at = body_start;
    while (at < body_end) {
        count_step();
        // Tested by how often each kind comes: assignments first.
        StatementKind kind = statement_kind[at];
        if (__builtin_expect(kind == STATEMENT_PAIR_ASSIGNMENT, 1)) {
            // The checked run already made the variable a number: a slot found by a name is
            // the earliest of that name, and only a declaration stores a string.
            intptr_t start = at + 2;
            double value = keep_last_store
                               ? apply(start + 1, operand(start, last), operand(start + 2, last))
                               : apply(start + 1, *operand_value[start], *operand_value[start + 2]);
            double* slot = &token_variable[at]->number;
            *slot = value;
            if (keep_last_store) last = LastStore{slot, value};
            at = checked_until[at];
            continue;
        }
        if (kind == STATEMENT_ASSIGNMENT) {
            double value = trusted_value(at + 2);
            double* slot = &token_variable[at]->number;
            *slot = value;
            if (keep_last_store) last = LastStore{slot, value};
            at = checked_until[at];
            continue;
        }
        if (kind == STATEMENT_IF) {
            intptr_t block = checked_until[at];
            at = trusted_value(at + 2) != 0.0 ? block : block_end[block - 1] + 1;
            continue;
        }
        if (kind == STATEMENT_BLOCK_END) {
            at++;
            continue;
        }
        current_token = static_cast<int32_t>(at);
        if (keep_last_store) last = LastStore{};
        execute_statement();
        at = current_token;
    }
}

// while: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] static void execute_while() {
    int32_t while_token = current_token - 1;
    intptr_t condition_start = while_token + 2;
    intptr_t body_start = checked_until[while_token];
    if (body_start == 0) {
        // The first run checks the structure; the condition is computed once only to find its
        // end, so its errors come before any brace is looked at.
        consume(TOKEN_LPAREN, MESSAGE_EXPECTED_LPAREN);
        evaluate();
        consume(TOKEN_RPAREN, MESSAGE_EXPECTED_RPAREN);
        consume(TOKEN_LBRACE, MESSAGE_EXPECTED_LBRACE);
        body_start = current_token;
        if (find_block_end(current_token - 1) < 0) error(MESSAGE_EXPECTED_RBRACE);
        if (!plain) checked_until[while_token] = current_token;
    }
    // Once checked, the first test stands in for the structure pass: the same condition on the
    // same store, with nothing run in between, gives the same value or the same error. That
    // structure pass ran it without error, so from here on the condition is trusted.
    intptr_t body_end = find_block_end(static_cast<int32_t>(body_start - 1));
    LastStore last;
    if (plain) {
        for (;;) {
            count_step();
            current_token = static_cast<int32_t>(condition_start);
            if (evaluate() == 0.0) break;
            run_body<false>(body_start, body_end, last);
        }
    } else if (expression_shape[condition_start] == SHAPE_PAIR) {
        // The condition's shape is the same on every pass: the commonest one gets its own loop
        // rather than a dispatch on the shape each time round. Its operands and operator are
        // still read from their tokens on every pass. Only this loop keeps its last store:
        // kept in the loop below as well, it made arith slower (75 -> 81 ms).
        for (;;) {
            count_step();
            double left = *operand_value[condition_start];
            double right = *operand_value[condition_start + 2];
            if (!holds(condition_start + 1, left, right)) break;
            run_body<true>(body_start, body_end, last);
        }
    } else {
        for (;;) {
            count_step();
            if (trusted_value(condition_start) == 0.0) break;
            run_body<false>(body_start, body_end, last);
        }
    }
    current_token = static_cast<int32_t>(body_end + 1);
}

void execute_statement() {
#ifdef AZUVEL_DEBUG
    debug_before_statement(current_token);  // the switch reads the cursor the hook left
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
