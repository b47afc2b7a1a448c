// Brace and parenthesis pairing, as a run pairs them. Braces: one stack over the whole token
// array; a "}" with nothing open stays unpaired, and a "{" that is never closed has no end.
// Parentheses: within a statement; a ";" or "{" leaves every "(" still open unpaired.
#pragma once

#include <cstdint>

#include "token.h"

// Sets block_end[i] for every "{" at i to the index of its matching "}", or -1; other entries are
// left as they are. `open` has room for `count` indices. Works on any array of records with a
// `type`: the interpreter's tokens and the tools' alike.
template <typename Tokens>
void pair_braces(const Tokens& tokens, int32_t count, int32_t* block_end, int32_t* open) {
    int32_t depth = 0;
    for (int32_t i = 0; i < count; i++) {
        if (tokens[i].type == TOKEN_LBRACE) {
            block_end[i] = -1;
            open[depth++] = i;
        } else if (tokens[i].type == TOKEN_RBRACE && depth > 0) {
            block_end[open[--depth]] = i;
        }
    }
}

// Calls pair(open, close) for every "(" at `open` and the ")" at `close` that closes it within its
// statement; a ")" with none open stays unpaired. `open_at` has room for `count` indices. Works
// on any array of records with a `type`, as pair_braces does.
template <typename Tokens, typename Pair>
void pair_parentheses(const Tokens& tokens, int32_t count, int32_t* open_at, Pair pair) {
    int32_t depth = 0;
    for (int32_t i = 0; i < count; i++) {
        TokenType type = tokens[i].type;
        if (type == TOKEN_LPAREN) {
            open_at[depth++] = i;
        } else if (type == TOKEN_RPAREN && depth > 0) {
            pair(open_at[--depth], i);
        } else if (type == TOKEN_SEMICOLON || type == TOKEN_LBRACE) {
            depth = 0;
        }
    }
}
