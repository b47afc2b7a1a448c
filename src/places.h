// Where a mistake about something missing is shown, for the run's stop and the checker alike.
#pragma once

#include "token.h"

// Whether a missing operand or name, found at a token of kind `at` after one of kind `before`,
// is shown just after the token before rather than at `at`. A token that ends what came before
// (";", ")", ",", the end, or a "}" that closes a statement with something still open) leaves
// the gap after its predecessor; any other token stands where the missing one belongs.
inline bool missing_goes_after(TokenType at, TokenType before) {
    if (at == TOKEN_RBRACE) {
        // A "}" where a statement starts closes nothing, and is the mistake itself.
        return before != TOKEN_SEMICOLON && before != TOKEN_LBRACE && before != TOKEN_RBRACE;
    }
    return at == TOKEN_SEMICOLON || at == TOKEN_RPAREN || at == TOKEN_COMMA || at == TOKEN_EOF;
}
