// The interpreter: the token cursor, the variable store, and one statement at a time, straight
// from the token array.
#pragma once

#include <cstdint>
#include <cstring>

#include "lexer.h"

struct Variable {
    const char* name;
    double number;       // 0.0 for an entry made from a string literal
    const char* string;  // null for a numeric entry
    int32_t is_string;
};

// The entry a name means among store[0, count): the earliest with that name, or -1. A name
// declared again keeps meaning its first entry; later ones are never read.
inline int32_t first_entry(const Variable* store, int32_t count, const char* name) {
    for (int32_t i = 0; i < count; i++) {
        if (std::strcmp(store[i].name, name) == 0) return i;
    }
    return -1;
}

extern int32_t current_token;
extern Variable vars[MAX_VARS];
extern int32_t var_count;

// Cursor operations. After a successful match or consume the token taken is just before the
// cursor.
Token peek();
int match(TokenType kind);
void consume(TokenType kind, const char* message);  // a mismatch is fatal with the message

// Resets the cursor and the store and derives the per-token tables from a fresh token array.
void start_interpreter();

// Readies the tokens [first, end) after the script's end token as an expression of their own:
// its tables, and the cursor on its first token. The script's tokens and tables stay.
void start_expression(int32_t first, int32_t end);

// Executes one statement at the cursor and leaves the cursor just after it.
void execute_statement();

// Parses and computes one expression at the cursor.
double evaluate();
