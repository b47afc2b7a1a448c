// The fatal reporter every part of the interpreter calls.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes "[Error] " and the message as one line to stderr, after what was printed, then ends the
// process with status 1; or, while a caller embeds the run (embed.h), hands the message to it.
[[noreturn, gnu::format(printf, 1, 2)]] void error(const char* format, ...);

// Set by the embedding while a run is in progress: it never returns, and ends the run by taking
// control back. Null in azuvel itself.
extern void (*stop_handler)(const char* message, size_t length);

// Where the error is, for callers that show it: the cursor is on the token it is about, and
// `error_missing` says that a token is missing just before that one ("Expected ';'"). Set just
// before the error; azuvel itself never reads it.
extern bool error_missing;
