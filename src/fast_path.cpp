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
//   kind of statement it is (`statement_address`, what a loop body dispatches on).
//
// Checked once, trusted after: the first run of any expression or statement takes the checked
// path, which reports every error in the order the language defines. Once it has succeeded, its
// structure is known to be valid and every name in it found, so later runs (`trusted_value`,
// `run_loop`) skip the structure checks; the only error left to them is a division by zero,
// which depends on values and is still tested on every division. They still read each operand
// from its token; in a loop, the commonest statements' operator is part of their kind.
//
// The last store, in a register: while a loop runs, the value the statement just run stored is
// also kept in a local, and a statement whose first operand is known, from the tokens, to be the
// variable stored just before it takes the value from there (see run_loop).
#include <cstdint>
#include <iterator>

#include "facts.h"
#include "literal.h"
#include "operators.h"
#include "steps.h"

// The trusted path's helpers are inlined into the loop runner wherever the build optimises. An
// unoptimised build calls them instead: inlined there, each copy keeps its own stack slots, and
// the runner's frame (one per nested loop) grew past 100 KiB under the sanitizers.
#ifdef __OPTIMIZE__
#define FAST_INLINE [[gnu::always_inline]]
#else
#define FAST_INLINE
#endif

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

// What a loop body does at a statement's first token without calling execute_statement. The
// commonest forms get a kind per operator, so a handler runs its operator without testing which
// one it is; each "_AFTER" kind directly follows its plain kind and marks a statement whose first
// operand is the variable the statement just before it stored (see `stored_before`).
enum StatementKind : uint8_t {
    STATEMENT_OTHER,       // not yet run without error, or not one of these: the checked path
    STATEMENT_BLOCK_END,   // a "}" (see run_loop)
    STATEMENT_IF,          // a checked if of any other shape
    STATEMENT_TRIPLE_ASSIGNMENT,  // "x = a op b op c;", eight tokens, a comparison among them
    STATEMENT_LONG_ASSIGNMENT,    // four operands or more
    STATEMENT_LONG_IF,            // an if whose condition is four operands or more
    STATEMENT_COPY,               // "x = a;", four tokens
    STATEMENT_COPY_AFTER,
    STATEMENT_OPERAND_IF,         // "if (a) {"
    STATEMENT_OPERAND_IF_AFTER,
    STATEMENT_PAIR_ASSIGNMENT,    // "x = a op b;" with a comparison for op, six tokens
    STATEMENT_ADD,                // "x = a + b;"
    STATEMENT_ADD_AFTER,
    STATEMENT_SUBTRACT,
    STATEMENT_SUBTRACT_AFTER,
    STATEMENT_MULTIPLY,
    STATEMENT_MULTIPLY_AFTER,
    STATEMENT_DIVIDE,
    STATEMENT_DIVIDE_AFTER,
    STATEMENT_PAIR_IF,            // "if (a op b) {" with an arithmetic op
    STATEMENT_LESS_IF,            // "if (a < b) {"
    STATEMENT_LESS_IF_AFTER,
    STATEMENT_GREATER_IF,
    STATEMENT_GREATER_IF_AFTER,
    STATEMENT_EQUAL_IF,
    STATEMENT_EQUAL_IF_AFTER,
    STATEMENT_NOT_EQUAL_IF,
    STATEMENT_NOT_EQUAL_IF_AFTER,
    // An if on "left cmp right", longer (see `comparison_at`), one kind per comparison.
    STATEMENT_LESS_COMPARISON_IF,
    STATEMENT_GREATER_COMPARISON_IF,
    STATEMENT_EQUAL_COMPARISON_IF,
    STATEMENT_NOT_EQUAL_COMPARISON_IF,
    // The same with a parenthesised pair on the left and one number or name on the right, such
    // as "(q + big) - big == q".
    STATEMENT_LESS_GROUPED_COMPARISON_IF,
    STATEMENT_GREATER_GROUPED_COMPARISON_IF,
    STATEMENT_EQUAL_GROUPED_COMPARISON_IF,
    STATEMENT_NOT_EQUAL_GROUPED_COMPARISON_IF,
    // The same with four primaries or more on the left, such as "i * i + j * j < r2".
    STATEMENT_LESS_LONG_COMPARISON_IF,
    STATEMENT_GREATER_LONG_COMPARISON_IF,
    STATEMENT_EQUAL_LONG_COMPARISON_IF,
    STATEMENT_NOT_EQUAL_LONG_COMPARISON_IF,
    STATEMENT_GROUPED_ASSIGNMENT,  // two or three primaries with parentheses among them
    STATEMENT_WHILE,               // a while whose header has been checked
    STATEMENT_GROUPED_IF,          // an if on two or three primaries, parenthesised, no split
    // "x = a op b op c;" with arithmetic operators: one kind per pair of operators, in the
    // order of the tokens, "+" "-" "*" "/" each.
    STATEMENT_ADD_ADD,
    STATEMENT_ADD_SUBTRACT,
    STATEMENT_ADD_MULTIPLY,
    STATEMENT_ADD_DIVIDE,
    STATEMENT_SUBTRACT_ADD,
    STATEMENT_SUBTRACT_SUBTRACT,
    STATEMENT_SUBTRACT_MULTIPLY,
    STATEMENT_SUBTRACT_DIVIDE,
    STATEMENT_MULTIPLY_ADD,
    STATEMENT_MULTIPLY_SUBTRACT,
    STATEMENT_MULTIPLY_MULTIPLY,
    STATEMENT_MULTIPLY_DIVIDE,
    STATEMENT_DIVIDE_ADD,
    STATEMENT_DIVIDE_SUBTRACT,
    STATEMENT_DIVIDE_MULTIPLY,
    STATEMENT_DIVIDE_DIVIDE,
    STATEMENT_KIND_COUNT,
};

