// The front end: the run pipeline, the header directive and the fatal reporter.
#pragma once

#include <cstdint>

// 1: every print statement ends with a newline; 0: none does. Set by the header directive.
extern int32_t print_newline;

// Writes "[Error] " and the message as one line to stderr, then exits with status 1.
[[noreturn, gnu::format(printf, 1, 2)]] void error(const char* format, ...);

void run_file(const char* path);
void run(const char* text);
void parse_config(const char* text);
char* strip_config(const char* text);
