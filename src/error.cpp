// The product's fatal reporter: the run ends at the first error.
#include "error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "output.h"

void error(const char* format, ...) {
    // Whatever was printed before the error is written first; a failure there cannot
    // change the outcome, which is already status 1.
    flush_output();
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    // One write for the whole line, so it cannot interleave with other output.
    size_t size = sizeof "[Error] " - 1 + (length > 0 ? length : 0) + 1;
    char* line = static_cast<char*>(std::malloc(size + 1));
    if (line != nullptr) {
        std::memcpy(line, "[Error] ", 8);
        std::vsnprintf(line + 8, size - 8, format, again);
        line[size - 1] = '\n';
        std::fwrite(line, 1, size, stderr);
    }
    va_end(again);
    std::exit(1);
}
