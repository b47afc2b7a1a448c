#include "test_support.h"

#include <cstdarg>
#include <cstdio>

#include "error.h"

void error(const char* format, ...) {
    char message[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    throw ScriptError(message);
}

// Token texts, variable names and strings are kept until exit by design. The tests run the
// lexer and the interpreter again and again in one process, so earlier texts become
// unreachable; the sanitizer build is told that this is not a leak.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:tokenize\nleak:execute_var\nleak:strip_config\n";
}