// How a loop tests its condition, chosen when it starts and again after a statement took the
// checked path (which is when facts are learnt). The same per-operator split as the statements.
enum LoopTest : uint8_t {
    TEST_GENERAL,  // any condition that is not two operands
    TEST_GROUPED,  // two or three primaries with parentheses among them, no tested comparison
    TEST_PAIR,     // two operands and an arithmetic operator
    TEST_LESS,
    TEST_LESS_AFTER,
    TEST_GREATER,
    TEST_GREATER_AFTER,
    TEST_EQUAL,
    TEST_EQUAL_AFTER,
    TEST_NOT_EQUAL,
    TEST_NOT_EQUAL_AFTER,
    // "left cmp right", longer (see `comparison_at`), one test per comparison.
    TEST_LESS_COMPARISON,
    TEST_GREATER_COMPARISON,
    TEST_EQUAL_COMPARISON,
    TEST_NOT_EQUAL_COMPARISON,
    LOOP_TEST_COUNT,
};

Variable* token_variable[TOKEN_ROOM];
const double* operand_value[TOKEN_ROOM];

static double literal_value[MAX_TOKENS];   // number tokens
static uint8_t token_type[MAX_TOKENS];     // each token's type, one byte a token
static int32_t primary_end[MAX_TOKENS];    // primaries: the token after them; 0 for others
static ExpressionShape expression_shape[MAX_TOKENS];
static int32_t expression_end[MAX_TOKENS];  // once run without error: the token after it
// Once the statement starting here has run without error: for an assignment the token after
// its ";", for an if or a while the first token of its block (its condition, ")" and "{" and a
// matching "}" all checked).
static int32_t checked_until[MAX_TOKENS];
// What a loop body jumps to at the statement starting here: the address of its kind's handler
// in run_loop (see StatementKind), kept per token so that a dispatch is one load, not two.
static const void* statement_address[MAX_TOKENS];
// run_loop's handlers by kind; run_loop owns the labels and hands the table out (see
// derive_facts).
static const void* const* statement_handlers = nullptr;

static void set_kind(int32_t token, StatementKind kind) {
    statement_address[token] = statement_handlers[kind];
}
// The variable stored by the assignment that ends just before this token, once it has run. A
// statement here is only ever reached straight after that assignment (every jump lands after a
// "{" or a "}", never after a ";"), so inside a loop the value stored is still in a register when
// this statement starts.
static const Variable* stored_before[MAX_TOKENS];
// Once the expression starting here has run: the one comparison at its top level, or 0, and the
// shape of the part before it (`term_shape`, SHAPE_LONG for the long walk up to the comparison).
// A condition of that form is tested directly on its two sides: the right side is the
// expression starting after the comparison.
static int32_t comparison_at[MAX_TOKENS];
static ExpressionShape term_shape[MAX_TOKENS];
// Binary operators: where the long walk goes from here (its jump table's index), which says
// both the operator and whether the primary after it is parenthesised; 0 for other tokens.
static uint8_t walk_step[MAX_TOKENS];
// A loop condition's first token: its LoopTest plus one, once its loop has started; 0 before.
static uint8_t known_test[MAX_TOKENS];

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

static void run_loop(intptr_t condition_start, intptr_t body_start, intptr_t body_end);

