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
// variable stored just before it takes the value from there (see run_loop). What each shape of
// expression computes once trusted is in trusted_expressions.h.
#include <cstdint>
#include <iterator>

#include "fast_path.h"
#include "steps.h"
#include "trusted_expressions.h"

// run_loop's handlers by kind; run_loop owns the labels and hands the table out.
static const void* const* statement_handlers = nullptr;

// Parses and computes the expression at the cursor: trusted once it has run without error.
double evaluate() {
    int32_t start = current_token;
    if (int32_t end = expression_end[start]) {
        current_token = end;
        return trusted_value(start);
    }
    return parse_expression();
}

// The number or name at `token` in a trusted statement: each name has its slot.
FAST_INLINE static inline double operand(intptr_t token) {
    return *operand_value[token];
}

// Stores `value` in the variable named at `token` and returns it, for `last`. The checked run
// already made the variable a number: a slot found by a name is the earliest of that name, and
// only a declaration stores a string.
FAST_INLINE static inline double store(intptr_t token, double value) {
    token_variable[token]->number = value;
    return value;
}

// Where a trusted if whose condition does not hold goes on: the token after the "}" of its block,
// which starts at `block`.
FAST_INLINE static inline intptr_t past_block(intptr_t block) {
    return block_end[block - 1] + 1;
}

// The two sides of "left cmp right" at `start` with one number or name on the right and, on the
// left, a grouped pair or the long walk: computed without the tests of their shapes, left first.
FAST_INLINE static inline Sides grouped_pair_sides(intptr_t start) {
    double left = grouped_value(start, SHAPE_GROUPED_PAIR);
    return Sides{left, operand(comparison_at[start] + 1)};
}
FAST_INLINE static inline Sides long_walk_sides(intptr_t start) {
    double left = trusted_long<true>(start);
    return Sides{left, operand(comparison_at[start] + 1)};
}

// A test of a loop's condition: a step for the fuzz build's limit, a count for azuvel_kinds.
FAST_INLINE static inline void count_test(LoopTest test) {
    count_step();
    reach_test(test);
}

// Runs a while loop whose header has been checked, from its first test to the test that fails.
// The loop test and the body's statements form one loop with the cursor and bounds in
// registers: each statement's kind picks its handler by a computed jump, from the end of the
// handler before it, so that each kind of statement predicts its successor on its own.
// Checked assignments and ifs run here straight from their tokens, everything else through
// execute_statement. A checked if whose condition holds moves the cursor into its block, so a
// "}" met at statement level is the end of such a block (statements keep their braces
// balanced, and every other block is left by the statement that opened it) or, at `body_end`,
// the end of the body, which goes back to the test. A handler moves the cursor on by its kind's
// length (`kind_length`, from statement_kinds.h) or to where the checked run ended the statement
// (`checked_until`), then dispatches.
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
    const intptr_t condition = condition_start;
    uint8_t known = known_test[condition];
    if (known == 0) known = choose_loop_test(condition, body_end);
    const void* test = tests[known - 1];
    double last = expression_shape[condition] == SHAPE_PAIR ? operand(condition) : 0.0;
    intptr_t at = body_start;
    goto* test;

// Goes on to the statement at `at` through its kind's handler: one load and one indirect jump,
// made at the end of each handler so that each kind predicts its successor on its own. A macro,
// the runner's only one: a jump cannot be made from a function.
#define DISPATCH()                    \
    do {                              \
        count_step();                 \
        reach_kind(at);               \
        goto* statement_address[at];  \
    } while (false)

test_LESS:
    count_test(TEST_LESS);
    if (!(operand(condition) < operand(condition + 2))) return;
    goto body;
test_LESS_AFTER:
    count_test(TEST_LESS_AFTER);
    if (!(last < operand(condition + 2))) return;
    goto body;
test_GREATER:
    count_test(TEST_GREATER);
    if (!(operand(condition) > operand(condition + 2))) return;
    goto body;
test_GREATER_AFTER:
    count_test(TEST_GREATER_AFTER);
    if (!(last > operand(condition + 2))) return;
    goto body;
test_EQUAL:
    count_test(TEST_EQUAL);
    if (!(operand(condition) == operand(condition + 2))) return;
    goto body;
test_EQUAL_AFTER:
    count_test(TEST_EQUAL_AFTER);
    if (!(last == operand(condition + 2))) return;
    goto body;
test_NOT_EQUAL:
    count_test(TEST_NOT_EQUAL);
    if (!(operand(condition) != operand(condition + 2))) return;
    goto body;
