// Help for the habits people bring from other languages: each help line that shows code, and
// each fix, is built from the tokens of the statement it is about, so that the code shown, put
// in place of what the diagnostic points at, runs and does what was meant. Each family of
// habits lives in its own file, named beside its functions below.
#pragma once

#include <cstdint>
#include <string>

#include "rules.h"

// habits_operators.cpp

// "&&", "||", "and", "or" at `at`: the operands from `level_start` on, joined by "*" or "+".
void help_logical(const Source& source, Diagnostic& diagnostic, int32_t level_start, int32_t at);

// "a & b" or "a | b": the lone byte, which the scanner skips, stands just before `at`.
void help_lone_logical(const Source& source, Diagnostic& diagnostic, int32_t level_start,
                       int32_t at, char byte);

// "!x" or "not x", the "!" or "not" at `at`.
void help_not(const Source& source, Diagnostic& diagnostic, int32_t at);

// "<=", ">=", "=<", "=>", "===", "!==": the two operator tokens at `op` and `op + 1`.
void help_comparison(const Source& source, Diagnostic& diagnostic, int32_t level_start, int32_t op);

// "a < b < c", the second comparison at `at`: both comparisons, multiplied.
void help_chained(const Source& source, Diagnostic& diagnostic, int32_t level_start, int32_t at);

// "**", the second "*" at `at`.
void help_power(const Source& source, Diagnostic& diagnostic, int32_t at);

// "-5": there is no unary minus.
void help_minus(const Source& source, Diagnostic& diagnostic, int32_t at);

// habits_literals.cpp

// A number written into a word: "1e5", "0x10", "9lives" (`at` is the word). False when the
// tokens are no such thing.
bool help_number(const Source& source, Diagnostic& diagnostic, int32_t at);

// "--", "//" and "/*" comments, and "//" as division, with a token at `at`; returns where the
// next statement starts when the rest is comment, or -1.
int32_t help_comment(const Source& source, Diagnostic& diagnostic, int32_t statement_start,
                     int32_t at);

// habits_print.cpp

// A print item that is an expression ("print(x * 2)", "print("a: " + x)"): `item` is its first
// token, `at` the operator after it.
void help_print_item(const Source& source, Diagnostic& diagnostic, int32_t print, int32_t item,
                     int32_t at);

// "print x;": the items without parentheses.
void help_print_parentheses(const Source& source, Diagnostic& diagnostic, int32_t print);

// habits_headers.cpp

// "if (c) print(x);": the body in braces, when it is one statement on the header's line.
void help_braces(const Source& source, Diagnostic& diagnostic, int32_t keyword, int32_t at);

// "if x > 3:", "while x < 3 do", "if x > 3 then ... end": a condition without parentheses.
void help_header(const Source& source, Diagnostic& diagnostic, int32_t keyword);

// habits_statements.cpp

// A statement that starts with a word not followed by "=": "else", "for", "let", "break",
// "If", "console.log(...)", "x += 1", ... `loop_open` is the "{" of the innermost loop body
// holding it, or -1.
void help_statement_word(const Source& source, Diagnostic& diagnostic, int32_t name,
                         int32_t loop_open);

// habits_names.cpp

// "var 9lives = 1;" and "var print = 1;": what stands where the name should.
void help_variable_name(const Source& source, Diagnostic& diagnostic, int32_t at);

// An undefined name that is a word of another language ("True", "null", "and"): true when
// help was given.
bool help_foreign_word(const Source& source, Diagnostic& diagnostic, int32_t name);
