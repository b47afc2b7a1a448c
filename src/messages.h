// Every message a run can stop with: the interpreter raises them, the checker reports the same
// words, and the documentation is held to this list (azuvel-check --list-messages).
#pragma once

#include <iterator>

// Lexical errors: the whole script is scanned before anything runs.
#define MESSAGE_UNKNOWN_CHARACTER "Unknown character: %c"
#define MESSAGE_UNTERMINATED_STRING "Unterminated string"
#define MESSAGE_TOO_MANY_TOKENS "Too many tokens"
// Syntax, met when a statement runs.
#define MESSAGE_EXPECTED_LPAREN_AFTER_PRINT "Expected '(' after print"
#define MESSAGE_EXPECTED_COMMA "Expected ','"
#define MESSAGE_UNEXPECTED_TOKEN_IN_PRINT "Unexpected token in print"
#define MESSAGE_EXPECTED_SEMICOLON "Expected ';'"
#define MESSAGE_EXPECTED_VARIABLE_NAME "Expected variable name"
#define MESSAGE_EXPECTED_ASSIGN "Expected '='"
#define MESSAGE_UNEXPECTED_IDENTIFIER "Unexpected identifier"
#define MESSAGE_EXPECTED_LPAREN "Expected '('"
#define MESSAGE_EXPECTED_RPAREN "Expected ')'"
#define MESSAGE_EXPECTED_LBRACE "Expected '{'"
#define MESSAGE_EXPECTED_RBRACE "Expected '}'"
#define MESSAGE_EXPECTED_EXPRESSION "Expected expression"
// Meaning, met when a statement runs.
#define MESSAGE_STRING_IN_EXPRESSION "Cannot use string in expression"
#define MESSAGE_UNDEFINED_VARIABLE "Undefined variable: %s"
#define MESSAGE_DIVISION_BY_ZERO "Division by zero"
#define MESSAGE_TOO_MANY_VARIABLES "Too many variables"
// The machine around the run.
#define MESSAGE_CANNOT_OPEN_FILE "Cannot open file: %s"
#define MESSAGE_FILE_TOO_LARGE "File too large: %s"
#define MESSAGE_CANNOT_WRITE_OUTPUT "Cannot write to standard output"

// The list of all of the above; "%s" and "%c" stand for the name or byte the message ends with.
inline constexpr const char* run_messages[] = {
    MESSAGE_UNKNOWN_CHARACTER,      MESSAGE_UNTERMINATED_STRING,
    MESSAGE_TOO_MANY_TOKENS,        MESSAGE_EXPECTED_LPAREN_AFTER_PRINT,
    MESSAGE_EXPECTED_COMMA,         MESSAGE_UNEXPECTED_TOKEN_IN_PRINT,
    MESSAGE_EXPECTED_SEMICOLON,     MESSAGE_EXPECTED_VARIABLE_NAME,
    MESSAGE_EXPECTED_ASSIGN,        MESSAGE_UNEXPECTED_IDENTIFIER,
    MESSAGE_EXPECTED_LPAREN,        MESSAGE_EXPECTED_RPAREN,
    MESSAGE_EXPECTED_LBRACE,        MESSAGE_EXPECTED_RBRACE,
    MESSAGE_EXPECTED_EXPRESSION,    MESSAGE_STRING_IN_EXPRESSION,
    MESSAGE_UNDEFINED_VARIABLE,     MESSAGE_DIVISION_BY_ZERO,
    MESSAGE_TOO_MANY_VARIABLES,     MESSAGE_CANNOT_OPEN_FILE,
    MESSAGE_FILE_TOO_LARGE,         MESSAGE_CANNOT_WRITE_OUTPUT,
};
inline constexpr int run_message_count = static_cast<int>(std::size(run_messages));
