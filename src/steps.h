// The fuzz build stops a script after a number of statements and loop tests, so that an endless
// loop cannot stall the fuzzer; the product runs a script for as long as it takes.
#pragma once

#include <cstdint>

#include "error.h"

#ifdef AZUVEL_FUZZ
inline int32_t steps_left = 0;
inline void reset_steps() { steps_left = 100000; }
inline void count_step() {
    if (--steps_left < 0) error("Step limit reached");
}
#else
inline void reset_steps() {}
inline void count_step() {}
#endif
