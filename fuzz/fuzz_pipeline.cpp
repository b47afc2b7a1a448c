// libFuzzer target for the whole pipeline: header directive, lexer and interpreter.
//
// The product ends the process at the first error. Here `error` throws back to the harness
// instead, so one process runs input after input; everything a run leaves behind is freed or
// reset before the next one. The harness follows run() step by step so that it owns the cleaned
// copy and can free it when a script stops half-way.
#include <sanitizer/asan_interface.h>

#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "interpreter.h"
#include "lexer.h"
#include "main.h"
#include "messages.h"

namespace {

struct ScriptStopped {};

// The one message a run may stop with that is not in messages.h: the fuzz build's bound on
// steps, which ends endless loops.
const char* const STEP_LIMIT = "Step limit reached";

// Whether a message is one of messages.h's, or the step bound; any other message is a fault
// of its own. A message with "%s" or "%c" is matched up to it.
bool is_known(const char* message) {
    if (std::strcmp(message, STEP_LIMIT) == 0) return true;
    for (const char* known : run_messages) {
        const char* field = std::strchr(known, '%');
        size_t length = field != nullptr ? static_cast<size_t>(field - known) : std::strlen(known);
        if (field != nullptr ? std::strncmp(message, known, length) == 0
                             : std::strcmp(message, known) == 0) {
            return true;
        }
    }
    return false;
}

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
// copied, which the product keeps until exit by design and the harness cannot reach. Every
// other allocation of a run is freed, so any other leak is a fault.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:tokenize\nleak:execute_var\n";
}

void error(const char* format, ...) {
    char message[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    if (!is_known(message)) {
        std::fprintf(stderr, "unexpected error message: %s\n", message);
        std::abort();
    }
    throw ScriptStopped{};
}

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Scripts print; libFuzzer reports on stderr.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) std::abort();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // As read from a file: the bytes and a NUL, so an embedded NUL ends the script early.
    std::string text(reinterpret_cast<const char*>(data), size);
    char* copy = nullptr;
    bool finished = false;
    try {
        parse_config(text.c_str());
        copy = strip_config(text.c_str());
        ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
        tokenize(copy);
        // The unused end of the token array is poisoned: a cursor that runs past the end
        // token would otherwise read stale tokens without leaving the array.
        ASAN_POISON_MEMORY_REGION(tokens + token_count, sizeof(Token) * (MAX_TOKENS - token_count));
        start_interpreter();
        while (peek().type != TOKEN_EOF) execute_statement();
        finished = true;
    } catch (const ScriptStopped&) {
    }
    if (finished && current_token != token_count - 1) {
        std::fprintf(stderr, "script ended with the cursor at %d of %d tokens\n", current_token,
                     token_count);
        std::abort();
    }
    if (!flush_output()) {
        std::fprintf(stderr, "output to /dev/null failed\n");
        std::abort();
    }
    delete[] copy;
    release_run();
    return 0;
}
