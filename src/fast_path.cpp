// The fast path: facts kept per token position, and the trusted path that runs on them. The
// script is still run by walking its tokens; what speeds the walk up are the tables below.
//
// - Derived from the tokens before the first statement runs: the value of each number literal,
//   where each primary (a number, a name, or a parenthesised expression) ends, each token's type
//   in one byte, and the shape of the expression that starts at each token (one, two or three
//   primaries joined by operators, or longer).
// - Learnt from the checked path's runs: the store slot of each name once found (the store is
//   append-only and a lookup returns the earliest entry, so a found slot never changes); where an
//   expression ends once it has run to its end without an error (`expression_end`); and, once a
//   statement has run without an error, where its checked part ends (`checked_until`) and which
//   kind of statement it is (`statement_kind`, what a loop body dispatches on).
//
// Checked once, trusted after: the first run of any expression or statement takes the checked
// path, which reports every error in the order the language defines. Once it has succeeded, its
// structure is known to be valid and every name in it found, so later runs (`trusted_value`,
// `run_body`) skip the structure checks; the only error left to them is a division by zero,
// which depends on values and is still tested on every division. They still read each operand
// and operator from its token.
//
// The last store, in registers: while a loop whose condition is two operands runs, the value
// its last trusted assignment stored and the slot it went to are also kept in locals
// (`LastStore`), and a trusted assignment of two operands that reads that slot takes the value
// from there. Memory is written all the same; the copy only spares the read a round trip
// through memory, which on current processors takes longer than the arithmetic and, for a
// counter, is the loop's whole critical path. Anything that may store another way (a statement
// taking the checked path) forgets the copy first.
#include <cstdint>

#include "facts.h"
#include "literal.h"
#include "operators.h"
#include "steps.h"

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

// What a loop body does at a statement's first token without calling execute_statement.
enum StatementKind : uint8_t {
    STATEMENT_OTHER,       // not yet run without error, or not one of these: the checked path
    STATEMENT_ASSIGNMENT,  // a checked assignment of any other shape
    STATEMENT_PAIR_ASSIGNMENT,  // a checked assignment "x = a op b;", six tokens
    STATEMENT_IF,          // a checked if
    STATEMENT_BLOCK_END,   // a "}" (see run_loop)
    STATEMENT_COPY,        // a checked assignment "x = a;", four tokens
    STATEMENT_TRIPLE_ASSIGNMENT,  // a checked assignment "x = a op b op c;", eight tokens
    STATEMENT_PAIR_IF,     // a checked if whose condition is two operands joined by an operator
    STATEMENT_LONG_ASSIGNMENT,  // a checked assignment of four operands or more
    STATEMENT_LONG_IF,     // a checked if whose condition is four operands or more
    STATEMENT_OPERAND_IF,  // a checked if whose condition is one number or name
};

Variable* token_variable[MAX_TOKENS];
const double* operand_value[MAX_TOKENS];

static double literal_value[MAX_TOKENS];   // number tokens
static uint8_t token_type[MAX_TOKENS];     // each token's type, one byte a token
static int32_t primary_end[MAX_TOKENS];    // primaries: the token after them; 0 for others
static ExpressionShape expression_shape[MAX_TOKENS];
static int32_t expression_end[MAX_TOKENS];  // once run without error: the token after it
// Once the statement starting here has run without error: for an assignment the token after
// its ";", for an if or a while the first token of its block (its condition, ")" and "{" and a
// matching "}" all checked).
static int32_t checked_until[MAX_TOKENS];
static StatementKind statement_kind[MAX_TOKENS];

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

void derive_facts() {
    int32_t open_parens[MAX_TOKENS];
    int32_t parens = 0;
    for (int32_t i = 0; i < token_count; i++) {
        const Token& token = tokens[i];
        token_variable[i] = nullptr;
        operand_value[i] = nullptr;
        token_type[i] = static_cast<uint8_t>(token.type);
        primary_end[i] = 0;
        expression_end[i] = 0;
        checked_until[i] = 0;
        statement_kind[i] = token.type == TOKEN_RBRACE ? STATEMENT_BLOCK_END : STATEMENT_OTHER;
        if (token.type == TOKEN_NUMBER) {
            literal_value[i] = convert_literal(token.value, token_length[i]);
            operand_value[i] = &literal_value[i];
        }
        if (token.type == TOKEN_NUMBER || token.type == TOKEN_IDENTIFIER) primary_end[i] = i + 1;
        if (token.type == TOKEN_LPAREN) open_parens[parens++] = i;
        if (token.type == TOKEN_RPAREN && parens > 0) primary_end[open_parens[--parens]] = i + 1;
    }
    for (int32_t i = 0; i < token_count; i++) expression_shape[i] = shape_at(i);
}

void learn_variable(int32_t token, Variable* variable) {
    token_variable[token] = variable;
    operand_value[token] = &variable->number;
}

void learn_expression_end(int32_t start, int32_t end) {
    expression_end[start] = end;
}