test_NOT_EQUAL_AFTER:
    count_test(TEST_NOT_EQUAL_AFTER);
    if (!(last != operand(condition + 2))) return;
    goto body;
test_PAIR:
    count_test(TEST_PAIR);
    if (!holds(condition + 1, operand(condition), operand(condition + 2))) return;
    goto body;
test_LESS_COMPARISON: {
    count_test(TEST_LESS_COMPARISON);
    Sides sides = comparison_sides(condition);
    if (!(sides.left < sides.right)) return;
    goto body;
}
test_GREATER_COMPARISON: {
    count_test(TEST_GREATER_COMPARISON);
    Sides sides = comparison_sides(condition);
    if (!(sides.left > sides.right)) return;
    goto body;
}
test_EQUAL_COMPARISON: {
    count_test(TEST_EQUAL_COMPARISON);
    Sides sides = comparison_sides(condition);
    if (!(sides.left == sides.right)) return;
    goto body;
}
test_NOT_EQUAL_COMPARISON: {
    count_test(TEST_NOT_EQUAL_COMPARISON);
    Sides sides = comparison_sides(condition);
    if (!(sides.left != sides.right)) return;
    goto body;
}
test_GROUPED:
    count_test(TEST_GROUPED);
    if (grouped_value(condition, expression_shape[condition]) == 0.0) return;
    goto body;
test_GENERAL:
    count_test(TEST_GENERAL);
    if (trusted_value(condition) == 0.0) return;
body:
    at = body_start;
    DISPATCH();

kind_ADD:
    last = store(at, operand(at + 2) + operand(at + 4));
    at += kind_length[KIND_ADD];
    DISPATCH();
kind_ADD_AFTER:
    last = store(at, last + operand(at + 4));
    at += kind_length[KIND_ADD_AFTER];
    DISPATCH();
kind_SUBTRACT:
    last = store(at, operand(at + 2) - operand(at + 4));
    at += kind_length[KIND_SUBTRACT];
    DISPATCH();
kind_SUBTRACT_AFTER:
    last = store(at, last - operand(at + 4));
    at += kind_length[KIND_SUBTRACT_AFTER];
    DISPATCH();
kind_MULTIPLY:
    last = store(at, operand(at + 2) * operand(at + 4));
    at += kind_length[KIND_MULTIPLY];
    DISPATCH();
kind_MULTIPLY_AFTER:
    last = store(at, last * operand(at + 4));
    at += kind_length[KIND_MULTIPLY_AFTER];
    DISPATCH();
kind_DIVIDE:
    last = store(at, divide(at + 3, operand(at + 2), operand(at + 4)));
    at += kind_length[KIND_DIVIDE];
    DISPATCH();
kind_DIVIDE_AFTER:
    last = store(at, divide(at + 3, last, operand(at + 4)));
    at += kind_length[KIND_DIVIDE_AFTER];
    DISPATCH();
kind_PAIR_ASSIGNMENT:
    last = store(at, apply(at + 3, operand(at + 2), operand(at + 4)));
    at += kind_length[KIND_PAIR_ASSIGNMENT];
    DISPATCH();
kind_COPY:
    last = store(at, operand(at + 2));
    at += kind_length[KIND_COPY];
    DISPATCH();
kind_COPY_AFTER:
    last = store(at, last);
    at += kind_length[KIND_COPY_AFTER];
    DISPATCH();
kind_TRIPLE_ASSIGNMENT:
    last = store(at,
                 apply_three(operand(at + 2), operand(at + 4), operand(at + 6), at + 3, at + 5));
    at += kind_length[KIND_TRIPLE_ASSIGNMENT];
    DISPATCH();
kind_LONG_ASSIGNMENT: {
    intptr_t end = checked_until[at];
    last = store(at, trusted_long<false>(at + 2));
    at = end;
    DISPATCH();
}
kind_GROUPED_ASSIGNMENT: {
    intptr_t end = checked_until[at];
    last = store(at, grouped_value(at + 2, expression_shape[at + 2]));
    at = end;
    DISPATCH();
}

    // An if's length takes it to its block's first token.
kind_LESS_IF:
    at = operand(at + 2) < operand(at + 4) ? at + kind_length[KIND_LESS_IF]
                                           : past_block(at + kind_length[KIND_LESS_IF]);
    DISPATCH();
