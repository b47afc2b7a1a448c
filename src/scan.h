// The scanner: one token at a time, shared by the interpreter's lexer and the tools so that both
// always see the same tokens; and the keyword table. Pure functions of the text: no global
// state, no errors raised.
#pragma once

#include <cstddef>
#include <cstdint>

#include "token.h"

enum ScanStatus : int32_t {
    SCAN_TOKEN,                // a token of kind `type` in [start, end)
    SCAN_END,                  // the NUL that ends the text, at `start`
    SCAN_UNKNOWN_CHARACTER,    // the byte at `start` fits no rule
    SCAN_UNTERMINATED_STRING,  // the quote at `start` is never closed; `end` is the NUL
};

struct Scan {
    ScanStatus status;
    TokenType type;
    size_t start, end;  // the bytes as written; a string's include both quotes
    int32_t line;       // the line counter at the token: newlines inside strings do not count
};

// Skips whitespace, comments and a lone '&' or '|' from `pos`, then scans one token. `line` is
// the counter at `pos`; the next call starts at `end` with the returned `line`.
Scan scan_token(const char* text, size_t pos, int32_t line);

// A token's value: a string's contents without the quotes, any other token's bytes.
inline size_t value_start(const Scan& scan) {
    return scan.type == TOKEN_STRING ? scan.start + 1 : scan.start;
}
inline size_t value_end(const Scan& scan) {
    return scan.type == TOKEN_STRING ? scan.end - 1 : scan.end;
}

// Every keyword, ending with a null entry: the list editors' grammars are held to.
const char* const* keyword_names();
