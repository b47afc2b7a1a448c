// The lexer: one pass over the script text into the flat token array.
#include "lexer.h"

#include <cstdint>
#include <cstring>

#include "error.h"
#include "messages.h"
#include "scan.h"

Token tokens[MAX_TOKENS];
int32_t token_count = 0;

char* str_dup(const char* s) {
    size_t length = std::strlen(s) + 1;
    char* copy = new char[length];
    std::memcpy(copy, s, length);
    return copy;
}

static char* copy_bytes(const char* start, size_t length) {
    char* copy = new char[length + 1];
    std::memcpy(copy, start, length);
    copy[length] = '\0';
    return copy;
}

void tokenize(const char* text) {
    token_count = 0;
    size_t pos = 0;  // texts may exceed 2 GiB
    int32_t line = 1;
    for (;;) {
        Scan scan = scan_token(text, pos, line);
        line = scan.line;
        if (scan.status == SCAN_END) break;
        if (scan.status == SCAN_UNKNOWN_CHARACTER) error(MESSAGE_UNKNOWN_CHARACTER, text[scan.start]);
        if (scan.status == SCAN_UNTERMINATED_STRING) error(MESSAGE_UNTERMINATED_STRING);
        // The last slot is kept for the end token, so a full array never grows past its bounds.
        if (token_count >= MAX_TOKENS - 1) error(MESSAGE_TOO_MANY_TOKENS);
        size_t start = value_start(scan);
        tokens[token_count++] =
            Token{scan.type, copy_bytes(text + start, value_end(scan) - start), line};
        pos = scan.end;
    }
    tokens[token_count++] = Token{TOKEN_EOF, str_dup(""), line};
}