kind_LESS_IF_AFTER:
    at = last < operand(at + 4) ? at + kind_length[KIND_LESS_IF_AFTER]
                                : past_block(at + kind_length[KIND_LESS_IF_AFTER]);
    DISPATCH();
kind_GREATER_IF:
    at = operand(at + 2) > operand(at + 4) ? at + kind_length[KIND_GREATER_IF]
                                           : past_block(at + kind_length[KIND_GREATER_IF]);
    DISPATCH();
kind_GREATER_IF_AFTER:
    at = last > operand(at + 4) ? at + kind_length[KIND_GREATER_IF_AFTER]
                                : past_block(at + kind_length[KIND_GREATER_IF_AFTER]);
    DISPATCH();
kind_EQUAL_IF:
    at = operand(at + 2) == operand(at + 4) ? at + kind_length[KIND_EQUAL_IF]
                                            : past_block(at + kind_length[KIND_EQUAL_IF]);
    DISPATCH();
kind_EQUAL_IF_AFTER:
    at = last == operand(at + 4) ? at + kind_length[KIND_EQUAL_IF_AFTER]
                                 : past_block(at + kind_length[KIND_EQUAL_IF_AFTER]);
    DISPATCH();
kind_NOT_EQUAL_IF:
    at = operand(at + 2) != operand(at + 4) ? at + kind_length[KIND_NOT_EQUAL_IF]
                                            : past_block(at + kind_length[KIND_NOT_EQUAL_IF]);
    DISPATCH();
kind_NOT_EQUAL_IF_AFTER:
    at = last != operand(at + 4) ? at + kind_length[KIND_NOT_EQUAL_IF_AFTER]
                                 : past_block(at + kind_length[KIND_NOT_EQUAL_IF_AFTER]);
    DISPATCH();
kind_PAIR_IF:
    at = holds(at + 3, operand(at + 2), operand(at + 4)) ? at + kind_length[KIND_PAIR_IF]
                                                         : past_block(at + kind_length[KIND_PAIR_IF]);
    DISPATCH();
kind_OPERAND_IF:
    at = operand(at + 2) != 0.0 ? at + kind_length[KIND_OPERAND_IF]
                                : past_block(at + kind_length[KIND_OPERAND_IF]);
    DISPATCH();
kind_OPERAND_IF_AFTER:
    at = last != 0.0 ? at + kind_length[KIND_OPERAND_IF_AFTER]
                     : past_block(at + kind_length[KIND_OPERAND_IF_AFTER]);
    DISPATCH();
kind_LONG_IF:
    at = trusted_long<false>(at + 2) != 0.0 ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
kind_TRIPLE_IF:
    at = trusted_condition(at + 2) ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
kind_GROUPED_IF:
    at = grouped_value(at + 2, expression_shape[at + 2]) != 0.0 ? checked_until[at]
                                                                : past_block(checked_until[at]);
    DISPATCH();
