// The fatal reporter every part of the interpreter calls.
#pragma once

// Writes "[Error] " and the message as one line to stderr, after what was printed, then ends the
// process with status 1. Programs that run scripts in-process link their own, which stops the
// run and returns control to them instead.
[[noreturn, gnu::format(printf, 1, 2)]] void error(const char* format, ...);
