// Standard output: one buffer, written out when full, when a terminal should see a line, and
// at exit; and the formatting of numbers for print.
#include "output.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "error.h"
#include "messages.h"

char output_buffer[OUTPUT_BUFFER_SIZE];
size_t output_length = 0;
bool output_interactive = false;
OutputSink output_sink = nullptr;
void* output_sink_context = nullptr;

void start_output() {
    output_interactive = output_sink == nullptr && isatty(fileno(stdout));
}

// Writes bytes where output goes; false when the stream refused them.
static bool write_through(const char* data, size_t length) {
    if (output_sink != nullptr) {
        output_sink(output_sink_context, data, length);
        return true;
    }
    return std::fwrite(data, 1, length, stdout) == length;
}

bool flush_output() {
    size_t length = output_length;
    output_length = 0;  // whatever happens, a failed write is not tried again
    if (length > 0 && !write_through(output_buffer, length)) return false;
    if (output_sink != nullptr) return true;
    return std::fflush(stdout) == 0 && !std::ferror(stdout);
}

void write_output_slow(const char* data, size_t length) {
    if (!flush_output()) error(MESSAGE_CANNOT_WRITE_OUTPUT);
    if (length > OUTPUT_BUFFER_SIZE) {
        if (!write_through(data, length)) error(MESSAGE_CANNOT_WRITE_OUTPUT);
        return;
    }
    std::memcpy(output_buffer, data, length);
    output_length = length;
}

// Writes 0 <= value < 1000000 in decimal, two digits at a time; returns the length.
static size_t format_small_integer(uint32_t value, char* buffer) {
    static const char pairs[] =
        "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
        "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
        "8081828384858687888990919293949596979899";
    size_t length = value < 10 ? 1 : value < 100 ? 2 : value < 1000 ? 3 : value < 10000 ? 4
                  : value < 100000 ? 5 : 6;
    char* end = buffer + length;
    while (value >= 100) {
        end -= 2;
        std::memcpy(end, pairs + 2 * (value % 100), 2);
        value /= 100;
    }
    if (value >= 10) {
        std::memcpy(end - 2, pairs + 2 * value, 2);
    } else {
        end[-1] = static_cast<char>('0' + value);
    }
    return length;
}

size_t format_number(double value, char* buffer) {
    if (std::isnan(value)) {
        std::memcpy(buffer, "nan", 3);  // never "-nan", whatever the sign bit
        return 3;
    }
    // Integers of up to six digits print as they are; -0 goes to the general path for its sign.
    if (value > -1e6 && value < 1e6) {
        int32_t integer = static_cast<int32_t>(value);
        if (integer == value && (integer != 0 || !std::signbit(value))) {
            if (integer >= 0) return format_small_integer(static_cast<uint32_t>(integer), buffer);
            buffer[0] = '-';
            return 1 + format_small_integer(static_cast<uint32_t>(-integer), buffer + 1);
        }
    }
#ifdef __EMSCRIPTEN__
    // Its C++ library has no floating-point to_chars; its C library's "%.6g" is exact too.
    return static_cast<size_t>(std::snprintf(buffer, 32, "%.6g", value));
#else
    return std::to_chars(buffer, buffer + 32, value, std::chars_format::general, 6).ptr - buffer;
#endif
}

size_t format_exact(double value, char* buffer) {
    if (std::isnan(value)) return format_number(value, buffer);
    // A whole number that a double holds exactly shows all its digits: 19660800, not 1.96608e+07.
    if (value == std::trunc(value) && std::fabs(value) < 0x1p53) {
        return static_cast<size_t>(std::snprintf(buffer, 32, "%.0f", value));
    }
    // "%.*g" from the C library, the same on every platform we build for, at the first
    // precision that reads back: shortest digits, an exponent only where "%g" would use one.
    int length = 0;
    for (int precision = 1; precision <= 17; precision++) {
        length = std::snprintf(buffer, 32, "%.*g", precision, value);
        if (std::strtod(buffer, nullptr) == value) break;
    }
    return static_cast<size_t>(length);
}
