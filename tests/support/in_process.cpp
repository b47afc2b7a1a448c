// The in-process run: the pipeline of run() with the cleaned copy held here, so that a stopped
// run can free it, and an `error` that throws.
#include "in_process.h"

#include <sanitizer/asan_interface.h>

#include <cstdarg>
#include <cstdio>

#include "interpreter.h"
#include "lexer.h"
#include "output.h"
#include "run.h"

namespace {

// Frees what the last run allocated and forgets it, so a stopped run cannot free twice.
void release_run() {
    for (int32_t i = 0; i < token_count; i++) delete[] tokens[i].value;
    token_count = 0;
    for (int32_t i = 0; i < var_count; i++) {
        delete[] vars[i].name;
        delete[] vars[i].string;
    }
    var_count = 0;
}

}  // namespace

// A run stopped by "Too many tokens" or "Too many variables" leaves behind the text it had just
// copied, which the interpreter keeps until exit by design and cannot be reached from here; and
// unit tests that lex or run without run_in_process leave token texts and cleaned copies. Every
// other allocation of a run is freed, so any other leak is a fault.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:tokenize\nleak:execute_var\nleak:strip_config\n";
}

void error(const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    throw ScriptStopped(message);
}

RunOutcome run_in_process(std::string_view bytes) {
    std::string text(bytes.substr(0, bytes.find('\0')));
    RunOutcome outcome{false, "", 0, 0};
    current_token = 0;
    char* copy = nullptr;
    try {
        parse_config(text.c_str());
        copy = strip_config(text.c_str());
        ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
        tokenize(copy);
        // The unused end of the token array is poisoned: a cursor that runs past the end token
        // would otherwise read stale tokens without leaving the array.
        ASAN_POISON_MEMORY_REGION(tokens + token_count, sizeof(Token) * (MAX_TOKENS - token_count));
        start_interpreter();
        while (peek().type != TOKEN_EOF) execute_statement();
    } catch (const ScriptStopped& stop) {
        outcome.stopped = true;
        outcome.message = stop.what();
    }
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);  // for whoever lexes next
    outcome.token = current_token;
    outcome.token_count = token_count;
    if (!flush_output() && !outcome.stopped) {
        outcome = RunOutcome{true, "Cannot write to standard output", current_token, token_count};
    }
    delete[] copy;
    release_run();
    return outcome;
}