void derive_facts() {
    if (statement_handlers == nullptr) run_loop(0, 0, -1);
    int32_t open_parens[MAX_TOKENS];
    int32_t parens = 0;
    for (int32_t i = 0; i < token_count; i++) {
        const Token& token = tokens[i];
        token_variable[i] = nullptr;
        operand_value[i] = nullptr;
        token_type[i] = static_cast<uint8_t>(token.type);
        walk_step[i] = 0;
        if (is_binary_operator(token.type)) {
            bool group = i + 1 < token_count && tokens[i + 1].type == TOKEN_LPAREN;
            walk_step[i] = static_cast<uint8_t>(1 + 2 * (token.type - TOKEN_PLUS) + group);
        }
        primary_end[i] = 0;
        expression_end[i] = 0;
        checked_until[i] = 0;
        stored_before[i] = nullptr;
        comparison_at[i] = 0;
        known_test[i] = 0;
        set_kind(i, token.type == TOKEN_RBRACE ? STATEMENT_BLOCK_END : STATEMENT_OTHER);
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

// Finds the expression's one top-level comparison and the shape of what stands before it.
static void learn_comparison(int32_t start) {
    int32_t before = 0;  // primaries before the comparison
    bool grouped = false;
    int32_t comparison = 0;
    for (int32_t at = start;;) {
        if (comparison == 0) {
            grouped = grouped || token_type[at] == TOKEN_LPAREN;
            before++;
        }
        at = primary_end[at];
        TokenType op = tokens[at].type;
        if (!is_binary_operator(op)) break;
        if (level_of(op) == LEVEL_COMPARISON) {
            if (comparison != 0) return;  // a chain of comparisons: left as it is
            comparison = at;
        }
        at++;
    }
    if (comparison == 0) return;
    comparison_at[start] = comparison;
    if (before == 1) term_shape[start] = grouped ? SHAPE_LONG : SHAPE_OPERAND;
    else if (before == 2) term_shape[start] = grouped ? SHAPE_GROUPED_PAIR : SHAPE_PAIR;
    else if (before == 3) term_shape[start] = grouped ? SHAPE_GROUPED_TRIPLE : SHAPE_TRIPLE;
    else term_shape[start] = SHAPE_LONG;
}

void learn_expression_end(int32_t start, int32_t end) {
    expression_end[start] = end;
    if (comparison_at[start] == 0) learn_comparison(start);
}

// Whether the name at `operand` is the variable stored just before the statement at `statement`.
static bool reads_last_store(int32_t statement, int32_t operand) {
    return stored_before[statement] != nullptr && token_variable[operand] == stored_before[statement];
}

// The comparisons in the order of their kinds and tests: "<", ">", "==", "!=".
static int comparison_index(uint8_t op) {
    return op == TOKEN_LT ? 0 : op == TOKEN_GT ? 1 : op == TOKEN_EQ ? 2 : 3;
}

// The kind of "x = a op b;" by its operator; `after` adds one for the kinds that have it.
static StatementKind pair_assignment_kind(uint8_t op, bool after) {
    switch (op) {
        case TOKEN_PLUS: return StatementKind(STATEMENT_ADD + after);
        case TOKEN_MINUS: return StatementKind(STATEMENT_SUBTRACT + after);
        case TOKEN_STAR: return StatementKind(STATEMENT_MULTIPLY + after);
        case TOKEN_SLASH: return StatementKind(STATEMENT_DIVIDE + after);
        default: return STATEMENT_PAIR_ASSIGNMENT;
    }
}

// The kind of "if (a op b) {" by its operator, likewise.
static StatementKind pair_if_kind(uint8_t op, bool after) {
    switch (op) {
        case TOKEN_LT: return StatementKind(STATEMENT_LESS_IF + after);
        case TOKEN_GT: return StatementKind(STATEMENT_GREATER_IF + after);
        case TOKEN_EQ: return StatementKind(STATEMENT_EQUAL_IF + after);
        case TOKEN_NEQ: return StatementKind(STATEMENT_NOT_EQUAL_IF + after);
        default: return STATEMENT_PAIR_IF;
    }
}

// The test of a loop whose condition starts at `condition` and whose body ends at `body_end`:
// the "}" is reached only from the body's last statement, so `stored_before` holds there too.
static LoopTest loop_test(int32_t condition, int32_t body_end) {
    if (expression_shape[condition] != SHAPE_PAIR) {
        int32_t comparison = comparison_at[condition];
        if (comparison == 0) {
            ExpressionShape shape = expression_shape[condition];
            bool grouped = shape == SHAPE_GROUPED_PAIR || shape == SHAPE_GROUPED_TRIPLE;
            return grouped ? TEST_GROUPED : TEST_GENERAL;
        }
        return LoopTest(TEST_LESS_COMPARISON + comparison_index(token_type[comparison]));
    }
    bool after = reads_last_store(body_end, condition);
    switch (token_type[condition + 1]) {
        case TOKEN_LT: return LoopTest(TEST_LESS + after);
        case TOKEN_GT: return LoopTest(TEST_GREATER + after);
        case TOKEN_EQ: return LoopTest(TEST_EQUAL + after);
        case TOKEN_NEQ: return LoopTest(TEST_NOT_EQUAL + after);
        default: return TEST_PAIR;
    }
}

// The kind of "x = a op b op c;" by its two operators.
static StatementKind triple_assignment_kind(uint8_t first, uint8_t second) {
    auto arithmetic = [](uint8_t op) { return op >= TOKEN_PLUS && op <= TOKEN_SLASH; };
    if (!arithmetic(first) || !arithmetic(second)) return STATEMENT_TRIPLE_ASSIGNMENT;
    return StatementKind(STATEMENT_ADD_ADD + 4 * (first - TOKEN_PLUS) + (second - TOKEN_PLUS));
}

void learn_assignment(int32_t name_token, int32_t end) {
    checked_until[name_token] = end;
    stored_before[end] = token_variable[name_token];
    int32_t start = name_token + 2;
    bool after = reads_last_store(name_token, start);
    StatementKind kind = STATEMENT_GROUPED_ASSIGNMENT;
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: kind = StatementKind(STATEMENT_COPY + after); break;
        case SHAPE_PAIR: kind = pair_assignment_kind(token_type[start + 1], after); break;
        case SHAPE_TRIPLE:
            kind = triple_assignment_kind(token_type[start + 1], token_type[start + 3]);
            break;
        case SHAPE_LONG: kind = STATEMENT_LONG_ASSIGNMENT; break;
        default: break;
    }
    set_kind(name_token, kind);
}

void learn_if(int32_t if_token, int32_t block_start) {
    checked_until[if_token] = block_start;
    int32_t start = if_token + 2;
    bool after = reads_last_store(if_token, start);
    StatementKind kind = STATEMENT_IF;
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: kind = StatementKind(STATEMENT_OPERAND_IF + after); break;
        case SHAPE_PAIR: kind = pair_if_kind(token_type[start + 1], after); break;
        case SHAPE_TRIPLE: break;  // tested directly by trusted_condition
        default:
            if (int32_t comparison = comparison_at[start]) {
                bool one_right = expression_shape[comparison + 1] == SHAPE_OPERAND;
                StatementKind first = STATEMENT_LESS_COMPARISON_IF;
                if (one_right && term_shape[start] == SHAPE_GROUPED_PAIR) {
                    first = STATEMENT_LESS_GROUPED_COMPARISON_IF;
                } else if (one_right && term_shape[start] == SHAPE_LONG) {
                    first = STATEMENT_LESS_LONG_COMPARISON_IF;
                }
                kind = StatementKind(first + comparison_index(token_type[comparison]));
            }
            else if (expression_shape[start] == SHAPE_LONG) kind = STATEMENT_LONG_IF;
            else kind = STATEMENT_GROUPED_IF;
            break;
    }
    set_kind(if_token, kind);
}

