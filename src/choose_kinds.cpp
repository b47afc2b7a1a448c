// The fast path's first half: the facts kept per token position, and the choice of each
// statement's kind and each loop's test from them, as fast_path.cpp's runner reads them.
//
// - Derived from the tokens before the first statement runs: the value of each number literal,
//   where each primary (a number, a name, or a parenthesised expression) ends, each token's type
//   in one byte, and the shape of the expression that starts at each token (one, two or three
//   primaries joined by operators, or longer).
// - Learnt from the checked path's runs: the store slot of each name once found (the store is
//   append-only and a lookup returns the earliest entry, so a found slot never changes); where an
//   expression ends once it has run to its end without an error (`expression_end`); and, once a
//   statement has run without an error, where its checked part ends (`checked_until`) and which
//   kind of statement it is (statement_kinds.h), kept as the address of its handler.
//
// A kind is chosen only once its statement has run without error: its structure is then known
// to be valid and every name in it found, which is what the runner's trusted handlers rely on.
#include <cstdint>

#include "blocks.h"
#include "fast_path.h"
#include "literal.h"
#include "operators.h"

Variable* token_variable[TOKEN_ROOM];
const double* operand_value[TOKEN_ROOM];

uint8_t token_type[MAX_TOKENS];
int32_t primary_end[MAX_TOKENS];
ExpressionShape expression_shape[MAX_TOKENS];
uint8_t walk_step[MAX_TOKENS];
int32_t expression_end[MAX_TOKENS];
int32_t checked_until[MAX_TOKENS];
const void* statement_address[MAX_TOKENS];
int32_t comparison_at[MAX_TOKENS];
ExpressionShape term_shape[MAX_TOKENS];
uint8_t known_test[MAX_TOKENS];

static double literal_value[MAX_TOKENS];  // number tokens
// The variable stored by the assignment that ends just before this token, once it has run. A
// statement here is only ever reached straight after that assignment (every jump lands after a
// "{" or a "}", never after a ";"), so inside a loop the value stored is still in a register when
// this statement starts: its kind is then an "_AFTER" kind.
static const Variable* stored_before[MAX_TOKENS];
// run_loop's handlers by kind (see statement_handler_table).
static const void* const* handlers = nullptr;

#ifdef AZUVEL_KIND_COUNTS
uint8_t statement_kind[MAX_TOKENS];
#endif

// The choosers below count on the order of the lists: an "_AFTER" kind or test right after its
// plain one, the kinds by operator in the order "+" "-" "*" "/" and "<" ">" "==" "!=".
static_assert(KIND_COPY_AFTER == KIND_COPY + 1 && KIND_OPERAND_IF_AFTER == KIND_OPERAND_IF + 1);
static_assert(KIND_ADD_AFTER == KIND_ADD + 1 && KIND_SUBTRACT_AFTER == KIND_SUBTRACT + 1 &&
              KIND_MULTIPLY_AFTER == KIND_MULTIPLY + 1 && KIND_DIVIDE_AFTER == KIND_DIVIDE + 1);
static_assert(KIND_LESS_IF_AFTER == KIND_LESS_IF + 1 &&
              KIND_GREATER_IF_AFTER == KIND_GREATER_IF + 1 && KIND_EQUAL_IF_AFTER == KIND_EQUAL_IF + 1 &&
              KIND_NOT_EQUAL_IF_AFTER == KIND_NOT_EQUAL_IF + 1);
static_assert(KIND_NOT_EQUAL_COMPARISON_IF == KIND_LESS_COMPARISON_IF + 3 &&
              KIND_NOT_EQUAL_GROUPED_COMPARISON_IF == KIND_LESS_GROUPED_COMPARISON_IF + 3 &&
              KIND_NOT_EQUAL_LONG_COMPARISON_IF == KIND_LESS_LONG_COMPARISON_IF + 3);
static_assert(KIND_SUBTRACT_ADD == KIND_ADD_ADD + 4 && KIND_MULTIPLY_SUBTRACT == KIND_ADD_ADD + 9 &&
              KIND_DIVIDE_DIVIDE == KIND_ADD_ADD + 15);
static_assert(TEST_LESS_AFTER == TEST_LESS + 1 && TEST_GREATER_AFTER == TEST_GREATER + 1 &&
              TEST_EQUAL_AFTER == TEST_EQUAL + 1 && TEST_NOT_EQUAL_AFTER == TEST_NOT_EQUAL + 1);
static_assert(TEST_NOT_EQUAL_COMPARISON == TEST_LESS_COMPARISON + 3);
static_assert(TOKEN_MINUS == TOKEN_PLUS + 1 && TOKEN_STAR == TOKEN_PLUS + 2 &&
              TOKEN_SLASH == TOKEN_PLUS + 3);

// Makes `kind` the kind of the statement starting at `token`.
static void set_kind(int32_t token, StatementKind kind) {
    statement_address[token] = handlers[kind];
#ifdef AZUVEL_KIND_COUNTS
    statement_kind[token] = kind;
#endif
}