void learn_assignment(int32_t name_token, int32_t end) {
    checked_until[name_token] = end;
    switch (expression_shape[name_token + 2]) {
        case SHAPE_OPERAND: statement_kind[name_token] = STATEMENT_COPY; break;
        case SHAPE_PAIR: statement_kind[name_token] = STATEMENT_PAIR_ASSIGNMENT; break;
        case SHAPE_TRIPLE: statement_kind[name_token] = STATEMENT_TRIPLE_ASSIGNMENT; break;
        case SHAPE_LONG: statement_kind[name_token] = STATEMENT_LONG_ASSIGNMENT; break;
        default: statement_kind[name_token] = STATEMENT_ASSIGNMENT; break;
    }
}

void learn_if(int32_t if_token, int32_t block_start) {
    checked_until[if_token] = block_start;
    ExpressionShape shape = expression_shape[if_token + 2];
    statement_kind[if_token] = shape == SHAPE_PAIR      ? STATEMENT_PAIR_IF
                               : shape == SHAPE_LONG    ? STATEMENT_LONG_IF
                               : shape == SHAPE_OPERAND ? STATEMENT_OPERAND_IF
                                                        : STATEMENT_IF;
}

// Applies the binary operator at token `op`; it is always one (the walk only calls this after
// one).
[[gnu::always_inline]] static inline double apply(intptr_t op, double left, double right) {
    return apply_operator(token_type[op], left, right,
                          [op] { division_by_zero(op); });
}