// Applies the binary operator at token `op`; it is always one (the walk only calls this after
// one).
FAST_INLINE static inline double apply(intptr_t op, double left, double right) {
    return apply_operator(token_type[op], left, right,
                          [op] { division_by_zero(op); });
}

// Whether the binary operator at token `op` gives true, for a condition.
FAST_INLINE static inline bool holds(intptr_t op, double left, double right) {
    return operator_holds(token_type[op], left, right, [op] { division_by_zero(op); });
}

// The trusted path: expressions that have run once without error.

static double trusted_grouped(intptr_t start, ExpressionShape shape);
template <bool term_only>
static double trusted_long(intptr_t start);

// Computes "a op b op c": the operator of the higher level binds first, equal levels go left
// to right. `first` and `second` are the operators' positions.
FAST_INLINE static inline double apply_three(double a, double b, double c,
                                                        intptr_t first, intptr_t second) {
    if (operator_level[second] > operator_level[first]) {
        return apply(first, a, apply(second, b, c));
    }
    return apply(second, apply(first, a, b), c);
}

// Divides for a trusted "/" at token `op`.
FAST_INLINE static inline double divide(intptr_t op, double left, double right) {
    if (is_zero_divisor(right)) division_by_zero(op);
    return left / right;
}

// The primaries from `start` in the given shape (of the whole expression or of the part before
// its comparison). Up to three numbers and names are computed inline: once trusted, each name
// has its slot.
FAST_INLINE static inline double trusted_shaped(ExpressionShape shape, intptr_t start) {
    switch (shape) {
        case SHAPE_OPERAND: return *operand_value[start];
        case SHAPE_PAIR:
            return apply(start + 1, *operand_value[start], *operand_value[start + 2]);
        case SHAPE_TRIPLE:
            return apply_three(*operand_value[start], *operand_value[start + 2],
                               *operand_value[start + 4], start + 1, start + 3);
        case SHAPE_LONG: return trusted_long<false>(start);
        default: return trusted_grouped(start, shape);
    }
}

FAST_INLINE static inline double trusted_value(intptr_t start) {
    return trusted_shaped(expression_shape[start], start);
}

// Whether the trusted expression at `start` is true (not 0), as an if asks: a comparison of two
// operands is tested directly.
FAST_INLINE static inline bool trusted_condition(intptr_t start) {
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
        case SHAPE_LONG: return trusted_long<false>(start) != 0.0;
        default: return trusted_grouped(start, expression_shape[start]) != 0.0;
    }
}

FAST_INLINE static inline double primary_value(intptr_t at) {
    if (const double* value = operand_value[at]) return *value;
    return trusted_value(at + 1);  // a "(": its inner expression was checked with this one
}