kind_LESS_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    at = sides.left < sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_GREATER_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    at = sides.left > sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_EQUAL_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    at = sides.left == sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_LESS_GROUPED_COMPARISON_IF: {
    Sides sides = grouped_pair_sides(at + 2);
    at = sides.left < sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_GREATER_GROUPED_COMPARISON_IF: {
    Sides sides = grouped_pair_sides(at + 2);
    at = sides.left > sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_EQUAL_GROUPED_COMPARISON_IF: {
    Sides sides = grouped_pair_sides(at + 2);
    at = sides.left == sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_NOT_EQUAL_GROUPED_COMPARISON_IF: {
    Sides sides = grouped_pair_sides(at + 2);
    at = sides.left != sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_LESS_LONG_COMPARISON_IF: {
    Sides sides = long_walk_sides(at + 2);
    at = sides.left < sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_GREATER_LONG_COMPARISON_IF: {
    Sides sides = long_walk_sides(at + 2);
    at = sides.left > sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_EQUAL_LONG_COMPARISON_IF: {
    Sides sides = long_walk_sides(at + 2);
    at = sides.left == sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_NOT_EQUAL_LONG_COMPARISON_IF: {
    Sides sides = long_walk_sides(at + 2);
    at = sides.left != sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}
kind_NOT_EQUAL_COMPARISON_IF: {
    Sides sides = comparison_sides(at + 2);
    at = sides.left != sides.right ? checked_until[at] : past_block(checked_until[at]);
    DISPATCH();
}

kind_WHILE: {
    // A loop in the body, its header checked: run here rather than through execute_statement.
    intptr_t inner_start = checked_until[at];
    intptr_t inner_end = block_end[inner_start - 1];
    run_loop(at + 2, inner_start, inner_end);
    at = inner_end + 1;
    DISPATCH();
}
kind_BLOCK_END:
    if (at == body_end) goto* test;
    at += kind_length[KIND_BLOCK_END];
    DISPATCH();
    // "x = a op b op c;": the operator of the higher level binds first, equal levels go left to
    // right; a division tests its divisor at its own token (the first operator's is at + 3, the
    // second's at + 5).
kind_ADD_ADD:
    last = store(at, (operand(at + 2) + operand(at + 4)) + operand(at + 6));
    at += kind_length[KIND_ADD_ADD];
    DISPATCH();
kind_ADD_SUBTRACT:
    last = store(at, (operand(at + 2) + operand(at + 4)) - operand(at + 6));
    at += kind_length[KIND_ADD_SUBTRACT];
    DISPATCH();
kind_ADD_MULTIPLY:
    last = store(at, operand(at + 2) + (operand(at + 4) * operand(at + 6)));
    at += kind_length[KIND_ADD_MULTIPLY];
    DISPATCH();
kind_ADD_DIVIDE:
    last = store(at, operand(at + 2) + divide(at + 5, operand(at + 4), operand(at + 6)));
    at += kind_length[KIND_ADD_DIVIDE];
    DISPATCH();
kind_SUBTRACT_ADD:
    last = store(at, (operand(at + 2) - operand(at + 4)) + operand(at + 6));
    at += kind_length[KIND_SUBTRACT_ADD];
    DISPATCH();
kind_SUBTRACT_SUBTRACT:
    last = store(at, (operand(at + 2) - operand(at + 4)) - operand(at + 6));
    at += kind_length[KIND_SUBTRACT_SUBTRACT];
    DISPATCH();
kind_SUBTRACT_MULTIPLY:
    last = store(at, operand(at + 2) - (operand(at + 4) * operand(at + 6)));
    at += kind_length[KIND_SUBTRACT_MULTIPLY];
    DISPATCH();
kind_SUBTRACT_DIVIDE:
    last = store(at, operand(at + 2) - divide(at + 5, operand(at + 4), operand(at + 6)));
    at += kind_length[KIND_SUBTRACT_DIVIDE];
    DISPATCH();
kind_MULTIPLY_ADD:
    last = store(at, (operand(at + 2) * operand(at + 4)) + operand(at + 6));
    at += kind_length[KIND_MULTIPLY_ADD];
    DISPATCH();
kind_MULTIPLY_SUBTRACT:
    last = store(at, (operand(at + 2) * operand(at + 4)) - operand(at + 6));
    at += kind_length[KIND_MULTIPLY_SUBTRACT];
    DISPATCH();
kind_MULTIPLY_MULTIPLY:
    last = store(at, (operand(at + 2) * operand(at + 4)) * operand(at + 6));
    at += kind_length[KIND_MULTIPLY_MULTIPLY];
    DISPATCH();
kind_MULTIPLY_DIVIDE:
    last = store(at, divide(at + 5, operand(at + 2) * operand(at + 4), operand(at + 6)));
    at += kind_length[KIND_MULTIPLY_DIVIDE];
    DISPATCH();
kind_DIVIDE_ADD:
    last = store(at, divide(at + 3, operand(at + 2), operand(at + 4)) + operand(at + 6));
    at += kind_length[KIND_DIVIDE_ADD];
    DISPATCH();
kind_DIVIDE_SUBTRACT:
    last = store(at, divide(at + 3, operand(at + 2), operand(at + 4)) - operand(at + 6));
    at += kind_length[KIND_DIVIDE_SUBTRACT];
    DISPATCH();
kind_DIVIDE_MULTIPLY:
    last = store(at, divide(at + 3, operand(at + 2), operand(at + 4)) * operand(at + 6));
    at += kind_length[KIND_DIVIDE_MULTIPLY];
    DISPATCH();
kind_DIVIDE_DIVIDE:
    last = store(at,
                 divide(at + 5, divide(at + 3, operand(at + 2), operand(at + 4)), operand(at + 6)));
    at += kind_length[KIND_DIVIDE_DIVIDE];
    DISPATCH();
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
    DISPATCH();
}
#undef DISPATCH
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

// run_loop's handlers, indexed by StatementKind, for choose_kinds.cpp to store by token.
const void* const* statement_handler_table() {
    if (statement_handlers == nullptr) run_loop(0, 0, -1);
    return statement_handlers;
}
