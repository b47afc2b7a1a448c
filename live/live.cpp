// One live run: the script runs under the statement hook, which counts steps as the debugger's
// engine does and, before each statement, finishes the note of the one before it (a store's
// value, a print's text: nothing else runs between two hooks but a loop's condition), and notes
// which block a statement opens (an if taken, a while's pass). The hook also keeps the run
// bounded: steps, time, cancellation. A while whose block is empty never reaches the hook
// again, so its condition is computed first: true, the loop would never end.
#include "live.h"

#include <chrono>
#include <cstring>
#include <nlohmann/json.hpp>

#include "debug_hook.h"
#include "embed.h"
#include "interpreter.h"
#include "live_text.h"
#include "output.h"
#include "source_model.h"

namespace {

// How many values of a store run several times are shown from its start.
constexpr size_t FIRST_VALUES = 3;
// Steps between two looks at the clock.
constexpr int64_t CLOCK_INTERVAL = 4096;
// Bytes of one print statement's text kept for its note.
constexpr size_t PRINT_KEPT = 256;

// What a statement is, for its note.
enum class Shape { other, store_new, store, print, if_head, while_head };

// Per statement start: what it is and what the run did there.
struct Statement {
    Shape shape = Shape::other;
    int32_t end = 0;                               // its last token
    int32_t block_open = -1;                       // an if or while: its "{"
    int64_t runs = 0, entered = 0, last_step = 0;  // begun, blocks entered, the last begun
    int64_t done = 0, done_step = 0;  // a store or print: runs to its end, and the last one
    int32_t entry = -1;               // an assignment: the entry its name means, once known
    // A store's first values as shown; its last as the entry held it, shown at the end: a loop
    // must not pay for writing out every value it stores.
    std::string first[FIRST_VALUES], last;
    Variable last_entry{};
    bool stored = false;
    size_t first_count = 0;
    size_t output_start = 0, output_end = 0;
};

// Thrown by the hook to end a run early.
struct Cut {
    const char* kind;
};

struct LiveState {
    const std::string* text = nullptr;
    const LiveLimits* limits = nullptr;
    SourceModel model;
    std::vector<SourceToken> source;
    std::vector<Statement> statements;  // by token
    std::vector<int32_t> block_head;    // the first statement of a block: its if or while
    LiveRun* run = nullptr;
    int64_t step = 0;
    int32_t last_token = -1;  // the statement the last step began
    int32_t open_if = -1;     // an if whose block the next step tells taken or not
    std::chrono::steady_clock::time_point deadline;
    std::string printed;  // the bytes the current statement printed, up to PRINT_KEPT
    size_t output_size = 0;
    size_t printed_from = 0;  // the output's size when the current statement began
};
LiveState state;

// The interpreter's output: kept up to the limit, and the current statement's text apart.
void take_output(void*, const char* data, size_t length) {
    LiveRun& run = *state.run;
    if (run.output.size() < state.limits->max_output) {
        run.output.append(data, std::min(length, state.limits->max_output - run.output.size()));
    }
    if (state.printed.size() < PRINT_KEPT) {
        state.printed.append(data, std::min(length, PRINT_KEPT - state.printed.size()));
    }
    state.output_size += length;
}

// A store entry's value as a note shows it.
std::string shown_value(const Variable& entry) {
    return entry.is_string ? quoted(entry.string) : exact_number(entry.number);
}

// A statement's last token: an if's or while's "{" (or ")"), else its ";", else the last
// token before what can begin the next statement.
int32_t statement_end(int32_t token) {
    const SourceModel& model = state.model;
    int32_t count = static_cast<int32_t>(state.source.size());
    if (model.condition_close[token] >= 0) {
        int32_t close = model.condition_close[token];
        return close + 1 < count && state.source[close + 1].type == TOKEN_LBRACE ? close + 1
                                                                                 : close;
    }
    int32_t at = token;
    while (at + 1 < count && state.source[at].type != TOKEN_SEMICOLON) {
        TokenType next = state.source[at + 1].type;
        if (next == TOKEN_EOF || next == TOKEN_LBRACE || next == TOKEN_RBRACE ||
            model.statement_start[at + 1]) {
            break;
        }
        at++;
    }
    return at;
}

// Reads what each statement start is, and which statement opens each block.
void read_statements() {
    int32_t count = static_cast<int32_t>(state.source.size());
    state.statements.assign(count, Statement{});
    state.block_head.assign(count, -1);
    for (int32_t at = 0; at < count; at++) {
        if (!state.model.statement_start[at]) continue;
        Statement& statement = state.statements[at];
        TokenType type = state.source[at].type;
        TokenType next = at + 1 < count ? state.source[at + 1].type : TOKEN_EOF;
        statement.shape = type == TOKEN_VAR                                  ? Shape::store_new
                          : type == TOKEN_IDENTIFIER && next == TOKEN_ASSIGN ? Shape::store
                          : type == TOKEN_PRINT                              ? Shape::print
                          : type == TOKEN_IF                                 ? Shape::if_head
                          : type == TOKEN_WHILE                              ? Shape::while_head
                                                                             : Shape::other;
        statement.end = statement_end(at);
        bool head = statement.shape == Shape::if_head || statement.shape == Shape::while_head;
        if (head && state.source[statement.end].type == TOKEN_LBRACE) {
            statement.block_open = statement.end;
            int32_t first = statement.end + 1;
            if (first < count && state.model.statement_start[first]) state.block_head[first] = at;
        }
    }
}

// The statement the last step began has run to its end: its value or its text.
void finish_statement() {
    if (state.last_token < 0) return;
    Statement& statement = state.statements[state.last_token];
    if (statement.shape == Shape::print) {
        statement.last = state.printed;
        statement.output_start = state.printed_from;
        statement.output_end = state.output_size;
        statement.done++;
        statement.done_step = state.step;
        return;
    }
    if (statement.shape != Shape::store_new && statement.shape != Shape::store) return;
    int32_t entry = statement.shape == Shape::store_new ? var_count - 1 : statement.entry;
    if (entry < 0) {
        entry = first_entry(vars, var_count, tokens[state.last_token].value);
        statement.entry = entry;
    }
    if (entry < 0 || entry >= var_count) return;
    statement.entry = entry;
    statement.last_entry = vars[entry];
    statement.stored = true;
    statement.done++;
    statement.done_step = state.step;
    if (statement.first_count < FIRST_VALUES)
        statement.first[statement.first_count++] = shown_value(vars[entry]);
}

// Whether an empty block's condition holds now; false also when it cannot be computed (the
// statement then raises the error itself).
bool condition_holds(int32_t head) {
    int32_t open = state.model.condition_open[head];
    int32_t close = state.model.condition_close[head];
    if (open < 0 || close <= open + 1) return false;
    size_t start = state.source[open + 1].start, end = state.source[close - 1].end;
    std::string condition = state.text->substr(start, end - start);
    double value = 0.0;
    int32_t end_type = TOKEN_EOF;
    RunStop stop;
    return compute_embedded(condition.c_str(), &value, &end_type, stop) && end_type == TOKEN_EOF &&
           value != 0.0;
}

// Before each statement: the last one's note, the bounds, and what this one begins.
void live_hook(int32_t token) {
    flush_output();
    finish_statement();
    if (state.open_if >= 0) {
        Statement& open = state.statements[state.open_if];
        if (token > open.block_open && token < state.model.block_pair[open.block_open]) {
            open.entered++;
        }
        state.open_if = -1;
    }
    const LiveLimits& limits = *state.limits;
    if (limits.cancelled != nullptr && limits.cancelled->load(std::memory_order_relaxed)) {
        throw Cut{"cancelled"};
    }
    if (state.step >= limits.max_steps) throw Cut{"steps"};
    if (state.step % CLOCK_INTERVAL == 0 && std::chrono::steady_clock::now() > state.deadline) {
        throw Cut{"time"};
    }
    state.step++;
    state.last_token = token;
    state.printed.clear();
    Statement& statement = state.statements[token];
    statement.runs++;
    statement.last_step = state.step;
    state.printed_from = state.output_size;
    int32_t head = state.block_head[token];
    if (head >= 0 && state.statements[head].shape == Shape::while_head) {
        state.statements[head].entered++;
    }
    if (statement.block_open < 0) return;
    bool empty = state.model.block_pair[statement.block_open] == statement.block_open + 1;
    if (statement.shape == Shape::if_head) {
        if (!empty) {
            state.open_if = token;
        } else if (condition_holds(token)) {
            statement.entered++;
        }
    } else if (empty && condition_holds(token)) {
        throw Cut{"endless"};
    }
}

// The statement that raised the run's error.
int32_t error_statement(int32_t cursor) {
    return raising_statement(state.model, state.last_token, cursor);
}

// A note at a statement, placed over its tokens.
LiveNote note_at(int32_t token, std::string text, int64_t step) {
    const Statement& statement = state.statements[token];
    const SourceToken& first = state.source[token];
    const SourceToken& last = state.source[std::max(statement.end, token)];
    LiveNote note;
    note.token = token;
    note.line = first.line;
    note.column = first.column;
    note.end_line = last.end_line;
    note.end_column = last.end_column;
    note.utf16_column = first.utf16_column;
    note.utf16_end_column = last.utf16_end_column;
    note.text = std::move(text);
    note.step = step;
    return note;
}

// The note of a statement the run reached, or an empty text for one it says nothing about.
std::string reached_text(int32_t token, const Statement& statement, bool raised_here) {
    switch (statement.shape) {
        case Shape::store_new:
        case Shape::store: {
            if (!statement.stored) return "";
            std::string name(token_text(
                *state.text, state.source[token + (statement.shape == Shape::store_new)]));
            return store_text(name, statement.last, statement.first, statement.first_count,
                              statement.done);
        }
        case Shape::print:
            return statement.done == 0 ? "" : print_text(statement.last, statement.done);
        case Shape::if_head:
            // An if whose condition raised the error: its runs before that one.
            if (raised_here && statement.runs == 1) return "";
            return if_text(statement.entered, statement.runs - raised_here);
        case Shape::while_head:
            return while_text(statement.entered, statement.runs);
        case Shape::other:
            return "";
    }
    return "";
}

// The note of what a statement the run reached did, or none.
void add_reached(LiveRun& run, int32_t at, bool raised_here) {
    const Statement& statement = state.statements[at];
    std::string text = reached_text(at, statement, raised_here);
    if (text.empty()) return;
    bool stores = statement.shape == Shape::store || statement.shape == Shape::store_new;
    bool heads = statement.shape == Shape::if_head || statement.shape == Shape::while_head;
    LiveNote note = note_at(at, std::move(text), heads ? statement.last_step : statement.done_step);
    if (stores) {
        note.entry = statement.entry;
        note.value = statement.last;
    }
    if (statement.shape == Shape::print) {
        note.output_start = statement.output_start;
        note.output_end = statement.output_end;
    }
    run.notes.push_back(std::move(note));
}

// Every statement's note, in text order, written while the run's store (its names and
// strings) is still there. The statement where the run stopped has what it did before, when
// it ran before (unless its loop never ends), then the stop's note.
void write_notes(LiveRun& run, int32_t stop_token, const std::string& stop_text, bool endless) {
    bool finished = run.stop_kind == "end" || run.stop_kind == "error";
    bool raised = run.stop_kind == "error";
    for (int32_t at = 0; at < static_cast<int32_t>(state.statements.size()); at++) {
        Statement& statement = state.statements[at];
        if (statement.stored) statement.last = shown_value(statement.last_entry);
        if (at == stop_token) {
            if (!endless && statement.runs > 0) add_reached(run, at, raised);
            run.notes.push_back(note_at(at, stop_text, run.stop_step));
            continue;
        }
        if (statement.shape == Shape::other) continue;
        if (statement.runs == 0) {
            if (finished) run.notes.push_back(note_at(at, "never runs", 0));
            continue;
        }
        add_reached(run, at, false);
    }
}

// Sets where the run stopped from a statement.
void stop_at(LiveRun& run, int32_t token) {
    if (token < 0 || token >= static_cast<int32_t>(state.source.size())) return;
    run.stop_line = state.source[token].line;
    run.stop_column = state.source[token].column;
}

// A run that went through the interpreter, up to its end, its error or a cut.
void run_loaded(LiveRun& run) {
    RunStop stop;
    const char* cut = nullptr;
    bool ended = false, endless = false;
    try {
        ended = run_embedded_statements(stop);
        flush_output();
        if (ended) finish_statement();
    } catch (const Cut& thrown) {
        cut = thrown.kind;
        flush_output();
    }
    int32_t stop_token = -1;
    std::string stop_text;
    run.steps = state.step;
    if (ended) {
        run.stop_kind = "end";
        run.stop_step = state.step + 1;
    } else if (cut == nullptr) {
        run.stop_kind = "error";
        run.message = stop.message;
        run.stop_step = state.step + 1;
        stop_token = error_statement(stop.token);
        // Raised by a loop's condition tested again: the statement before it ran whole.
        if (stop_token != state.last_token) finish_statement();
        stop_text = "this run stops here: " + stop.message;
    } else if (std::strcmp(cut, "cancelled") == 0) {
        run.stop_kind = "cancelled";
        run.message = "cancelled";
        run.stop_step = state.step + 1;
        return;
    } else {
        endless = std::strcmp(cut, "endless") == 0;
        bool time = std::strcmp(cut, "time") == 0;
        run.stop_kind = time ? "time" : "steps";
        run.stop_step = endless ? state.step : state.step + 1;
        stop_token = endless ? state.last_token : current_token;
        stop_text = endless ? "this loop never ends: its block is empty and its condition holds"
                    : time  ? "stopped after " + grouped(state.limits->max_milliseconds) + " ms (" +
                                 grouped(state.step) + " steps)"
                           : "stopped after " + grouped(state.step) + " steps";
        run.message = stop_text;
    }
    stop_at(run, stop_token);
    write_notes(run, stop_token, stop_text, endless);
}

}  // namespace

