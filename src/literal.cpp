// Number literals, read the same way by the interpreter and the tools. The WebAssembly build
// gets its floating-point from_chars from web/compat.
#include "literal.h"

#include <charconv>
#include <cmath>

#include "token.h"

double convert_literal(const char* text, size_t length) {
    double value = 0.0;
    auto [end, status] = std::from_chars(text, text + length, value);
    if (status == std::errc::result_out_of_range) {
        // Too large for a double, or too small: whichever the integer part says.
        const char* p = text;
        while (p < end && *p == '0') p++;
        value = (p < end && is_digit(*p)) ? HUGE_VAL : 0.0;
    }
    return value;
}
