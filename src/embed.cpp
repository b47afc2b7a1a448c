// The run embedded in another program: the pipeline of run.cpp, with the fatal reporter's stop
// handed back to the caller as a value. See embed.h.
#include "embed.h"

#include <algorithm>
#include <limits>

#include "directive.h"
#include "error.h"
#include "facts.h"
#include "interpreter.h"
#include "lexer.h"
#include "run.h"
#include "source_model.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#include <sanitizer/asan_interface.h>
#endif
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(address, size) ((void)(address), (void)(size))
#endif

namespace {

// What the stop handler throws back to call_embedded.
struct RunStopped {
    std::string message;
};

[[noreturn]] void throw_stop(const char* message, size_t length) {
    throw RunStopped{std::string(message, length)};
}

// The end of the tokens in use is poisoned under the address sanitizer: a cursor that ran past
// the end token would otherwise read stale tokens without leaving the array.
void poison_unused_tokens(int32_t used) {
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
    ASAN_POISON_MEMORY_REGION(tokens + used, sizeof(Token) * (TOKEN_ROOM - used));
}

}  // namespace

bool call_embedded(void (*body)(void* context), void* context, RunStop& stop) {
    void (*outer)(const char*, size_t) = stop_handler;
    stop_handler = throw_stop;
    try {
        body(context);
    } catch (RunStopped& stopped) {
        stop_handler = outer;
        stop.stopped = true;
        stop.message = std::move(stopped.message);
        stop.token = current_token;
        stop.missing = error_missing;
        return false;
    } catch (...) {
        stop_handler = outer;
        throw;
    }
    stop_handler = outer;
    return true;
}

void place_stop(const char* text, RunStop& stop) {
    SourceModel model = model_source(text);
    if (stop.lexical) {
        stop.offset = model.run_stop.offset;
        stop.line = model.lines.line(stop.offset);
        stop.column = model.lines.column(stop.offset);
        return;
    }
    int32_t last = static_cast<int32_t>(model.tokens.size()) - 1;
    int32_t at = std::clamp(stop.token, 0, last);
    // What is missing, and what the end token stops at, stands after the token before.
    bool after = at > 0 && (stop.missing || model.tokens[at].type == TOKEN_EOF);
    const SourceToken& token = model.tokens[after ? at - 1 : at];
    stop.offset = after ? token.end : token.start;
    stop.line = after ? token.end_line : token.line;
    stop.column = after ? token.end_column : token.column;
}

RunStop last_stop(const char* text) {
    RunStop stop;
    stop.stopped = true;
    stop.lexical = lex_error_offset != std::numeric_limits<size_t>::max();
    stop.token = stop.lexical ? token_count : current_token;
    stop.token_count = token_count;
    stop.missing = error_missing;
    place_stop(text, stop);
    return stop;
}

bool load_embedded(const char* text, RunStop& stop) {
    stop = RunStop{};
    lex_error_offset = std::numeric_limits<size_t>::max();
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
    bool loaded = call_embedded([](void* script) { load_script(static_cast<const char*>(script)); },
                                const_cast<char*>(text), stop);
    if (!loaded) {
        stop.lexical = lex_error_offset != std::numeric_limits<size_t>::max();
        stop.token = token_count;
        place_stop(text, stop);
        return false;
    }
    poison_unused_tokens(token_count);
    return true;
}

bool run_embedded_statements(RunStop& stop) {
    return call_embedded([](void*) { run_statements(); }, nullptr, stop);
}

void release_embedded() {
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);  // for whoever lexes next
    for (int32_t i = 0; i < token_count; i++) delete[] tokens[i].value;
    token_count = 0;
    for (int32_t i = 0; i < var_count; i++) {
        delete[] vars[i].name;
        delete[] vars[i].string;
    }
    var_count = 0;
    delete[] cleaned_text;
    cleaned_text = nullptr;
}

RunStop run_embedded(std::string_view bytes, OutputSink sink, void* context) {
    std::string text(bytes.substr(0, bytes.find('\0')));
    OutputSink outer_sink = output_sink;
    void* outer_context = output_sink_context;
    output_sink = sink;
    output_sink_context = context;
    RunStop stop;
    if (load_embedded(text.c_str(), stop) && !run_embedded_statements(stop)) {
        place_stop(text.c_str(), stop);
    }
    if (!flush_output() && !stop.stopped) {
        stop.stopped = true;
        stop.message = "Cannot write to standard output";
        stop.token = current_token;
        place_stop(text.c_str(), stop);
    }
    if (!stop.lexical) stop.token = current_token;
    stop.token_count = token_count;
    release_embedded();
    output_sink = outer_sink;
    output_sink_context = outer_context;
    return stop;
}

namespace {

struct Expression {
    const char* text;
    int32_t first, made;
    double value;
};

}  // namespace

bool compute_embedded(const char* expression, double* value, int32_t* end_type, RunStop& stop) {
    int32_t cursor = current_token;
    size_t lex_offset = lex_error_offset;
    Expression job{expression, token_count, token_count, 0.0};
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
    stop = RunStop{};
    bool ok = call_embedded(
        [](void* context) {
            Expression& job = *static_cast<Expression*>(context);
            int32_t count = tokenize_expression(job.text, &job.made);
            start_expression(job.first, job.first + count);
            job.value = parse_expression();
        },
        &job, stop);
    *end_type = ok ? tokens[current_token].type : TOKEN_EOF;
    *value = job.value;
    for (int32_t i = job.first; i < job.made; i++) delete[] tokens[i].value;
    poison_unused_tokens(token_count);
    current_token = cursor;
    lex_error_offset = lex_offset;
    error_missing = false;
    return ok;
}

LexedExpression lex_expression(const char* expression) {
    LexedExpression lexed;
    if (expression[0] == '\0') return lexed;
    size_t lex_offset = lex_error_offset;
    Expression job{expression, token_count, token_count, 0.0};
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
    RunStop stop;
    bool ok = call_embedded(
        [](void* context) {
            Expression& job = *static_cast<Expression*>(context);
            tokenize_expression(job.text, &job.made);
        },
        &job, stop);
    if (ok) {
        lexed.tokens.assign(tokens + job.first, tokens + job.made);
    } else {
        for (int32_t i = job.first; i < job.made; i++) delete[] tokens[i].value;
        lexed.error = stop.message;
    }
    poison_unused_tokens(token_count);
    lex_error_offset = lex_offset;
    error_missing = false;
    return lexed;
}

void free_lexed(LexedExpression& expression) {
    for (const Token& token : expression.tokens) delete[] token.value;
    expression.tokens.clear();
}

bool compute_lexed(const LexedExpression& expression, double* value, int32_t* end_type,
                   RunStop& stop) {
    stop = RunStop{};
    if (!expression.error.empty()) {
        stop.stopped = true;
        stop.message = expression.error;
        return false;
    }
    int32_t cursor = current_token;
    int32_t count = static_cast<int32_t>(expression.tokens.size());
    ASAN_UNPOISON_MEMORY_REGION(tokens, sizeof tokens);
    std::copy(expression.tokens.begin(), expression.tokens.end(), tokens + token_count);
    Expression job{nullptr, token_count, token_count + count, 0.0};
    bool ok = call_embedded(
        [](void* context) {
            Expression& job = *static_cast<Expression*>(context);
            start_expression(job.first, job.made);
            job.value = parse_expression();
        },
        &job, stop);
    *end_type = ok ? tokens[current_token].type : TOKEN_EOF;
    *value = job.value;
    poison_unused_tokens(token_count);
    current_token = cursor;
    error_missing = false;
    return ok;
}
