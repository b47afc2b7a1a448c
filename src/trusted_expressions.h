// The trusted path's expressions: what an expression computes once it has run without error,
// from its shape (see choose_kinds.cpp) and without the structure checks. Included by the loop
// runner alone (fast_path.cpp), so that these helpers inline into its handlers.
#pragma once

#include <cstdint>

#include "fast_path.h"
#include "operators.h"

// The trusted path's helpers are inlined into the loop runner wherever the build optimises. An
// unoptimised build calls them instead: inlined there, each copy keeps its own stack slots, and
// the runner's frame (one per nested loop) grew past 100 KiB under the sanitizers.
#ifdef __OPTIMIZE__
#define FAST_INLINE [[gnu::always_inline]]
#else
#define FAST_INLINE
#endif

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

// The number or name after the operator at `at`, for the walk; moves `at` on two tokens, to the
// operator after it.
FAST_INLINE static inline double take_operand(intptr_t& at) {
    double right = *operand_value[at + 1];
    at += 2;
    return right;
}

// The parenthesised primary after the operator at `at`, for the walk; moves `at` past its ")".
FAST_INLINE static inline double take_group(intptr_t& at) {
    double right = trusted_value(at + 2);
    at = primary_end[at + 1];
    return right;
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
    times##S : right = take_operand(at);                                                \
    factor = factor * right;                                                            \
    goto* TABLE[walk_step[at]];                                                         \
    times_group##S : right = take_group(at);                                            \
    factor = factor * right;                                                            \
    goto* TABLE[walk_step[at]];                                                         \
    over##S : right = take_operand(at);                                                 \
    factor = divide(at - 2, factor, right);                                             \
    goto* TABLE[walk_step[at]];                                                         \
    over_group##S : {                                                                   \
        intptr_t op = at;                                                               \
        right = take_group(at);                                                         \
        factor = divide(op, factor, right);                                             \
        goto* TABLE[walk_step[at]];                                                     \
    }                                                                                   \
    plus##S : term = term OP factor;                                                    \
    right = take_operand(at);                                                           \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    plus_group##S : term = term OP factor;                                              \
    right = take_group(at);                                                             \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    minus##S : term = term OP factor;                                                   \
    right = take_operand(at);                                                           \
    factor = right;                                                                     \
    goto* after_minus[walk_step[at]];                                                   \
    minus_group##S : term = term OP factor;                                             \
    right = take_group(at);                                                             \
    factor = right;                                                                     \
    goto* after_minus[walk_step[at]];                                                   \
    compare##S : if (term_only) goto end##S;                                            \
    START_COMPARISON(OP);                                                               \
    right = take_operand(at);                                                           \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    compare_group##S : if (term_only) goto end##S;                                      \
    START_COMPARISON(OP);                                                               \
    right = take_group(at);                                                             \
    factor = right;                                                                     \
    goto* after_plus[walk_step[at]];                                                    \
    end##S : term = term OP factor;                                                     \
    return comparison_op != 0 ? holds(comparison_op, comparison, term) : term;
    WALK_STATE(_plus, +, after_plus)
    WALK_STATE(_minus, -, after_minus)
#undef WALK_STATE
#undef START_COMPARISON
}