// Whether the binary operator at token `op` gives true, for a condition.
[[gnu::always_inline]] static inline bool holds(intptr_t op, double left, double right) {
    return operator_holds(token_type[op], left, right, [op] { division_by_zero(op); });
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

// Whether the trusted expression at `start` is true (not 0), as an if asks: a comparison of two
// operands is tested directly.
[[gnu::always_inline]] static inline bool trusted_condition(intptr_t start) {
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: return *operand_value[start] != 0.0;
        case SHAPE_PAIR:
            return holds(start + 1, *operand_value[start], *operand_value[start + 2]);
        case SHAPE_TRIPLE: {
            double a = *operand_value[start];
            double b = *operand_value[start + 2];
            double c = *operand_value[start + 4];
            if (operator_level[start + 3] > operator_level[start + 1]) {
                return holds(start + 1, a, apply(start + 3, b, c));
            }
            return holds(start + 3, apply(start + 1, a, b), c);
        }
        case SHAPE_LONG: return trusted_long(start) != 0.0;
        default: return trusted_grouped(start) != 0.0;
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

// Four primaries or more, in one pass from left to right without the checks: each operator's
// level is read once and says which results in progress it completes. The factor in progress
// ends at an operator of a lower level and joins the term in progress (or starts one); a term
// ends at a comparison or the end and joins the comparison in progress. So the right operand
// is complete before an operator is applied, and equal levels go left to right, as in the walk.
[[gnu::noinline]] static double trusted_long(intptr_t at) {
    double factor = primary_value(at);
    double term = 0.0;
    double comparison = 0.0;
    intptr_t term_op = 0;  // 0: no term in progress (an operator never stands at token 0)
    intptr_t comparison_op = 0;
    for (at = primary_end[at];; at = primary_end[at + 1]) {
        uint8_t level = operator_level[at];
        if (level == LEVEL_FACTOR) {
            factor = apply(at, factor, primary_value(at + 1));
            continue;
        }
        term = term_op != 0 ? apply(term_op, term, factor) : factor;
        if (level == LEVEL_TERM) {
            term_op = at;
            factor = primary_value(at + 1);
            continue;
        }
        comparison = comparison_op != 0 ? apply(comparison_op, comparison, term) : term;
        if (level == LEVEL_NONE) return comparison;
        term_op = 0;
        comparison_op = at;
        factor = primary_value(at + 1);
    }
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

// Runs a while loop whose header has been checked, from its first test to the test that fails.
// The loop test and the body's statements form one loop with the cursor and bounds in
// registers: each statement's kind picks its handler by a computed jump, from the end of the
// handler before it, so that each kind of statement predicts its successor on its own.
// Checked assignments and ifs run here straight from their tokens, everything else through
// execute_statement. A checked if whose condition holds moves the cursor into its block, so a
// "}" met at statement level is the end of such a block (statements keep their braces
// balanced, and every other block is left by the statement that opened it) or, at `body_end`,
// the end of the body, which goes back to the test.
//
// A loop whose condition is two operands (`pair_condition`) tests it inline and keeps its last
// store in registers; kept in the other loops as well, it made arith slower (75 -> 81 ms).
template <bool pair_condition>
[[gnu::noinline]] static void run_loop(intptr_t condition_start, intptr_t body_start,
                                       intptr_t body_end) {
    static const void* const handlers[] = {&&other,   &&assignment,        &&pair_assignment,
                                           &&if_statement, &&block_end,  &&copy,
                                           &&triple_assignment, &&pair_if,
                                           &&long_assignment, &&long_if, &&operand_if};
    static_assert(STATEMENT_OTHER == 0 && STATEMENT_ASSIGNMENT == 1 &&
                  STATEMENT_PAIR_ASSIGNMENT == 2 && STATEMENT_IF == 3 &&
                  STATEMENT_BLOCK_END == 4 && STATEMENT_COPY == 5 &&
                  STATEMENT_TRIPLE_ASSIGNMENT == 6 && STATEMENT_PAIR_IF == 7 &&
                  STATEMENT_LONG_ASSIGNMENT == 8 && STATEMENT_LONG_IF == 9 &&
                  STATEMENT_OPERAND_IF == 10);
    LastStore last;
    intptr_t at;
test:
    count_step();
    if (pair_condition) {
        // Its operands and operator are still read from their tokens on every pass.
        double left = *operand_value[condition_start];
        double right = *operand_value[condition_start + 2];
        if (!holds(condition_start + 1, left, right)) return;
    } else if (trusted_value(condition_start) == 0.0) {
        return;
    }
    at = body_start;
    count_step();
    goto* handlers[statement_kind[at]];

pair_assignment: {
    // The checked run already made the variable a number: a slot found by a name is the
    // earliest of that name, and only a declaration stores a string.
    intptr_t start = at + 2;
    double value = pair_condition
                       ? apply(start + 1, operand(start, last), operand(start + 2, last))
                       : apply(start + 1, *operand_value[start], *operand_value[start + 2]);
    double* slot = &token_variable[at]->number;
    *slot = value;
    if (pair_condition) last = LastStore{slot, value};
    at += 6;
    count_step();
    goto* handlers[statement_kind[at]];
}
copy: {
    double value = pair_condition ? operand(at + 2, last) : *operand_value[at + 2];
    double* slot = &token_variable[at]->number;
    *slot = value;
    if (pair_condition) last = LastStore{slot, value};
    at += 4;
    count_step();
    goto* handlers[statement_kind[at]];
}
triple_assignment: {
    intptr_t start = at + 2;
    double value = apply_three(*operand_value[start], *operand_value[start + 2],
                               *operand_value[start + 4], start + 1, start + 3);
    double* slot = &token_variable[at]->number;
    *slot = value;
    if (pair_condition) last = LastStore{slot, value};
    at += 8;
    count_step();
    goto* handlers[statement_kind[at]];
}
long_assignment: {
    double value = trusted_long(at + 2);
    double* slot = &token_variable[at]->number;
    *slot = value;
    if (pair_condition) last = LastStore{slot, value};
    at = checked_until[at];
    count_step();
    goto* handlers[statement_kind[at]];
}
assignment: {
    double value = trusted_value(at + 2);
    double* slot = &token_variable[at]->number;
    *slot = value;
    if (pair_condition) last = LastStore{slot, value};
    at = checked_until[at];
    count_step();
    goto* handlers[statement_kind[at]];
}
pair_if: {
    intptr_t block = checked_until[at];
    intptr_t start = at + 2;
    bool taken = pair_condition
                     ? holds(start + 1, operand(start, last), operand(start + 2, last))
                     : holds(start + 1, *operand_value[start], *operand_value[start + 2]);
    at = taken ? block : block_end[block - 1] + 1;
    count_step();
    goto* handlers[statement_kind[at]];
}
operand_if: {
    intptr_t block = checked_until[at];
    double value = pair_condition ? operand(at + 2, last) : *operand_value[at + 2];
    at = value != 0.0 ? block : block_end[block - 1] + 1;
    count_step();
    goto* handlers[statement_kind[at]];
}
long_if: {
    intptr_t block = checked_until[at];
    at = trusted_long(at + 2) != 0.0 ? block : block_end[block - 1] + 1;
    count_step();
    goto* handlers[statement_kind[at]];
}
if_statement: {
    intptr_t block = checked_until[at];
    at = trusted_condition(at + 2) ? block : block_end[block - 1] + 1;
    count_step();
    goto* handlers[statement_kind[at]];
}
block_end:
    if (at == body_end) goto test;
    at++;
    count_step();
    goto* handlers[statement_kind[at]];
other:
    current_token = static_cast<int32_t>(at);
    if (pair_condition) last = LastStore{};
    execute_statement();
    at = current_token;
    count_step();
    goto* handlers[statement_kind[at]];
}

// while: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] void execute_while() {
    int32_t while_token = current_token - 1;
    intptr_t condition_start = while_token + 2;
    intptr_t body_start = checked_until[while_token];
    if (body_start == 0) {
        body_start = check_while_header();
        checked_until[while_token] = static_cast<int32_t>(body_start);
    }
    // Once checked, the first test stands in for the structure pass: the same condition on the
    // same store, with nothing run in between, gives the same value or the same error. That
    // structure pass ran it without error, so from here on the condition is trusted. The
    // condition's shape is the same on every pass: the commonest one gets its own loop.
    intptr_t body_end = block_end[body_start - 1];
    if (expression_shape[condition_start] == SHAPE_PAIR) {
        run_loop<true>(condition_start, body_start, body_end);
    } else {
        run_loop<false>(condition_start, body_start, body_end);
    }
    current_token = static_cast<int32_t>(body_end + 1);
}