// Two or three primaries with parentheses among them: inlined into the handlers of statements
// of that shape, and called elsewhere (`trusted_grouped`). Each copy inlines a shape's whole
// computation for each primary; with a copy wherever one could be computed, the loop runner
// was 134 KiB of code.
FAST_INLINE static inline double grouped_value(intptr_t start, ExpressionShape shape) {
    intptr_t first = primary_end[start];
    if (shape == SHAPE_GROUPED_PAIR) {
        double a = primary_value(start);
        return apply(first, a, primary_value(first + 1));
    }
    intptr_t second = primary_end[first + 1];
    double a = primary_value(start);
    double b = primary_value(first + 1);
    return apply_three(a, b, primary_value(second + 1), first, second);
}

[[gnu::noinline]] static double trusted_grouped(intptr_t start, ExpressionShape shape) {
    return grouped_value(start, shape);
}

// The two sides of "left cmp right" at `start` (see `comparison_at`): the left side first, as
// the walk computes it, then the right; a right side of one number or name is read in place.
// Called, not inlined: most comparisons that take this path run straight from their handlers.
struct Sides {
    double left;
    double right;
};
[[gnu::noinline]] static Sides comparison_sides(intptr_t start) {
    intptr_t right_start = comparison_at[start] + 1;
    ExpressionShape shape = term_shape[start];
    double left;
    if (shape == SHAPE_GROUPED_PAIR || shape == SHAPE_GROUPED_TRIPLE) {
        left = trusted_grouped(start, shape);
    } else if (shape == SHAPE_LONG) {
        left = trusted_long<true>(start);
    } else {
        left = trusted_shaped(shape, start);
    }
    double right = expression_shape[right_start] == SHAPE_OPERAND ? *operand_value[right_start]
                                                                 : trusted_value(right_start);
    return Sides{left, right};
}

