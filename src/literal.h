// Number literals: the value of the digits and dots a number token is written with.
#pragma once

#include <cstddef>

// The longest prefix that reads as a decimal number ("1.2.3" is 1.2, "5." is 5, ".5" is 0.5),
// rounded to the nearest double, whatever the locale; too large is infinity, too small 0 or a
// subnormal. `text` holds `length` bytes and a NUL after them.
double convert_literal(const char* text, size_t length);
