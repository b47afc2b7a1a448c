// The plain unit: it learns nothing and trusts nothing, so every expression and statement takes
// the checked path every time, and a loop runs as the language describes it: test the condition
// from its first token, then run the body's statements one by one. Linked in place of the fast
// path (choose_kinds.cpp and fast_path.cpp), it is the oracle the differential test holds the
// product to, and the engine the debugger steps through.
#include "facts.h"
#include "steps.h"

Variable* token_variable[TOKEN_ROOM];
const double* operand_value[TOKEN_ROOM];

void derive_facts() {}
void learn_variable(int32_t, Variable*) {}
void learn_expression_end(int32_t, int32_t) {}
void learn_assignment(int32_t, int32_t) {}
void learn_if(int32_t, int32_t) {}

double evaluate() {
    return parse_expression();
}

// while: "(" expression ")" "{" statement* "}"
void execute_while() {
    int32_t condition_start = current_token + 1;
    int32_t body_start = check_while_header();
    int32_t body_end = block_end[body_start - 1];
    for (;;) {
        count_step();
        current_token = condition_start;
        if (evaluate() == 0.0) break;
        current_token = body_start;
        while (current_token < body_end) execute_statement();
    }
    current_token = body_end + 1;
}
