// The run pipeline: a script file read, its header directive applied, its text lexed, and its
// statements run one after another until the end token.
#pragma once

#include <cstdint>

// 1: every print statement ends with a newline; 0: none does. Set by the header directive.
extern int32_t print_newline;

void run_file(const char* path);
void run(const char* text);
// The text without the directive, which the tokens were lexed from; freed after the last
// statement.
extern char* cleaned_text;

// The two halves of run: the directive applied, the cleaned copy lexed and the interpreter
// started; then the statements from the cursor to the end token.
void load_script(const char* text);
void run_statements();
void parse_config(const char* text);
char* strip_config(const char* text);
