// What the checked path and the fast-path unit linked with it share.
//
// The checked path (checked_path.cpp) is the language itself: it parses and runs each statement
// from its tokens and reports every error in the order the language defines. It asks the
// fast-path unit to compute expressions (`evaluate`) and to run loops (`execute_while`), and
// tells it what each successful run showed (`learn_*`). Two units fit:
// - the product's fast path: it keeps facts per token position, learnt from checked runs
//   (choose_kinds.cpp), and runs what has run once without error on a trusted path that skips
//   the structure checks (fast_path.cpp);
// - plain_path.cpp: it learns nothing and trusts nothing, so every statement and expression
//   takes the checked path each time. It is the oracle the differential test holds the product
//   to, and what the debugger steps through.
#pragma once

#include <cstdint>

#include "interpreter.h"

// Derived from the tokens by the checked path before the first statement.
extern uint8_t operator_level[TOKEN_ROOM];  // binary operators: their OperatorLevel
extern int32_t block_end[TOKEN_ROOM];        // "{" tokens: the matching "}", or -1
extern uint32_t token_length[TOKEN_ROOM];   // the length of each token's value

// Kept by the fast-path unit, read by the checked path; the plain unit leaves them null.
extern Variable* token_variable[TOKEN_ROOM];     // name tokens: the entry, once found
extern const double* operand_value[TOKEN_ROOM];  // numbers and found names: their value

// The checked path, for the fast-path unit.
double parse_expression();
// After "while": checks "(" condition ")" "{" and the closing "}"; returns the body's first token.
int32_t check_while_header();
// Stops the run with the cursor on the "/" at `op`.
[[noreturn, gnu::cold]] void division_by_zero(intptr_t op);

// The fast-path unit, for the checked path.
void derive_facts();  // from a fresh token array, after the checked path's own tables
void learn_variable(int32_t token, Variable* variable);
void learn_expression_end(int32_t start, int32_t end);
void learn_assignment(int32_t name_token, int32_t end);  // end: the token after its ";"
void learn_if(int32_t if_token, int32_t block_start);     // its block's "}" is known to match
void execute_while();                                       // after "while"
