// One token at a time: the scanning that tokenize and the tools share, so that they always see
// the same tokens.
#include "scan.h"

#include <cstring>
#include <iterator>

// Parallel to keyword_types; the null entry ends the scan.
static const char* const keywords[] = {"print",    "var",    "if",   "while",
                                       "function", "return", nullptr};
static const TokenType keyword_types[] = {TOKEN_PRINT, TOKEN_VAR,      TOKEN_IF,
                                          TOKEN_WHILE, TOKEN_FUNCTION, TOKEN_RETURN};
static_assert(std::size(keywords) == std::size(keyword_types) + 1);

static bool is_word(char c) {
    return is_alpha(c) || is_digit(c) || c == '_';
}

// The keyword's kind, or TOKEN_IDENTIFIER for any other word.
static TokenType keyword_type(const char* word, size_t length) {
    for (int i = 0; keywords[i] != nullptr; i++) {
        if (std::strlen(keywords[i]) == length && std::memcmp(word, keywords[i], length) == 0) {
            return keyword_types[i];
        }
    }
    return TOKEN_IDENTIFIER;
}

const char* const* keyword_names() {
    return keywords;
}

// Operator bytes and their one- and two-byte kinds; returns the bytes used, or 0 for none.
static size_t scan_operator(const char* p, TokenType* type) {
    switch (p[0]) {
        case '(':
            *type = TOKEN_LPAREN;
            return 1;
        case ')':
            *type = TOKEN_RPAREN;
            return 1;
        case '{':
            *type = TOKEN_LBRACE;
            return 1;
        case '}':
            *type = TOKEN_RBRACE;
            return 1;
        case ',':
            *type = TOKEN_COMMA;
            return 1;
        case ';':
            *type = TOKEN_SEMICOLON;
            return 1;
        case '+':
            *type = TOKEN_PLUS;
            return 1;
        case '-':
            *type = TOKEN_MINUS;
            return 1;
        case '*':
            *type = TOKEN_STAR;
            return 1;
        case '/':
            *type = TOKEN_SLASH;
            return 1;
        case '>':
            *type = TOKEN_GT;
            return 1;
        case '<':
            *type = TOKEN_LT;
            return 1;
        case '=':
            if (p[1] == '=') {
                *type = TOKEN_EQ;
                return 2;
            }
            *type = TOKEN_ASSIGN;
            return 1;
        case '!':
            if (p[1] == '=') {
                *type = TOKEN_NEQ;
                return 2;
            }
            *type = TOKEN_NOT;
            return 1;
        case '&':
            if (p[1] == '&') {
                *type = TOKEN_AND;
                return 2;
            }
            return 0;
        case '|':
            if (p[1] == '|') {
                *type = TOKEN_OR;
                return 2;
            }
            return 0;
        default:
            return 0;
    }
}

Scan scan_token(const char* text, size_t pos, int32_t line) {
    for (;;) {
        char c = text[pos];
        if (c == '\0') return Scan{SCAN_END, TOKEN_EOF, pos, pos, line};
        if (c == '\n') {
            if (line < INT32_MAX) line++;
            pos++;
        } else if (is_space(c)) {
            pos++;
        } else if (c == '#') {
            // The newline is left for the loop, so the line count stays right.
            while (text[pos] != '\0' && text[pos] != '\n') pos++;
        } else if (c == '"') {
            size_t start = pos++;
            while (text[pos] != '\0' && text[pos] != '"') {
                // A backslash escapes only a double quote right after it.
                pos += text[pos] == '\\' && text[pos + 1] == '"' ? 2 : 1;
            }
            if (text[pos] == '\0')
                return Scan{SCAN_UNTERMINATED_STRING, TOKEN_STRING, start, pos, line};
            return Scan{SCAN_TOKEN, TOKEN_STRING, start, pos + 1, line};
        } else if (is_digit(c) || (c == '.' && is_digit(text[pos + 1]))) {
            size_t start = pos;
            while (is_digit(text[pos]) || text[pos] == '.') pos++;
            return Scan{SCAN_TOKEN, TOKEN_NUMBER, start, pos, line};
        } else if (is_alpha(c) || c == '_') {
            size_t start = pos;
            while (is_word(text[pos])) pos++;
            return Scan{SCAN_TOKEN, keyword_type(text + start, pos - start), start, pos, line};
        } else {
            TokenType type = TOKEN_EOF;
            size_t length = scan_operator(text + pos, &type);
            if (length > 0) return Scan{SCAN_TOKEN, type, pos, pos + length, line};
            if (c != '&' && c != '|')
                return Scan{SCAN_UNKNOWN_CHARACTER, TOKEN_EOF, pos, pos + 1, line};
            pos++;  // a single '&' or '|' is skipped without complaint
        }
    }
}
