// The fast path's second half, the trusted runner: expressions and loops that have run once
// without error, run on the facts and kinds choose_kinds.cpp keeps per token position.
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

#include "fast_path.h"
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

// run_loop's handlers by kind; run_loop owns the labels and hands the table out.
static const void* const* statement_handlers = nullptr;

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
[[gnu::noinline]] static void run_loop(intptr_t condition_start, intptr_t body_start,
                                       intptr_t body_end) {
    static const void* const handlers[] = {
#define KIND(name, shape, length) &&kind_##name,
#include "statement_kinds.h"
#undef KIND
    };
    static_assert(std::size(handlers) == KIND_COUNT);
    if (body_end < 0) {  // asked for the table only (see statement_handler_table)
        statement_handlers = handlers;
        return;
    }
    static const void* const tests[] = {
#define LOOP_TEST(name, condition, length) &&test_##name,
#include "loop_tests.h"
#undef LOOP_TEST
    };
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
    if (known == 0) known = choose_loop_test(condition, body_end);
    const void* test = tests[known - 1];
    double last = expression_shape[condition] == SHAPE_PAIR ? *operand_value[condition] : 0.0;
    intptr_t at = body_start;
    goto* test;

test_LESS:
    count_step();
    if (!(*operand_value[condition] < *operand_value[condition + 2])) return;
    goto body;
test_LESS_AFTER:
    count_step();
    if (!(last < *operand_value[condition + 2])) return;
    goto body;
test_GREATER:
    count_step();
    if (!(*operand_value[condition] > *operand_value[condition + 2])) return;
    goto body;
test_GREATER_AFTER:
    count_step();
    if (!(last > *operand_value[condition + 2])) return;
    goto body;
test_EQUAL:
    count_step();
    if (!(*operand_value[condition] == *operand_value[condition + 2])) return;
    goto body;
test_EQUAL_AFTER:
    count_step();
    if (!(last == *operand_value[condition + 2])) return;
    goto body;
test_NOT_EQUAL:
    count_step();
    if (!(*operand_value[condition] != *operand_value[condition + 2])) return;
    goto body;
test_NOT_EQUAL_AFTER:
    count_step();
    if (!(last != *operand_value[condition + 2])) return;
    goto body;
test_PAIR:
    count_step();
    if (!holds(condition + 1, *operand_value[condition], *operand_value[condition + 2])) return;
    goto body;
test_LESS_COMPARISON: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left < sides.right)) return;
    goto body;
}
test_GREATER_COMPARISON: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left > sides.right)) return;
    goto body;
}
test_EQUAL_COMPARISON: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left == sides.right)) return;
    goto body;
}
test_NOT_EQUAL_COMPARISON: {
    count_step();
    Sides sides = comparison_sides(condition);
    if (!(sides.left != sides.right)) return;
    goto body;
}
test_GROUPED:
    count_step();
    if (grouped_value(condition, expression_shape[condition]) == 0.0) return;
    goto body;
test_GENERAL:
    count_step();
    if (trusted_value(condition) == 0.0) return;
body:
    at = body_start;
    NEXT();

    // The checked run already made the variable a number: a slot found by a name is the
    // earliest of that name, and only a declaration stores a string.
kind_ADD:
    STORE(LEFT + RIGHT, 6);
    NEXT();
kind_ADD_AFTER:
    STORE(last + RIGHT, 6);
    NEXT();
kind_SUBTRACT:
    STORE(LEFT - RIGHT, 6);
    NEXT();
kind_SUBTRACT_AFTER:
    STORE(last - RIGHT, 6);
    NEXT();
kind_MULTIPLY:
    STORE(LEFT * RIGHT, 6);
    NEXT();
kind_MULTIPLY_AFTER:
    STORE(last * RIGHT, 6);
    NEXT();
kind_DIVIDE:
    STORE(divide(at + 3, LEFT, RIGHT), 6);
    NEXT();
kind_DIVIDE_AFTER:
    STORE(divide(at + 3, last, RIGHT), 6);
    NEXT();
kind_PAIR_ASSIGNMENT:
    STORE(apply(at + 3, LEFT, RIGHT), 6);
    NEXT();
kind_COPY:
    STORE(LEFT, 4);
    NEXT();
kind_COPY_AFTER:
    STORE(last, 4);
    NEXT();
kind_TRIPLE_ASSIGNMENT:
    STORE(apply_three(LEFT, RIGHT, *operand_value[at + 6], at + 3, at + 5), 8);
    NEXT();
kind_LONG_ASSIGNMENT: {
    intptr_t end = checked_until[at];
    STORE(trusted_long<false>(at + 2), 0);
    at = end;
    NEXT();
}
kind_GROUPED_ASSIGNMENT: {
    intptr_t end = checked_until[at];
    STORE(grouped_value(at + 2, expression_shape[at + 2]), 0);
    at = end;
    NEXT();
}

    // "if" "(" a op b ")" "{": the block starts 7 tokens on; "if" "(" a ")" "{": 5.
kind_LESS_IF:
    BRANCH(LEFT < RIGHT, at + 7);
    NEXT();
kind_LESS_IF_AFTER:
    BRANCH(last < RIGHT, at + 7);
    NEXT();
kind_GREATER_IF:
    BRANCH(LEFT > RIGHT, at + 7);
    NEXT();
kind_GREATER_IF_AFTER:
    BRANCH(last > RIGHT, at + 7);
    NEXT();
