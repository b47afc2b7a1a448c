// The interpreter: the token cursor, the variable store, statements and expressions.
#pragma once

#include <cstddef>
#include <cstdint>

#include "lexer.h"

struct Variable {
    const char* name;
    double number;       // 0.0 for an entry made from a string literal
    const char* string;  // null for a numeric entry
    int32_t is_string;
};

inline constexpr int MAX_VARS = 100;

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

// Executes one statement at the cursor and leaves the cursor just after it.
void execute_statement();

// Parses and computes one expression at the cursor.
double evaluate();

// Writes a number as "%g" does, except that a not-a-number is always "nan"; returns the length.
// The buffer must hold at least 32 bytes.
size_t format_number(double value, char* buffer);

// Buffered standard output. A failed write is fatal ("Cannot write to standard output").
void write_output(const char* data, size_t length);
// Writes out what is buffered; returns false when the stream refused it.
bool flush_output();
