// The lexer: one pass over the script text into the flat token array.
#include "lexer.h"

#include <cstdint>
#include <cstring>
#include <iterator>

#include "main.h"

Token tokens[MAX_TOKENS];
int32_t token_count = 0;

// Parallel to keyword_types; the null entry ends the scan.
static const char* const keywords[] = {"print", "var", "if", "while", "function", "return", nullptr};
static const TokenType keyword_types[] = {TOKEN_PRINT, TOKEN_VAR,      TOKEN_IF,
                                          TOKEN_WHILE, TOKEN_FUNCTION, TOKEN_RETURN};
static_assert(std::size(keywords) == std::size(keyword_types) + 1);

static bool is_word(char c) { return is_alpha(c) || is_digit(c) || c == '_'; }

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

// The last slot is kept for the end token, so a full array never grows past its bounds.
static void add_token(TokenType type, char* value, int32_t line) {
    if (token_count >= MAX_TOKENS - 1) {
        delete[] value;  // it would be reachable from nowhere
        error("Too many tokens");
    }
    tokens[token_count++] = Token{type, value, line};
}

static TokenType keyword_type(const char* word) {
    for (int i = 0; keywords[i] != nullptr; i++) {
        if (std::strcmp(word, keywords[i]) == 0) return keyword_types[i];
    }
    return TOKEN_IDENTIFIER;
}

// Operator bytes and their one- and two-byte kinds; returns the bytes used, or 0 for none.
static size_t scan_operator(const char* p, TokenType* type) {
    switch (p[0]) {
        case '(': *type = TOKEN_LPAREN; return 1;
        case ')': *type = TOKEN_RPAREN; return 1;
        case '{': *type = TOKEN_LBRACE; return 1;
        case '}': *type = TOKEN_RBRACE; return 1;
        case ',': *type = TOKEN_COMMA; return 1;
        case ';': *type = TOKEN_SEMICOLON; return 1;
        case '+': *type = TOKEN_PLUS; return 1;
        case '-': *type = TOKEN_MINUS; return 1;
        case '*': *type = TOKEN_STAR; return 1;
        case '/': *type = TOKEN_SLASH; return 1;
        case '>': *type = TOKEN_GT; return 1;
        case '<': *type = TOKEN_LT; return 1;
        case '=':
            if (p[1] == '=') { *type = TOKEN_EQ; return 2; }
            *type = TOKEN_ASSIGN;
            return 1;
        case '!':
            if (p[1] == '=') { *type = TOKEN_NEQ; return 2; }
            *type = TOKEN_NOT;
            return 1;
        case '&':
            if (p[1] == '&') { *type = TOKEN_AND; return 2; }
            return 0;
        case '|':
            if (p[1] == '|') { *type = TOKEN_OR; return 2; }
            return 0;
        default: return 0;
    }
}

void tokenize(const char* text) {
    token_count = 0;
    size_t pos = 0;  // texts may exceed 2 GiB
    int32_t line = 1;
    while (text[pos] != '\0') {
        char c = text[pos];
        if (c == '\n') {
            if (line < INT32_MAX) line++;
            pos++;
        } else if (is_space(c)) {
            pos++;
        } else if (c == '#') {
            // The newline is left for the loop, so the line count stays right.
            while (text[pos] != '\0' && text[pos] != '\n') pos++;
        } else if (c == '"') {
            size_t start = ++pos;
            while (text[pos] != '\0' && text[pos] != '"') {
                // A backslash escapes only a double quote right after it.
                pos += text[pos] == '\\' && text[pos + 1] == '"' ? 2 : 1;
            }
            if (text[pos] == '\0') error("Unterminated string");
            add_token(TOKEN_STRING, copy_bytes(text + start, pos - start), line);
            pos++;
        } else if (is_digit(c) || (c == '.' && is_digit(text[pos + 1]))) {
            size_t start = pos;
            while (is_digit(text[pos]) || text[pos] == '.') pos++;
            add_token(TOKEN_NUMBER, copy_bytes(text + start, pos - start), line);
        } else if (is_alpha(c) || c == '_') {
            size_t start = pos;
            while (is_word(text[pos])) pos++;
            char* word = copy_bytes(text + start, pos - start);
            add_token(keyword_type(word), word, line);
        } else {
            TokenType type = TOKEN_EOF;
            size_t length = scan_operator(text + pos, &type);
            if (length > 0) {
                add_token(type, copy_bytes(text + pos, length), line);
                pos += length;
            } else if (c == '&' || c == '|') {
                pos++;  // a single '&' or '|' is skipped without complaint
            } else {
                error("Unknown character: %c", c);
            }
        }
    }
    tokens[token_count++] = Token{TOKEN_EOF, str_dup(""), line};
}
