// The lexer: one pass over the script text into the flat token array.
#include "lexer.h"

#include <cstdint>
#include <cstring>

#include "error.h"
#include "messages.h"
#include "scan.h"

Token tokens[TOKEN_ROOM];
int32_t token_count = 0;
size_t lex_error_offset = SIZE_MAX;  // none yet

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

// Stops the run at a lexical error, noting where for whoever shows it.
[[noreturn, gnu::cold]] static void stop_lexing(const char* text, const Scan& scan) {
    lex_error_offset = scan.start;
    if (scan.status == SCAN_UNKNOWN_CHARACTER) error(MESSAGE_UNKNOWN_CHARACTER, text[scan.start]);
    if (scan.status == SCAN_UNTERMINATED_STRING) error(MESSAGE_UNTERMINATED_STRING);
    error(MESSAGE_TOO_MANY_TOKENS);
}

// Lexes a text into tokens[*count...], at most `room` tokens with the end token, counting each
// as it is made, so that a stop leaves the count of the tokens that hold a copy.
static void lex_into(const char* text, int32_t* count, int32_t room) {
    int32_t last = *count + room - 1;  // the last slot is kept for the end token
    size_t pos = 0;                    // texts may exceed 2 GiB
    int32_t line = 1;
    for (;;) {
        Scan scan = scan_token(text, pos, line);
        line = scan.line;
        if (scan.status == SCAN_END) break;
        if (scan.status != SCAN_TOKEN || *count >= last) stop_lexing(text, scan);
        size_t start = value_start(scan);
        tokens[(*count)++] =
            Token{scan.type, copy_bytes(text + start, value_end(scan) - start), line};
        pos = scan.end;
    }
    tokens[(*count)++] = Token{TOKEN_EOF, str_dup(""), line};
}

void tokenize(const char* text) {
    token_count = 0;
    lex_into(text, &token_count, MAX_TOKENS);
}

int32_t tokenize_expression(const char* text, int32_t* made) {
    *made = token_count;
    lex_into(text, made, MAX_EXPRESSION_TOKENS);
    return *made - token_count;
}