// Four primaries or more, in one pass from left to right without the checks: each operator
// jumps to its own code (`walk_step`), which says which results in progress it completes. The
// factor in progress ends at an operator of a lower level and joins the term in progress; a term
// ends at a comparison or the end and joins the comparison in progress. So the right operand is
// complete before an operator is applied, and equal levels go left to right, as in the walk. A
// number or a name after an operator is read in place and the walk moves two tokens on; a
// parenthesised primary is computed by its own expression's shape.
//
// Whether the factor in progress is to be added to the term or subtracted is not a variable but
// where the walk is: each operator has its code twice, after a "+" (`_plus`, also a term's
// start) and after a "-" (`_minus`), and jumps through the table of the state it leaves. A term
// starts as -0, which adding the first factor leaves exactly that factor (zeros of either sign
// included). `term_only` stops at the first comparison: the left side of a tested comparison.
template <bool term_only>
[[gnu::noinline]] static double trusted_long(intptr_t at) {
    static_assert(TOKEN_PLUS == 17 && TOKEN_MINUS == 18 && TOKEN_STAR == 19 &&
                  TOKEN_SLASH == 20 && TOKEN_EQ == 21 && TOKEN_NEQ == 22 && TOKEN_GT == 23 &&
                  TOKEN_LT == 24);
    // By walk_step: each operator twice, before a number or name and before a "(".
#define WALK_TABLE(S)                                                                        \
    {&&end##S,     &&plus##S,    &&plus_group##S,    &&minus##S,   &&minus_group##S,         \
     &&times##S,   &&times_group##S, &&over##S,      &&over_group##S, &&compare##S,          \
     &&compare_group##S, &&compare##S, &&compare_group##S, &&compare##S, &&compare_group##S, \
     &&compare##S, &&compare_group##S}
    static const void* const after_plus[] = WALK_TABLE(_plus);
    static const void* const after_minus[] = WALK_TABLE(_minus);
#undef WALK_TABLE
    double factor = primary_value(at);
    double term = -0.0;
    double comparison = 0.0;
    double right;
    intptr_t comparison_op = 0;  // 0: no comparison in progress (an operator never stands at 0)
    at = primary_end[at];
    goto* after_plus[walk_step[at]];
// The primary after the operator at `at`, and the move to the operator after it.
#define PLAIN_OPERAND()                     \
    do {                                    \
        right = *operand_value[at + 1];     \
        at += 2;                            \
    } while (false)
#define GROUP_OPERAND()                     \
    do {                                    \
        right = trusted_value(at + 2);      \
        at = primary_end[at + 1];           \
    } while (false)
// At a comparison: the term in progress ends and joins the comparison in progress, and the
// comparison at `at` starts the next one.
#define START_COMPARISON(OP)                                                            \
    do {                                                                                \
        term = term OP factor;                                                          \
        comparison = comparison_op != 0 ? holds(comparison_op, comparison, term) : term; \
        term = -0.0;                                                                    \
        comparison_op = at;                                                             \
    } while (false)
// One state's code: S names it, `term OP factor` completes its term.
#define WALK_STATE(S, OP, TABLE)                                                        \
    times##S : PLAIN_OPERAND();                                                         \
    factor = factor * right;                                                            \
    goto* TABLE[walk_step[at]];                                                         \
    times_group##S : GROUP_OPERAND();                                                   \
    factor = factor * right;                                                            \
    goto* TABLE[walk_step[at]];                                                         \
    over##S : PLAIN_OPERAND();                                                          \
    factor = divide(at - 2, factor, right);                                             \
    goto* TABLE[walk_step[at]];                                                         \
    over_group##S : {                                                                   \
        intptr_t op = at;                                                               \
        GROUP_OPERAND();                                                                \
        factor = divide(op, factor, right);                                             \
        goto* TABLE[walk_step[at]];                                                     \
    }                                                                                   \
    plus##S : term = term OP factor;                                                    \
    PLAIN_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    plus_group##S : term = term OP factor;                                              \
    GROUP_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    minus##S : term = term OP factor;                                                   \
    PLAIN_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_minus[walk_step[at]];                                                   \
    minus_group##S : term = term OP factor;                                             \
    GROUP_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_minus[walk_step[at]];                                                   \
    compare##S : if (term_only) goto end##S;                                            \
    START_COMPARISON(OP);                                                               \
    PLAIN_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    compare_group##S : if (term_only) goto end##S;                                      \
    START_COMPARISON(OP);                                                               \
    GROUP_OPERAND();                                                                    \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    end##S : term = term OP factor;                                                     \
    return comparison_op != 0 ? holds(comparison_op, comparison, term) : term;
    WALK_STATE(_plus, +, after_plus)
    WALK_STATE(_minus, -, after_minus)
#undef WALK_STATE
#undef START_COMPARISON
#undef PLAIN_OPERAND
#undef GROUP_OPERAND
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
// `last` is the value the statement just run stored, when it was an assignment: an "_AFTER"
// kind takes its first operand from there rather than from memory. Memory is written all the
// same; the register only spares the read a round trip through memory, which on current
// processors takes longer than the arithmetic and, for a counter, is the loop's whole critical
// path.
// Chooses the test of a loop and keeps it for the loop's next start (see `known_test`): what it
// depends on is learnt before the loop first starts, but for the body's last statement, which
// is learnt by its first run inside the loop, where the test is chosen again.
static uint8_t remember_test(intptr_t condition, intptr_t body_end) {
    LoopTest test = loop_test(static_cast<int32_t>(condition), static_cast<int32_t>(body_end));
    known_test[condition] = static_cast<uint8_t>(test + 1);
    return static_cast<uint8_t>(test + 1);
}

[[gnu::noinline]] static void run_loop(intptr_t condition_start, intptr_t body_start,
                                       intptr_t body_end) {
    static const void* const handlers[] = {
        &&other, &&block_end, &&if_statement, &&triple_assignment,
        &&long_assignment, &&long_if, &&copy, &&copy_after, &&operand_if, &&operand_if_after,
        &&pair_assignment, &&add, &&add_after, &&subtract, &&subtract_after, &&multiply,
        &&multiply_after, &&divide, &&divide_after, &&pair_if, &&less_if, &&less_if_after,
        &&greater_if, &&greater_if_after, &&equal_if, &&equal_if_after, &&not_equal_if,
        &&not_equal_if_after, &&less_comparison_if, &&greater_comparison_if,
        &&equal_comparison_if, &&not_equal_comparison_if, &&less_grouped_comparison_if,
        &&greater_grouped_comparison_if, &&equal_grouped_comparison_if,
        &&not_equal_grouped_comparison_if, &&less_long_comparison_if,
        &&greater_long_comparison_if, &&equal_long_comparison_if, &&not_equal_long_comparison_if,
        &&grouped_assignment, &&loop, &&grouped_if, &&add_add, &&add_subtract, &&add_multiply,
        &&add_divide, &&subtract_add, &&subtract_subtract, &&subtract_multiply,
        &&subtract_divide, &&multiply_add, &&multiply_subtract, &&multiply_multiply,
        &&multiply_divide, &&divide_add, &&divide_subtract, &&divide_multiply, &&divide_divide};
    static_assert(std::size(handlers) == STATEMENT_KIND_COUNT);
    if (body_end < 0) {  // asked for the table only (see derive_facts)
        statement_handlers = handlers;
        return;
    }
    static const void* const tests[] = {
        &&test_general, &&test_grouped, &&test_pair, &&test_less, &&test_less_after, &&test_greater,
        &&test_greater_after, &&test_equal, &&test_equal_after, &&test_not_equal,
        &&test_not_equal_after, &&test_less_comparison, &&test_greater_comparison,
        &&test_equal_comparison, &&test_not_equal_comparison};
    static_assert(std::size(tests) == LOOP_TEST_COUNT);
#define NEXT()                                \
    do {                                      \
        count_step();                         \
        goto* statement_address[at];          \
    } while (false)
    // A pair's operands: each name has its slot once trusted.
#define LEFT (*operand_value[at + 2])
#define RIGHT (*operand_value[at + 4])
#define STORE(value, length)                \
    do {                                    \
        last = (value);                     \
        token_variable[at]->number = last;  \
        at += (length);                     \
    } while (false)
#define BRANCH(condition, block) at = (condition) ? (block) : block_end[(block) - 1] + 1
    const intptr_t condition = condition_start;
    uint8_t known = known_test[condition];
    if (known == 0) known = remember_test(condition, body_end);
    const void* test = tests[known - 1];
    double last = expression_shape[condition] == SHAPE_PAIR ? *operand_value[condition] : 0.0;
    intptr_t at = body_start;
    goto* test;

test_less:
    count_step();
    if (!(*operand_value[condition] < *operand_value[condition + 2])) return;
    goto body;
test_less_after:
    count_step();
    if (!(last < *operand_value[condition + 2])) return;
    goto body;
test_greater:
    count_step();
    if (!(*operand_value[condition] > *operand_value[condition + 2])) return;
    goto body;
test_greater_after:
    count_step();
    if (!(last > *operand_value[condition + 2])) return;
    goto body;
test_equal:
    count_step();
    if (!(*operand_value[condition] == *operand_value[condition + 2])) return;
    goto body;
test_equal_after:
    count_step();
    if (!(last == *operand_value[condition + 2])) return;
    goto body;
test_not_equal:
    count_step();
    if (!(*operand_value[condition] != *operand_value[condition + 2])) return;
    goto body;
test_not_equal_after:
    count_step();
    if (!(last != *operand_value[condition + 2])) return;
    goto body;
test_pair:
    count_step();
    if (!holds(condition + 1, *operand_value[condition], *operand_value[condition + 2])) return;
    goto body;
test_less_comparison: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left < sides.right)) return;
    goto body;
}
test_greater_comparison: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left > sides.right)) return;
    goto body;
}
test_equal_comparison: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left == sides.right)) return;
    goto body;
}
test_not_equal_comparison: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left != sides.right)) return;
    goto body;
}
test_grouped:
    count_step();
    if (grouped_value(condition, expression_shape[condition]) == 0.0) return;
    goto body;