StatementKind kind_at(int32_t token) {
    if (handlers == nullptr) return KIND_OTHER;  // no script has started
    for (int kind = 0; kind < KIND_COUNT; kind++) {
        if (statement_address[token] == handlers[kind]) return StatementKind(kind);
    }
    return KIND_OTHER;
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

void derive_facts() {
    if (handlers == nullptr) handlers = statement_handler_table();
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
        set_kind(i, token.type == TOKEN_RBRACE ? KIND_BLOCK_END : KIND_OTHER);
        if (token.type == TOKEN_NUMBER) {
            literal_value[i] = convert_literal(token.value, token_length[i]);
            operand_value[i] = &literal_value[i];
        }
        if (token.type == TOKEN_NUMBER || token.type == TOKEN_IDENTIFIER) primary_end[i] = i + 1;
    }
    // A group is a primary that ends after its ")".
    int32_t open_parens[MAX_TOKENS];
    pair_parentheses(tokens, token_count, open_parens,
                     [](int32_t open, int32_t close) { primary_end[open] = close + 1; });
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
        case TOKEN_PLUS: return StatementKind(KIND_ADD + after);
        case TOKEN_MINUS: return StatementKind(KIND_SUBTRACT + after);
        case TOKEN_STAR: return StatementKind(KIND_MULTIPLY + after);
        case TOKEN_SLASH: return StatementKind(KIND_DIVIDE + after);
        default: return KIND_PAIR_ASSIGNMENT;
    }
}

// The kind of "if (a op b) {" by its operator, likewise.
static StatementKind pair_if_kind(uint8_t op, bool after) {
    switch (op) {
        case TOKEN_LT: return StatementKind(KIND_LESS_IF + after);
        case TOKEN_GT: return StatementKind(KIND_GREATER_IF + after);
        case TOKEN_EQ: return StatementKind(KIND_EQUAL_IF + after);
        case TOKEN_NEQ: return StatementKind(KIND_NOT_EQUAL_IF + after);
        default: return KIND_PAIR_IF;
    }
}

// The kind of "x = a op b op c;" by its two operators.
static StatementKind triple_assignment_kind(uint8_t first, uint8_t second) {
    auto arithmetic = [](uint8_t op) { return op >= TOKEN_PLUS && op <= TOKEN_SLASH; };
    if (!arithmetic(first) || !arithmetic(second)) return KIND_TRIPLE_ASSIGNMENT;
    return StatementKind(KIND_ADD_ADD + 4 * (first - TOKEN_PLUS) + (second - TOKEN_PLUS));
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

// What the test depends on is learnt before the loop first starts, but for the body's last
// statement, which is learnt by its first run inside the loop, where the runner chooses again.
uint8_t choose_loop_test(intptr_t condition, intptr_t body_end) {
    LoopTest test = loop_test(static_cast<int32_t>(condition), static_cast<int32_t>(body_end));
    known_test[condition] = static_cast<uint8_t>(test + 1);
    return static_cast<uint8_t>(test + 1);
}

void learn_assignment(int32_t name_token, int32_t end) {
    checked_until[name_token] = end;
    stored_before[end] = token_variable[name_token];
    int32_t start = name_token + 2;
    bool after = reads_last_store(name_token, start);
    StatementKind kind = KIND_GROUPED_ASSIGNMENT;
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: kind = StatementKind(KIND_COPY + after); break;
        case SHAPE_PAIR: kind = pair_assignment_kind(token_type[start + 1], after); break;
        case SHAPE_TRIPLE:
            kind = triple_assignment_kind(token_type[start + 1], token_type[start + 3]);
            break;
        case SHAPE_LONG: kind = KIND_LONG_ASSIGNMENT; break;
        default: break;
    }
    set_kind(name_token, kind);
}

void learn_if(int32_t if_token, int32_t block_start) {
    checked_until[if_token] = block_start;
    int32_t start = if_token + 2;
    bool after = reads_last_store(if_token, start);
    StatementKind kind = KIND_TRIPLE_IF;
    switch (expression_shape[start]) {
        case SHAPE_OPERAND: kind = StatementKind(KIND_OPERAND_IF + after); break;
        case SHAPE_PAIR: kind = pair_if_kind(token_type[start + 1], after); break;
        case SHAPE_TRIPLE: break;  // tested directly by trusted_condition
        default:
            if (int32_t comparison = comparison_at[start]) {
                bool one_right = expression_shape[comparison + 1] == SHAPE_OPERAND;
                StatementKind first = KIND_LESS_COMPARISON_IF;
                if (one_right && term_shape[start] == SHAPE_GROUPED_PAIR) {
                    first = KIND_LESS_GROUPED_COMPARISON_IF;
                } else if (one_right && term_shape[start] == SHAPE_LONG) {
                    first = KIND_LESS_LONG_COMPARISON_IF;
                }
                kind = StatementKind(first + comparison_index(token_type[comparison]));
            }
            else if (expression_shape[start] == SHAPE_LONG) kind = KIND_LONG_IF;
            else kind = KIND_GROUPED_IF;
            break;
    }
    set_kind(if_token, kind);
}

void learn_while(int32_t while_token, int32_t body_start) {
    checked_until[while_token] = body_start;
    set_kind(while_token, KIND_WHILE);
}
