// The lexer: the whole script into the interpreter's flat token array, before anything runs.
#pragma once

#include <cstddef>
#include <cstdint>

#include "token.h"

extern Token tokens[TOKEN_ROOM];
extern int32_t token_count;
// Where lexing stopped at a lexical error: the byte offset in the text given to tokenize;
// SIZE_MAX while there was none.
extern size_t lex_error_offset;

// Fills tokens/token_count from a NUL-terminated text; a lexical error is fatal.
void tokenize(const char* text);
// Lexes an expression into the tokens after the script's end token, at most
// MAX_EXPRESSION_TOKENS with its own end token; returns how many. `made` is the index past the
// last token made so far, also when a lexical error stops it.
int32_t tokenize_expression(const char* text, int32_t* made);

// A new heap copy of a NUL-terminated string.
char* str_dup(const char* s);
