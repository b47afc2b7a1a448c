// The lexer: the whole script into the interpreter's flat token array, before anything runs.
#pragma once

#include <cstdint>

#include "token.h"

extern Token tokens[MAX_TOKENS];
extern int32_t token_count;

// Fills tokens/token_count from a NUL-terminated text; a lexical error is fatal.
void tokenize(const char* text);

// A new heap copy of a NUL-terminated string.
char* str_dup(const char* s);