test_general:
    count_step();
    if (trusted_value(condition) == 0.0) return;
body:
    at = body_start;
    NEXT();

    // The checked run already made the variable a number: a slot found by a name is the
    // earliest of that name, and only a declaration stores a string.
add:
    STORE(LEFT + RIGHT, 6);
    NEXT();
add_after:
    STORE(last + RIGHT, 6);
    NEXT();
subtract:
    STORE(LEFT - RIGHT, 6);
    NEXT();
subtract_after:
    STORE(last - RIGHT, 6);
    NEXT();
multiply:
    STORE(LEFT * RIGHT, 6);
    NEXT();
multiply_after:
    STORE(last * RIGHT, 6);
    NEXT();
divide:
    STORE(divide(at + 3, LEFT, RIGHT), 6);
    NEXT();
divide_after:
    STORE(divide(at + 3, last, RIGHT), 6);
    NEXT();
pair_assignment:
    STORE(apply(at + 3, LEFT, RIGHT), 6);
    NEXT();
copy:
    STORE(LEFT, 4);
    NEXT();
copy_after:
    STORE(last, 4);
    NEXT();
triple_assignment:
    STORE(apply_three(LEFT, RIGHT, *operand_value[at + 6], at + 3, at + 5), 8);
    NEXT();
long_assignment: {
    intptr_t end = checked_until[at];
    STORE(trusted_long<false>(at + 2), 0);
    at = end;
    NEXT();
}
grouped_assignment: {
    intptr_t end = checked_until[at];
    STORE(grouped_value(at + 2, expression_shape[at + 2]), 0);
    at = end;
    NEXT();
}

    // "if" "(" a op b ")" "{": the block starts 7 tokens on; "if" "(" a ")" "{": 5.
less_if:
    BRANCH(LEFT < RIGHT, at + 7);
    NEXT();
less_if_after:
    BRANCH(last < RIGHT, at + 7);
    NEXT();
greater_if:
    BRANCH(LEFT > RIGHT, at + 7);
    NEXT();
greater_if_after:
    BRANCH(last > RIGHT, at + 7);
    NEXT();
equal_if:
    BRANCH(LEFT == RIGHT, at + 7);
    NEXT();
equal_if_after:
    BRANCH(last == RIGHT, at + 7);
    NEXT();
not_equal_if:
    BRANCH(LEFT != RIGHT, at + 7);
    NEXT();
not_equal_if_after:
    BRANCH(last != RIGHT, at + 7);
    NEXT();
pair_if:
    BRANCH(holds(at + 3, LEFT, RIGHT), at + 7);
    NEXT();
operand_if:
    BRANCH(LEFT != 0.0, at + 5);
    NEXT();
operand_if_after:
    BRANCH(last != 0.0, at + 5);
    NEXT();
long_if:
    BRANCH(trusted_long<false>(at + 2) != 0.0, checked_until[at]);
    NEXT();
if_statement:
    BRANCH(trusted_condition(at + 2), checked_until[at]);
    NEXT();
grouped_if:
    BRANCH(grouped_value(at + 2, expression_shape[at + 2]) != 0.0, checked_until[at]);
    NEXT();
