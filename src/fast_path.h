// What the fast path's two halves share: the facts kept per token position, which
// choose_kinds.cpp derives and learns and fast_path.cpp runs on; the statement kinds and loop
// tests, generated from their lists (statement_kinds.h, loop_tests.h); and the hooks through
// which the azuvel_kinds build (AZUVEL_KIND_COUNTS) counts the kinds and tests a run reaches.
#pragma once

#include <cstdint>

#include "facts.h"

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

// What a loop body does at a statement's first token (see statement_kinds.h).
enum StatementKind : uint8_t {
#define KIND(name, shape, length) KIND_##name,
#include "statement_kinds.h"
#undef KIND
    KIND_COUNT,
};

// How a loop tests its condition (see loop_tests.h).
enum LoopTest : uint8_t {
#define LOOP_TEST(name, condition, length) TEST_##name,
#include "loop_tests.h"
#undef LOOP_TEST
    LOOP_TEST_COUNT,
};

// Each kind's length in tokens: where the runner goes on after a statement of that kind, or 0.
inline constexpr uint8_t kind_length[] = {
#define KIND(name, shape, length) length,
#include "statement_kinds.h"
#undef KIND
};
inline constexpr const char* kind_names[] = {
#define KIND(name, shape, length) #name,
#include "statement_kinds.h"
#undef KIND
};
inline constexpr const char* kind_shapes[] = {
#define KIND(name, shape, length) shape,
#include "statement_kinds.h"
#undef KIND
};
inline constexpr const char* test_names[] = {
#define LOOP_TEST(name, condition, length) #name,
#include "loop_tests.h"
#undef LOOP_TEST
};
inline constexpr const char* test_conditions[] = {
#define LOOP_TEST(name, condition, length) condition,
#include "loop_tests.h"
#undef LOOP_TEST
};

// Derived from the tokens before the first statement runs (see derive_facts).
extern uint8_t token_type[MAX_TOKENS];   // each token's type, one byte a token
extern int32_t primary_end[MAX_TOKENS];  // primaries: the token after them; 0 for others
extern ExpressionShape expression_shape[MAX_TOKENS];
// Binary operators: where the long walk goes from here (its jump table's index), which says
// both the operator and whether the primary after it is parenthesised; 0 for other tokens.
extern uint8_t walk_step[MAX_TOKENS];

// Learnt from the checked path's runs.
extern int32_t expression_end[MAX_TOKENS];  // once run without error: the token after it
// Once the statement starting here has run without error: for an assignment the token after
// its ";", for an if or a while the first token of its block (its condition, ")" and "{" and a
// matching "}" all checked).
extern int32_t checked_until[MAX_TOKENS];
// What a loop body jumps to at the statement starting here: the address of its kind's handler
// in run_loop, kept per token so that a dispatch is one load, not two.
extern const void* statement_address[MAX_TOKENS];
// Once the expression starting here has run: the one comparison at its top level, or 0, and the
// shape of the part before it (`term_shape`, SHAPE_LONG for the long walk up to the comparison).
// A condition of that form is tested directly on its two sides: the right side is the
// expression starting after the comparison.
extern int32_t comparison_at[MAX_TOKENS];
extern ExpressionShape term_shape[MAX_TOKENS];
// A loop condition's first token: its LoopTest plus one, once its loop has started; 0 before.
extern uint8_t known_test[MAX_TOKENS];

// The runner, for the chooser: run_loop's handlers, indexed by StatementKind.
const void* const* statement_handler_table();

// The chooser, for the runner.
// A while at `while_token` whose header was checked; its body starts at `body_start`.
void learn_while(int32_t while_token, int32_t body_start);
// Chooses the test of the loop whose condition starts at `condition` and keeps it for the
// loop's next start; returns it plus one, as `known_test` holds it.
uint8_t choose_loop_test(intptr_t condition, intptr_t body_end);
// The kind chosen for the statement starting at `token`: KIND_OTHER before any.
StatementKind kind_at(int32_t token);

#ifdef AZUVEL_KIND_COUNTS
// The azuvel_kinds build: each statement's kind kept beside its handler's address, and how
// often each kind and each loop test ran (fast_path_debug.cpp writes them out at exit).
extern uint8_t statement_kind[MAX_TOKENS];
extern uint64_t kind_reached[KIND_COUNT];
extern uint64_t test_reached[LOOP_TEST_COUNT];
inline void reach_kind(intptr_t token) { kind_reached[statement_kind[token]]++; }
inline void reach_test(LoopTest test) { test_reached[test]++; }
#else
inline void reach_kind(intptr_t) {}
inline void reach_test(LoopTest) {}
#endif
