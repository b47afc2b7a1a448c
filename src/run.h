// The run pipeline: a script file read, its header directive applied, its text lexed, and its
// statements run one after another until the end token.
#pragma once

#include <cstdint>

// 1: every print statement ends with a newline; 0: none does. Set by the header directive.
extern int32_t print_newline;

void run_file(const char* path);
void run(const char* text);
void parse_config(const char* text);
char* strip_config(const char* text);
