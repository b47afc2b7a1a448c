// The fast path seen from outside, for the azuvel_kinds build only (AZUVEL_KIND_COUNTS): how
// often each statement kind and loop test ran, and a listing of what was learnt and chosen at
// each token, one line a token, as a disassembler lists a program. Both are written when the
// run ends, error or not:
//   AZUVEL_KIND_COUNTS=FILE  appends "kind NAME COUNT" and "test NAME COUNT", every one listed
//   AZUVEL_FACTS=FILE        writes the listing ("-": standard error)
// Compiled without AZUVEL_KIND_COUNTS (a build that takes every source of src/), it is empty.
#ifdef AZUVEL_KIND_COUNTS
#include <cinttypes>
#include <cstdio>
#include <cstdlib>

#include "fast_path.h"

uint64_t kind_reached[KIND_COUNT];
uint64_t test_reached[LOOP_TEST_COUNT];

static const char* const shape_names[] = {"LONG", "OPERAND", "PAIR", "TRIPLE", "GROUPED_PAIR",
                                          "GROUPED_TRIPLE"};

// Appends every kind's and every test's count, the unreached with 0.
static void append_counts(const char* path) {
    FILE* out = std::fopen(path, "a");
    if (out == nullptr) return;
    for (int kind = 0; kind < KIND_COUNT; kind++) {
        std::fprintf(out, "kind %s %" PRIu64 "\n", kind_names[kind], kind_reached[kind]);
    }
    for (int test = 0; test < LOOP_TEST_COUNT; test++) {
        std::fprintf(out, "test %s %" PRIu64 "\n", test_names[test], test_reached[test]);
    }
    std::fclose(out);
}

// The name a token's variable slot holds, or "?".
static const char* slot_name(const Variable* variable) {
    return variable != nullptr && variable->name != nullptr ? variable->name : "?";
}

// One token: its index, line and text, then each fact set at it.
static void list_token(FILE* out, int32_t i) {
    std::fprintf(out, "%04d %4d %-12.12s", i, tokens[i].line,
                 tokens[i].value != nullptr ? tokens[i].value : "");
    if (primary_end[i] != 0) std::fprintf(out, " primary..%d", primary_end[i]);
    if (primary_end[i] != 0 || expression_end[i] != 0) {
        std::fprintf(out, " shape %s", shape_names[expression_shape[i]]);
    }
    if (expression_end[i] != 0) std::fprintf(out, " expression..%d", expression_end[i]);
    if (comparison_at[i] != 0) {
        std::fprintf(out, " compare@%d left %s", comparison_at[i], shape_names[term_shape[i]]);
    }
    if (walk_step[i] != 0) std::fprintf(out, " step %d", walk_step[i]);
    if (token_variable[i] != nullptr) std::fprintf(out, " slot %s", slot_name(token_variable[i]));
    if (checked_until[i] != 0) std::fprintf(out, " checked..%d", checked_until[i]);
    StatementKind kind = kind_at(i);
    if (kind != KIND_OTHER && kind != KIND_BLOCK_END) {
        std::fprintf(out, " kind %s \"%s\"", kind_names[kind], kind_shapes[kind]);
    }
    if (known_test[i] != 0) std::fprintf(out, " test %s", test_names[known_test[i] - 1]);
    std::fputc('\n', out);
}

// Lists every token of the run but the end token.
static void write_listing(const char* path) {
    bool to_stderr = path[0] == '-' && path[1] == '\0';
    FILE* out = to_stderr ? stderr : std::fopen(path, "w");
    if (out == nullptr) return;
    for (int32_t i = 0; i + 1 < token_count; i++) list_token(out, i);
    if (!to_stderr) std::fclose(out);
}

// Registered before main: writes what the environment asks for when the run ends.
static void write_at_exit() {
    if (const char* path = std::getenv("AZUVEL_KIND_COUNTS")) append_counts(path);
    if (const char* path = std::getenv("AZUVEL_FACTS")) write_listing(path);
}
static const int registered = std::atexit(write_at_exit);
#endif