less_comparison_if: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left < sides.right, checked_until[at]);
    NEXT();
}
greater_comparison_if: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left > sides.right, checked_until[at]);
    NEXT();
}
equal_comparison_if: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left == sides.right, checked_until[at]);
    NEXT();
}
// "if" "(" left cmp operand ")" with a grouped pair or the long walk on the left: its two sides
// without the tests of their shapes, the left first.
#define SIDES_IF(NAME, LEFT_VALUE, TEST)                                        \
    NAME : {                                                                    \
        double left = LEFT_VALUE;                                               \
        double right = *operand_value[comparison_at[at + 2] + 1];               \
        BRANCH(TEST, checked_until[at]);                                        \
        NEXT();                                                                 \
    }
#define GROUPED_LEFT grouped_value(at + 2, SHAPE_GROUPED_PAIR)
#define LONG_LEFT trusted_long<true>(at + 2)
    SIDES_IF(less_grouped_comparison_if, GROUPED_LEFT, left < right)
    SIDES_IF(greater_grouped_comparison_if, GROUPED_LEFT, left > right)
    SIDES_IF(equal_grouped_comparison_if, GROUPED_LEFT, left == right)
    SIDES_IF(not_equal_grouped_comparison_if, GROUPED_LEFT, left != right)
    SIDES_IF(less_long_comparison_if, LONG_LEFT, left < right)
    SIDES_IF(greater_long_comparison_if, LONG_LEFT, left > right)
    SIDES_IF(equal_long_comparison_if, LONG_LEFT, left == right)
    SIDES_IF(not_equal_long_comparison_if, LONG_LEFT, left != right)
#undef SIDES_IF
#undef GROUPED_LEFT
#undef LONG_LEFT
not_equal_comparison_if: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left != sides.right, checked_until[at]);
    NEXT();
}

loop: {
    // A loop in the body, its header checked: run here rather than through execute_statement.
    intptr_t inner_start = checked_until[at];
    intptr_t inner_end = block_end[inner_start - 1];
    run_loop(at + 2, inner_start, inner_end);
    at = inner_end + 1;
    NEXT();
}
block_end:
    if (at == body_end) goto* test;
    at++;
    NEXT();
// "x = a op b op c;": the operator of the higher level binds first, equal levels go left to
// right; a division tests its divisor at its own token (the first operator's is at + 3, the
// second's at + 5).
#define TRIPLE(NAME, VALUE)                        \
    NAME : {                                       \
        double a = LEFT;                           \
        double b = RIGHT;                          \
        double c = *operand_value[at + 6];         \
        STORE(VALUE, 8);                           \
        NEXT();                                    \
    }
    TRIPLE(add_add, (a + b) + c)
    TRIPLE(add_subtract, (a + b) - c)
    TRIPLE(add_multiply, a + (b * c))
    TRIPLE(add_divide, a + divide(at + 5, b, c))
    TRIPLE(subtract_add, (a - b) + c)
    TRIPLE(subtract_subtract, (a - b) - c)
    TRIPLE(subtract_multiply, a - (b * c))
    TRIPLE(subtract_divide, a - divide(at + 5, b, c))
    TRIPLE(multiply_add, (a * b) + c)
    TRIPLE(multiply_subtract, (a * b) - c)
    TRIPLE(multiply_multiply, (a * b) * c)
    TRIPLE(multiply_divide, divide(at + 5, (a * b), c))
    TRIPLE(divide_add, divide(at + 3, a, b) + c)
    TRIPLE(divide_subtract, divide(at + 3, a, b) - c)
    TRIPLE(divide_multiply, divide(at + 3, a, b) * c)
    TRIPLE(divide_divide, divide(at + 5, divide(at + 3, a, b), c))
#undef TRIPLE
other: {
    current_token = static_cast<int32_t>(at);
    execute_statement();
    intptr_t at_end = current_token;
    if (token_type[at] == TOKEN_IDENTIFIER) {
        last = token_variable[at]->number;
        // The body's last statement, run for the first time, may be what the test reads.
        if (at_end == body_end) {
            test = tests[remember_test(condition, body_end) - 1];
        }
    }
    at = at_end;
    NEXT();
}
#undef NEXT
#undef LEFT
#undef RIGHT
#undef STORE
#undef BRANCH
}

// while: "(" expression ")" "{" statement* "}"
[[gnu::noinline]] void execute_while() {
    int32_t while_token = current_token - 1;
    intptr_t condition_start = while_token + 2;
    intptr_t body_start = checked_until[while_token];
    if (body_start == 0) {
        body_start = check_while_header();
        checked_until[while_token] = static_cast<int32_t>(body_start);
        set_kind(while_token, STATEMENT_WHILE);
    }
    // Once checked, the first test stands in for the structure pass: the same condition on the
    // same store, with nothing run in between, gives the same value or the same error. That
    // structure pass ran it without error, so from here on the condition is trusted.
    intptr_t body_end = block_end[body_start - 1];
    run_loop(condition_start, body_start, body_end);
    current_token = static_cast<int32_t>(body_end + 1);
}
