// The one embedding of the run, for callers that run scripts inside their own process: the
// debugger, the tests, the fuzzers and the playground. It is the pipeline of run.h with three
// differences: a stop hands control back to the caller instead of ending the process, output
// goes where the caller says, and what a run allocated is freed when the caller is done with it.
// An expression can be computed against the current store in a token range of its own, beside
// the script's tokens. One run at a time: the interpreter's state is global.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "output.h"
#include "token.h"

// How a run ended, and where: the place comes from the interpreter's cursor (or, for a lexical
// error, from where lexing stopped), never from the message.
struct RunStop {
    bool stopped = false;     // the run ended with an error
    std::string message;      // the error's message, without "[Error] "
    bool lexical = false;     // the error was met while lexing, before any statement ran
    int32_t token = 0;        // the cursor when the run ended; for a lexical stop, the tokens made
    int32_t token_count = 0;  // the script's tokens, the end token included
    bool missing = false;     // the error is shown just after the token before `token`: what
                              // is missing belongs there ("Expected ';'")
    size_t offset = 0;        // where the error stands in the text as written, in bytes
    int32_t line = 0;         // of `offset`, 1-based
    int32_t column = 0;       // of `offset`, 1-based, in bytes
};

// Runs a script whole, as azuvel runs a file holding these bytes (a NUL ends the text), with its
// output given to `sink` (standard output when null), and frees what the run allocated.
RunStop run_embedded(std::string_view text, OutputSink sink = nullptr, void* context = nullptr);

// For a caller that drives the statements itself (the debugger): loads a script (directive,
// cleaned copy, tokens, tables), leaving the cursor on its first token. False after a lexical
// error, with the stop filled in. The script stays loaded until release_embedded.
bool load_embedded(const char* text, RunStop& stop);
// Runs statements from the cursor to the end token; false when an error stops the run, with
// the stop filled in. Anything else thrown (by a statement hook) goes on to the caller.
bool run_embedded_statements(RunStop& stop);
// Frees the loaded script's tokens and cleaned copy, and the store's names and strings.
void release_embedded();

// Where the last error stands in the text as written (the text the run was loaded from); fills
// the stop's place. Also for a run that ended the process's own way (the playground's main).
void place_stop(const char* text, RunStop& stop);

// The stop of a run that ended the process's own way (azuvel's main, in the playground), read
// from the interpreter's state as the error left it, placed in the text the run was given.
RunStop last_stop(const char* text);

// Computes an expression against the current store, lexed into the tokens after the script's
// end token; the script's tokens, tables and cursor are as they were afterwards. False when it
// stops with an error (the stop holds the message). `end_type` is the token the expression left
// the cursor on (the end token when it was all read). For builds with the plain unit only: the
// fast-path unit keeps no facts for that range.
bool compute_embedded(const char* expression, double* value, int32_t* end_type, RunStop& stop);

// An expression lexed once, to be computed many times (a breakpoint's condition, at every step
// of a replay): its tokens, its end token included, whose values it owns until free_lexed.
struct LexedExpression {
    std::vector<Token> tokens;  // empty for an empty text: nothing to compute
    std::string error;          // a lexical error's message; then no tokens
};
LexedExpression lex_expression(const char* expression);
void free_lexed(LexedExpression& expression);
// compute_embedded for an expression lexed once: its tokens are put after the script's end token
// and computed there, with the same results.
bool compute_lexed(const LexedExpression& expression, double* value, int32_t* end_type,
                   RunStop& stop);

// Runs a function with the embedding's stop in force: an error inside it returns false with the
// stop filled in, instead of ending the process.
bool call_embedded(void (*body)(void* context), void* context, RunStop& stop);