kind_EQUAL_IF:
    BRANCH(LEFT == RIGHT, at + 7);
    NEXT();
kind_EQUAL_IF_AFTER:
    BRANCH(last == RIGHT, at + 7);
    NEXT();
kind_NOT_EQUAL_IF:
    BRANCH(LEFT != RIGHT, at + 7);
    NEXT();
kind_NOT_EQUAL_IF_AFTER:
    BRANCH(last != RIGHT, at + 7);
    NEXT();
kind_PAIR_IF:
    BRANCH(holds(at + 3, LEFT, RIGHT), at + 7);
    NEXT();
kind_OPERAND_IF:
    BRANCH(LEFT != 0.0, at + 5);
    NEXT();
kind_OPERAND_IF_AFTER:
    BRANCH(last != 0.0, at + 5);
    NEXT();
kind_LONG_IF:
    BRANCH(trusted_long<false>(at + 2) != 0.0, checked_until[at]);
    NEXT();
kind_TRIPLE_IF:
    BRANCH(trusted_condition(at + 2), checked_until[at]);
    NEXT();
kind_GROUPED_IF:
    BRANCH(grouped_value(at + 2, expression_shape[at + 2]) != 0.0, checked_until[at]);
    NEXT();
kind_LESS_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left < sides.right, checked_until[at]);
    NEXT();
}
kind_GREATER_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left > sides.right, checked_until[at]);
    NEXT();
}
kind_EQUAL_COMPARISON_IF: {
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
    SIDES_IF(kind_LESS_GROUPED_COMPARISON_IF, GROUPED_LEFT, left < right)
    SIDES_IF(kind_GREATER_GROUPED_COMPARISON_IF, GROUPED_LEFT, left > right)
    SIDES_IF(kind_EQUAL_GROUPED_COMPARISON_IF, GROUPED_LEFT, left == right)
    SIDES_IF(kind_NOT_EQUAL_GROUPED_COMPARISON_IF, GROUPED_LEFT, left != right)
    SIDES_IF(kind_LESS_LONG_COMPARISON_IF, LONG_LEFT, left < right)
    SIDES_IF(kind_GREATER_LONG_COMPARISON_IF, LONG_LEFT, left > right)
    SIDES_IF(kind_EQUAL_LONG_COMPARISON_IF, LONG_LEFT, left == right)
    SIDES_IF(kind_NOT_EQUAL_LONG_COMPARISON_IF, LONG_LEFT, left != right)
#undef SIDES_IF
#undef GROUPED_LEFT
#undef LONG_LEFT
kind_NOT_EQUAL_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    BRANCH(sides.left != sides.right, checked_until[at]);
    NEXT();
}

kind_WHILE: {
    // A loop in the body, its header checked: run here rather than through execute_statement.
    intptr_t inner_start = checked_until[at];
    intptr_t inner_end = block_end[inner_start - 1];
    run_loop(at + 2, inner_start, inner_end);
    at = inner_end + 1;
    NEXT();
}
kind_BLOCK_END:
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
    TRIPLE(kind_ADD_ADD, (a + b) + c)
    TRIPLE(kind_ADD_SUBTRACT, (a + b) - c)
    TRIPLE(kind_ADD_MULTIPLY, a + (b * c))
    TRIPLE(kind_ADD_DIVIDE, a + divide(at + 5, b, c))
    TRIPLE(kind_SUBTRACT_ADD, (a - b) + c)
    TRIPLE(kind_SUBTRACT_SUBTRACT, (a - b) - c)
    TRIPLE(kind_SUBTRACT_MULTIPLY, a - (b * c))
    TRIPLE(kind_SUBTRACT_DIVIDE, a - divide(at + 5, b, c))
    TRIPLE(kind_MULTIPLY_ADD, (a * b) + c)
    TRIPLE(kind_MULTIPLY_SUBTRACT, (a * b) - c)
    TRIPLE(kind_MULTIPLY_MULTIPLY, (a * b) * c)
    TRIPLE(kind_MULTIPLY_DIVIDE, divide(at + 5, (a * b), c))
    TRIPLE(kind_DIVIDE_ADD, divide(at + 3, a, b) + c)
    TRIPLE(kind_DIVIDE_SUBTRACT, divide(at + 3, a, b) - c)
    TRIPLE(kind_DIVIDE_MULTIPLY, divide(at + 3, a, b) * c)
    TRIPLE(kind_DIVIDE_DIVIDE, divide(at + 5, divide(at + 3, a, b), c))
#undef TRIPLE
kind_OTHER: {
    current_token = static_cast<int32_t>(at);
    execute_statement();
    intptr_t at_end = current_token;
    if (token_type[at] == TOKEN_IDENTIFIER) {
        last = token_variable[at]->number;
        // The body's last statement, run for the first time, may be what the test reads.
        if (at_end == body_end) {
            test = tests[choose_loop_test(condition, body_end) - 1];
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
        learn_while(while_token, static_cast<int32_t>(body_start));
    }
    // Once checked, the first test stands in for the structure pass: the same condition on the
    // same store, with nothing run in between, gives the same value or the same error. That
    // structure pass ran it without error, so from here on the condition is trusted.
    intptr_t body_end = block_end[body_start - 1];
    run_loop(condition_start, body_start, body_end);
    current_token = static_cast<int32_t>(body_end + 1);
}

const void* const* statement_handler_table() {
    if (statement_handlers == nullptr) run_loop(0, 0, -1);
    return statement_handlers;
}