LiveRun live_run(const std::string& whole, const LiveLimits& limits) {
    std::string text = whole.substr(0, std::strlen(whole.c_str()));
    LiveRun run;
    state = LiveState{};
    state.text = &text;
    state.limits = &limits;
    state.run = &run;
    state.model = model_source(text);
    state.source = tokens_before_error(state.model);
    read_statements();

    output_sink = take_output;
    output_sink_context = nullptr;
    statement_hook = live_hook;
    RunStop stop;
    if (load_embedded(text.c_str(), stop)) {
        // The time is the statements': reading the text is bounded by its size alone.
        state.deadline =
            std::chrono::steady_clock::now() + std::chrono::milliseconds(limits.max_milliseconds);
        run_loaded(run);
    } else {
        // A lexical error: nothing runs, and its note stands where lexing stopped.
        run.stop_kind = "error";
        run.message = stop.message;
        run.stop_line = stop.line;
        run.stop_column = stop.column;
        run.stop_step = 1;
        LiveNote note;
        note.token = stop.token;
        note.line = note.end_line = stop.line;
        note.column = note.end_column = stop.column;
        note.utf16_column = note.utf16_end_column = stop.column;
        note.text = "this run stops here: " + stop.message;
        note.step = 1;
        run.notes.push_back(std::move(note));
    }
    release_embedded();
    statement_hook = nullptr;
    output_sink = nullptr;
    run.output_size = state.output_size;
    state = LiveState{};
    return run;
}

std::string live_json(const LiveRun& run) {
    nlohmann::json notes = nlohmann::json::array();
    for (const LiveNote& note : run.notes) {
        notes.push_back({{"line", note.line},
                         {"column", note.column},
                         {"endLine", note.end_line},
                         {"endColumn", note.end_column},
                         {"utf16Column", note.utf16_column},
                         {"utf16EndColumn", note.utf16_end_column},
                         {"text", note.text},
                         {"step", note.step}});
    }
    nlohmann::json stop = {{"kind", run.stop_kind},
                           {"message", run.message},
                           {"line", run.stop_line},
                           {"column", run.stop_column},
                           {"step", run.stop_step}};
    return nlohmann::json{{"notes", notes}, {"stop", stop}, {"steps", run.steps}}.dump(
        -1, ' ', false, nlohmann::json::error_handler_t::replace);
}
