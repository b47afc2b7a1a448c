// The fatal reporter: the run ends at the first error, with the process or, in an embedding,
// by handing the message back to the caller.
#include "error.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "output.h"

void (*stop_handler)(const char* message, size_t length) = nullptr;
bool error_missing = false;

void error(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    // The whole line in one buffer, so it is written at once and cannot interleave with other
    // output; an embedding takes the message between "[Error] " and the newline.
    size_t size = sizeof "[Error] " - 1 + (length > 0 ? length : 0) + 1;
    char* line = static_cast<char*>(std::malloc(size + 1));
    if (line != nullptr) {
        std::memcpy(line, "[Error] ", 8);
        std::vsnprintf(line + 8, size - 8, format, again);
        line[size - 1] = '\n';
    }
    va_end(again);
    if (stop_handler != nullptr) {
        // The handler copies the message and unwinds past this frame, which frees this copy.
        std::string message = line != nullptr ? std::string(line + 8, size - 9) : std::string();
        std::free(line);
        stop_handler(message.c_str(), message.size());
        std::abort();  // a handler that returned: nothing sound is left to do
    }
    // Whatever was printed before the error is written first; a failure there cannot change the
    // outcome, which is already status 1.
    flush_output();
    if (line != nullptr) std::fwrite(line, 1, size, stderr);
    std::exit(1);
}
