// Tokens: the kinds every statement and expression tests against, the token record, and the
// byte classes the scanner reads by. Part of the language's pure rules.
#pragma once

#include <cstdint>

enum TokenType : int32_t {
    TOKEN_EOF = 0,
    TOKEN_IDENTIFIER = 1,
    TOKEN_STRING = 2,
    TOKEN_NUMBER = 3,
    TOKEN_PRINT = 4,
    TOKEN_VAR = 5,
    TOKEN_IF = 6,
    TOKEN_WHILE = 7,
    TOKEN_FUNCTION = 8,
    TOKEN_RETURN = 9,
    TOKEN_LPAREN = 10,
    TOKEN_RPAREN = 11,
    TOKEN_LBRACE = 12,
    TOKEN_RBRACE = 13,
    TOKEN_COMMA = 14,
    TOKEN_SEMICOLON = 15,
    TOKEN_ASSIGN = 16,
    TOKEN_PLUS = 17,
    TOKEN_MINUS = 18,
    TOKEN_STAR = 19,
    TOKEN_SLASH = 20,
    TOKEN_EQ = 21,
    TOKEN_NEQ = 22,
    TOKEN_GT = 23,
    TOKEN_LT = 24,
    TOKEN_AND = 25,
    TOKEN_OR = 26,
    TOKEN_NOT = 27,
};

struct Token {
    TokenType type;
    const char* value;  // own heap copy, kept until exit
    int32_t line;
};

inline constexpr int MAX_TOKENS = 1000;  // the end token included
inline constexpr int MAX_VARS = 100;     // entries of the variable store
// An expression computed beside a loaded script (embed.h) is lexed after the script's end token,
// so the per-token tables of the checked path leave room for one.
inline constexpr int MAX_EXPRESSION_TOKENS = 256;  // its end token included
inline constexpr int TOKEN_ROOM = MAX_TOKENS + MAX_EXPRESSION_TOKENS;

// Character classes of the "C" locale on the byte value: bytes >= 0x80 are none of them.
inline bool is_digit(char c) { return c >= '0' && c <= '9'; }
inline bool is_alpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
inline bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
