#include "test_support.h"

#include <cstdarg>
#include <cstdio>

#include "main.h"

int32_t print_newline = 1;

void error(const char* format, ...) {
    char message[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    throw ScriptError(message);
}
