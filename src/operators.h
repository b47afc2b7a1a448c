// The binary operators: their levels, what each computes, and what counts as a division by
// zero. The interpreter's paths and the checker's constant folding all compute through here.
#pragma once

#include <cstdint>

#include "token.h"

// Loosest first; a higher level binds tighter. All levels are left-associative.
enum OperatorLevel : uint8_t {
    LEVEL_NONE,
    LEVEL_COMPARISON,  // == != > <
    LEVEL_TERM,        // + -
    LEVEL_FACTOR,      // * /
};

constexpr OperatorLevel level_of(TokenType type) {
    switch (type) {
        case TOKEN_EQ: case TOKEN_NEQ: case TOKEN_GT: case TOKEN_LT: return LEVEL_COMPARISON;
        case TOKEN_PLUS: case TOKEN_MINUS: return LEVEL_TERM;
        case TOKEN_STAR: case TOKEN_SLASH: return LEVEL_FACTOR;
        default: return LEVEL_NONE;
    }
}

constexpr bool is_binary_operator(TokenType type) {
    return type >= TOKEN_PLUS && type <= TOKEN_LT;
}

// Dividing by 0 or -0 is an error; a nan divisor is not zero, so the division goes ahead.
constexpr bool is_zero_divisor(double divisor) {
    return divisor == 0.0;
}

// What the binary operator of kind `type` gives; a comparison gives exactly 1 or 0. "/" by a zero
// divisor first calls `zero_divisor()`, which in the interpreter stops the run; the checker notes
// it and takes the IEEE quotient.
// The operators are tested in order of how often they come: in the interpreter's loops that
// measured faster than a switch, whose jump table and shared join cost two taken branches.
template <typename ZeroDivisor>
[[gnu::always_inline]] inline double apply_operator(int32_t type, double left, double right,
                                                    ZeroDivisor zero_divisor) {
    if (type == TOKEN_PLUS) return left + right;
    if (type == TOKEN_MINUS) return left - right;
    if (type == TOKEN_STAR) return left * right;
    if (type == TOKEN_LT) return static_cast<double>(left < right);
    if (type == TOKEN_SLASH) {
        if (is_zero_divisor(right)) zero_divisor();
        return left / right;
    }
    if (type == TOKEN_GT) return static_cast<double>(left > right);
    if (type == TOKEN_EQ) return static_cast<double>(left == right);
    return static_cast<double>(left != right);
}

// Whether what the operator gives counts as true (is not 0), as a condition asks: there a
// comparison is the likelier operator, so the comparisons are tested first.
template <typename ZeroDivisor>
[[gnu::always_inline]] inline bool operator_holds(int32_t type, double left, double right,
                                                  ZeroDivisor zero_divisor) {
    if (type == TOKEN_LT) return left < right;
    if (type == TOKEN_GT) return left > right;
    if (type == TOKEN_EQ) return left == right;
    if (type == TOKEN_NEQ) return left != right;
    return apply_operator(type, left, right, zero_divisor) != 0.0;
}
