// The debugger's engine over the core's statement hook; see engine.h.
//
// A stop ends the run: the hook takes a snapshot and throws back to the engine. To go on, the
// run is resumed from the snapshot. The interpreter keeps a loop's state on the C++ stack, so
// resuming has to rebuild that stack: the blocks around the snapshot's statement are known from
// the tokens alone (the if and while statements whose braces hold it), and the engine enters
// them again with their conditions replaced by "1 * 1 * ... * 1" (a condition that ran is a
// valid expression, so it has an odd number of tokens), steering the hook at each block's first
// statement to the next statement on the way. When the snapshot's statement is reached, the
// tokens and the store are put back, and the interpreter's frames are the ones the run had.
// Going back is a replay from the last snapshot before the step; snapshots are taken every
// `interval` steps and thinned out as the run grows, so a replay is never long. Each snapshot
// also counts the statements the run began in its interval, the first time the run goes there,
// so that questions about the past (past.cpp) and reverse continue replay only the intervals
// that can hold their answer.
#include "engine.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "blocks.h"
#include "breakpoints.h"
#include "debug_hook.h"
#include "embed.h"
#include "inspect.h"
#include "interpreter.h"
#include "kept_output.h"
#include "lexer.h"
#include "output.h"
#include "past.h"
#include "ranges.h"
#include "replay.h"

namespace {

// Thrown by the hook to end a run at a stop.
struct Halt {};

enum class Mode {
    live,    // a motion the user asked for: breakpoints, hit counts and log points count
    replay,  // to a step already run
    scan,    // reverse continue: notes the last step where a breakpoint holds
    trace,   // a question about the past: each step is shown to a visitor
};

// Whether a mode only looks at steps already run: the session's step and output stay.
bool looks_only(Mode mode) {
    return mode == Mode::scan || mode == Mode::trace;
}

struct RunState {
    Session* session = nullptr;
    Mode mode = Mode::live;
    Snapshot from;              // where the run resumed
    std::vector<int32_t> path;  // while rebuilding: the statements to steer to
    size_t path_at = 0;
    std::vector<std::pair<int32_t, Token>> patched;  // conditions replaced while rebuilding
    int64_t step = 0;
    int32_t last_token = 0;  // the statement the last step began
    int32_t known_vars = 0;  // store entries already adopted
    std::vector<char> has_breakpoint;
    Motion motion = Motion::run;
    int64_t origin_depth = 0;
    int64_t budget_end = 0;
    int64_t target = 0;  // replay
    int64_t scan_end = 0, last_hit = 0;
    Stop last_hit_stop = Stop::step;
    std::vector<char> writes;                 // per token: the statement writes a name
    std::vector<int32_t> entry_of;            // per assignment: the entry it writes, once known
    std::vector<char> watched;                // per token: the statement writes a watched name
    std::vector<LexedExpression> conditions;  // the breakpoints', lexed once per motion or scan
    const StepVisitor* visit = nullptr;       // trace
    size_t output_count = 0;  // the output's length, as far as it was handed over, in a look
    size_t collect_from = 0, collect_to = 0;  // trace: the output bytes to keep in `collected`
    std::string collected;
    Stop stop = Stop::step;
};
RunState state;

// Before each statement of a run the engine drives; defined below.
void engine_hook(int32_t token);

// Takes what the interpreter writes: kept, or in a look only counted (and, in a trace, the
// bytes asked for copied).
void append_output(void* context, const char* data, size_t size) {
    if (!looks_only(state.mode)) return keep_output(*static_cast<Session*>(context), data, size);
    size_t at = state.output_count;
    state.output_count += size;
    size_t from = std::max(at, state.collect_from), to = std::min(at + size, state.collect_to);
    if (from < to) state.collected.append(data + (from - at), to - from);
}

// While it lives, the interpreter's output is the session's output (the adapter's own standard
// output is the protocol's channel), and the statement hook is the engine's.
struct Capture {
    explicit Capture(Session& session) {
        output_sink = append_output;
        output_sink_context = &session;
        statement_hook = engine_hook;
    }
    ~Capture() {
        output_sink = nullptr;
        output_sink_context = nullptr;
        statement_hook = nullptr;
    }
    Capture(const Capture&) = delete;
    Capture& operator=(const Capture&) = delete;
};

// Writes out what the interpreter buffered, into the session's output.
void flush_to_session() {
    flush_output();
}

// Two entries' names or strings, either of which may be null.
bool same_text(const char* a, const char* b) {
    return a == b || (a != nullptr && b != nullptr && std::strcmp(a, b) == 0);
}

// Keeps the first copy of each store entry's name and string; see Session::made.
void adopt_entries() {
    Session& session = *state.session;
    for (int32_t i = state.known_vars; i < var_count; i++) {
        Variable& entry = vars[i];
        if (i < static_cast<int32_t>(session.made.size())) {
            const Variable& made = session.made[i];
            if (same_text(made.name, entry.name) && same_text(made.string, entry.string)) {
                if (entry.name != made.name) delete[] entry.name;
                if (entry.string != made.string) delete[] entry.string;
                entry.name = made.name;
                entry.string = made.string;
                continue;
            }
        }
        session.made.push_back(entry);  // only a run that differs would get here; kept to free
    }
    state.known_vars = var_count;
}

// The store as it is, by value: names and strings are shared.
std::vector<Variable> copy_store() {
    return std::vector<Variable>(vars, vars + var_count);
}

// Puts a snapshot's store back into the interpreter.
void load_store(const std::vector<Variable>& store) {
    std::copy(store.begin(), store.end(), vars);
    var_count = static_cast<int32_t>(store.size());
}

// The state before the statement at the cursor, as the run stands.
Snapshot take_snapshot(int64_t step) {
    flush_to_session();
    return Snapshot{step,
                    current_token,
                    copy_store(),
                    output_size(*state.session),
                    state.session->output_newlines,
                    {},
                    {}};
}

// Keeps the state of this step; past max_snapshots, every other one goes, its interval's
// counts joining the one before, and the interval doubles.
void add_snapshot() {
    Session& session = *state.session;
    session.snapshots.push_back(take_snapshot(state.step));
    session.snapshots.back().begun.assign(static_cast<size_t>(session.token_count) + 1, 0);
    session.snapshots.back().written.assign(MAX_VARS, ValueRange{});
    if (session.snapshots.size() <= session.max_snapshots) return;
    std::vector<Snapshot> kept;
    for (size_t i = 0; i < session.snapshots.size(); i += 2) {
        kept.push_back(std::move(session.snapshots[i]));
        if (i + 1 == session.snapshots.size()) break;
        std::vector<uint32_t>& counts = kept.back().begun;
        const std::vector<uint32_t>& next = session.snapshots[i + 1].begun;
        for (size_t t = 0; t < counts.size(); t++) counts[t] += next[t];
        std::vector<ValueRange>& ranges = kept.back().written;
        for (size_t e = 0; e < ranges.size(); e++) {
            const ValueRange& more = session.snapshots[i + 1].written[e];
            ranges[e].low = std::min(ranges[e].low, more.low);
            ranges[e].high = std::max(ranges[e].high, more.high);
            ranges[e].unknown |= more.unknown;
        }
    }
    session.snapshots = std::move(kept);
    session.interval *= 2;
}

// At the furthest step run: widens the interval's range of the entry that the statement just run
// wrote, if it wrote one.
void note_write(Session& session) {
    int32_t token = state.last_token;
    if (!state.writes[token]) return;
    int32_t& entry = state.entry_of[token];
    if (session.source[token].type == TOKEN_VAR) {
        entry = var_count - 1;
    } else if (entry < 0) {
        entry = first_entry(vars, var_count, tokens[token].value);
    }
    if (entry < 0 || entry >= var_count) return;
    const Variable& value = vars[entry];
    widen(session.snapshots.back().written[entry], value.is_string ? 0.0 : value.number);
}

[[noreturn]] void halt(Stop stop) {
    if (looks_only(state.mode)) {
        flush_output();
        throw Halt{};
    }
    state.session->current = take_snapshot(state.step);
    state.stop = stop;
    throw Halt{};
}

// Undoes the conditions replaced for a rebuild.
void put_back_tokens() {
    for (const auto& [index, token] : state.patched) tokens[index] = token;
    state.patched.clear();
}

// The snapshot's statement is reached with the run's frames around it: back to its state.
void finish_rebuild() {
    put_back_tokens();
    start_interpreter();  // the token array changed back: its tables again
    load_store(state.from.store);
    state.known_vars = var_count;
    current_token = state.from.token;
    state.step = state.from.step;
    state.last_token = current_token;
    state.path.clear();
    state.path_at = 0;
}

// Prepares the run to start from a snapshot: the first statement of the steered path is at
// the cursor.
void resume(Session& session) {
    output_length = 0;  // what a run cut short left in the interpreter's buffer is not this run's
    state.output_count = state.from.output_length;
    state.patched.clear();
    state.path.clear();
    state.path_at = 0;
    if (state.from.step == 0) {
        start_interpreter();
        state.step = 0;
        state.known_vars = 0;
        return;
    }
    std::vector<int32_t> heads = enclosing_heads(session, state.from.token);
    static const char one[] = "1";
    static const char times[] = "*";
    for (auto head = heads.rbegin(); head != heads.rend(); ++head) {
        state.path.push_back(*head);
        int32_t open = session.model.condition_open[*head];
        int32_t close = session.model.condition_close[*head];
        for (int32_t at = open + 1; at < close; at++) {
            state.patched.emplace_back(at, tokens[at]);
            bool operand = (at - open) % 2 == 1;
            tokens[at] =
                Token{operand ? TOKEN_NUMBER : TOKEN_STAR, operand ? one : times, tokens[at].line};
        }
    }
    state.path.push_back(state.from.token);
    start_interpreter();
    current_token = state.path[0];
}

// A step of a motion the user asked for: stops where the motion or a breakpoint says.
void live_step(Session& session) {
    int32_t at = current_token;
    bool breakpoint = state.has_breakpoint[at] && breakpoint_stops(session, at, state.conditions);
    bool done = false;
    switch (state.motion) {
        case Motion::step_in:
            done = true;
            break;
        case Motion::step_over:
            done = session.model.depth[at] <= state.origin_depth;
            break;
        case Motion::step_out:
            done = session.model.depth[at] < state.origin_depth;
            break;
        case Motion::run:
            break;
    }
    if (breakpoint) halt(Stop::breakpoint);
    // The statement that raised the run's error wrote nothing.
    if (state.watched[at] && state.step != session.error_step) halt(Stop::data_breakpoint);
    if (done) halt(Stop::step);
    if (state.step >= state.budget_end) halt(Stop::slice);
}

// A step of reverse continue's scan: notes the breakpoints whose condition holds, and the
// writes of watched names.
void scan_step(Session& session) {
    if (state.step >= state.scan_end) throw Halt{};
    if (state.watched[current_token] && state.step != session.error_step) {
        state.last_hit = state.step;
        state.last_hit_stop = Stop::data_breakpoint;
    }
    if (!state.has_breakpoint[current_token]) return;
    for (size_t i = 0; i < session.breakpoints.size(); i++) {
        const Breakpoint& breakpoint = session.breakpoints[i];
        if (breakpoint.token == current_token && breakpoint.log_message.empty() &&
            condition_holds(state.conditions[i])) {
            state.last_hit = state.step;
            state.last_hit_stop = Stop::breakpoint;
        }
    }
}

// A step of a trace: the visitor sees it; the trace ends where it says or at scan_end.
void trace_step() {
    if (!(*state.visit)(state.step, current_token) || state.step >= state.scan_end)
        halt(Stop::step);
}

// The statement that raised the run's error.
int32_t error_statement(const Session& session) {
    return raising_statement(session.model, state.last_token, current_token);
}

// Runs from state.from until the hook halts, the script ends or an error stops it.
Stop run_from(Session& session) {
    Capture capture(session);
    state.session = &session;
    RunStop stop;
    try {
        resume(session);
        if (run_embedded_statements(stop)) {
            flush_to_session();
            adopt_entries();
            if (looks_only(state.mode)) {
                if (state.mode == Mode::trace) (*state.visit)(state.step + 1, -1);
                return Stop::end;
            }
            if (session.note_prints && state.mode == Mode::live) {
                note_prints(session, state.step, state.last_token);
            }
            session.ended = true;
            session.last_step = state.step + 1;
            session.current = Snapshot{state.step + 1,
                                       current_token,
                                       copy_store(),
                                       output_size(session),
                                       session.output_newlines,
                                       {},
                                       {}};
            return Stop::end;
        }
    } catch (const Halt&) {
        return state.stop;
    }
    put_back_tokens();
    flush_to_session();
    adopt_entries();
    if (looks_only(state.mode)) {
        if (state.mode == Mode::trace) (*state.visit)(state.step + 1, -1);
        return Stop::error;
    }
    if (session.note_prints && state.mode == Mode::live) {
        note_prints(session, state.step, state.last_token);
    }
    place_stop(session.text.c_str(), stop);
    session.ended = true;
    session.last_step = state.step + 1;
    session.error_message = stop.message;
    session.error_line = stop.line;
    session.error_column = stop.column;
    int32_t raised = error_statement(session);
    session.error_step = raised == state.last_token ? state.step : 0;
    session.current = Snapshot{state.step + 1,
                               raised,
                               copy_store(),
                               output_size(session),
                               session.output_newlines,
                               {},
                               {}};
    session.final_point = session.current;
    return Stop::error;
}

}  // namespace

namespace {

void engine_hook(int32_t) {
    Session& session = *state.session;
    if (state.path_at < state.path.size()) {
        current_token = state.path[state.path_at++];
        if (state.path_at < state.path.size()) return;
        finish_rebuild();
        if (state.mode == Mode::scan) scan_step(session);
        if (state.mode == Mode::trace) trace_step();
        return;
    }
    if (session.note_prints && state.mode == Mode::live) {
        note_prints(session, state.step, state.last_token);
    }
    if (state.step >= session.frontier && state.step > 0) note_write(session);
    state.step++;
    state.last_token = current_token;
    if (var_count != state.known_vars) adopt_entries();
    if (looks_only(state.mode)) {
        return state.mode == Mode::scan ? scan_step(session) : trace_step();
    }
    if (state.step > session.frontier) {
        session.frontier = state.step;
        session.frontier_token = current_token;
        if (state.step >= session.snapshots.back().step + session.interval) add_snapshot();
        session.snapshots.back().begun[current_token]++;
    }
    switch (state.mode) {
        case Mode::live:
            return live_step(session);
        case Mode::replay:
            if (state.step == state.target) halt(Stop::step);
            return;
        case Mode::scan:
        case Mode::trace:
            return;
    }
}

}  // namespace

void start_session(Session& session, std::string text) {
    end_session(session);
    text.resize(std::strlen(text.c_str()));
    session.text = std::move(text);
    session.model = model_source(session.text);
    session.source = tokens_before_error(session.model);
    Capture capture(session);
    state.session = &session;
    state.mode = Mode::live;
    RunStop stop;
    if (!load_embedded(session.text.c_str(), stop)) {
        // The error stands where lexing stopped: at the token it could not make.
        release_embedded();
        session.ended = true;
        session.last_step = 1;
        session.error_message = stop.message;
        session.error_line = stop.line;
        session.error_column = stop.column;
        session.current = Snapshot{1, stop.token, {}, 0, 0, {}, {}};
        session.final_point = session.current;
        session.snapshots = {Snapshot{}};
        return;
    }
    session.loaded = true;
    session.token_count = token_count;
    session.snapshots = {Snapshot{}};
    session.snapshots[0].begun.assign(static_cast<size_t>(token_count) + 1, 0);
    session.snapshots[0].written.assign(MAX_VARS, ValueRange{});
    session.current = Snapshot{};
}

void end_session(Session& session) {
    for (const Variable& entry : session.made) {
        delete[] entry.name;
        delete[] entry.string;
    }
    var_count = 0;  // the entries' names and strings were the session's
    if (session.loaded) release_embedded();
    session = Session{};
}

// Per token: whether a statement there writes a watched name.
static std::vector<char> watch_marks(const Session& session) {
    std::vector<char> marks(static_cast<size_t>(session.token_count) + 1, 0);
    for (const std::string& name : session.watches) {
        std::vector<char> writes = writes_of(session, name);
        for (size_t t = 0; t < marks.size(); t++) marks[t] |= writes[t];
    }
    return marks;
}

// Readies the breakpoints and watches for a run of many steps.
static void arm(Session& session) {
    state.has_breakpoint = breakpoint_marks(session);
    state.watched = watch_marks(session);
    state.writes.assign(static_cast<size_t>(session.token_count) + 1, 0);
    for (int32_t t = 0; t + 1 < session.token_count; t++) {
        TokenType type = session.source[t].type, next = session.source[t + 1].type;
        state.writes[t] = session.model.statement_start[t] &&
                          ((type == TOKEN_VAR && next == TOKEN_IDENTIFIER) ||
                           (type == TOKEN_IDENTIFIER && next == TOKEN_ASSIGN));
    }
    state.entry_of.assign(state.writes.size(), -1);
    free_conditions(state.conditions);
    state.conditions = lex_conditions(session);
}

Stop advance(Session& session, Motion motion, int64_t origin_depth, int64_t budget) {
    if (session.ended && session.current.step >= session.last_step) {
        return session.error_message.empty() ? Stop::end : Stop::error;
    }
    state.mode = Mode::live;
    state.motion = motion;
    state.origin_depth = origin_depth;
    state.budget_end = session.current.step + (budget > 0 ? budget : 1);
    state.from = session.current;
    session.print_noted = output_size(session);
    arm(session);
    Stop stop = run_from(session);
    free_conditions(state.conditions);
    return stop;
}

bool go_to_step(Session& session, int64_t step) {
    int64_t known = session.ended ? session.last_step : session.frontier;
    if (step < 1 || step > known) return false;
    if (step == session.current.step) return true;
    if (session.ended && step == session.last_step && !session.error_message.empty()) {
        set_output(session, session.final_point);
        session.current = session.final_point;
        return true;
    }
    const Snapshot* from = &session.snapshots[snapshot_before(session, step)];
    if (session.current.step < step && session.current.step > from->step) from = &session.current;
    Snapshot start = *from;
    set_output(session, start);
    if (start.step == step) {
        session.current = std::move(start);
        return true;
    }
    state.mode = Mode::replay;
    state.target = step;
    state.from = std::move(start);
    run_from(session);
    return true;
}

Stop reverse_run(Session& session) {
    int64_t now = session.current.step;
    arm(session);
    std::vector<char> stops = state.watched;
    for (const Breakpoint& breakpoint : session.breakpoints) {
        if (breakpoint.log_message.empty() && breakpoint.token >= 0 &&
            breakpoint.token < session.token_count) {
            stops[breakpoint.token] = 1;
        }
    }
    state.last_hit = 0;
    for (size_t i = session.snapshots.size(); i-- > 0 && state.last_hit == 0;) {
        const Snapshot& snapshot = session.snapshots[i];
        if (snapshot.step >= now) continue;
        // An interval that began no statement with a breakpoint whose condition may hold there,
        // nor a watched write, is skipped.
        bool met = false;
        for (size_t t = 0; t < snapshot.begun.size() && !met; t++) {
            met = snapshot.begun[t] && state.watched[t];
        }
        for (size_t b = 0; b < session.breakpoints.size() && !met; b++) {
            const Breakpoint& breakpoint = session.breakpoints[b];
            met = breakpoint.log_message.empty() && stops[breakpoint.token] &&
                  snapshot.begun[breakpoint.token] &&
                  condition_may_hold(session, i, state.conditions[b]);
        }
        if (!met) continue;
        state.mode = Mode::scan;
        state.scan_end = std::min(interval_end(session, i), now);
        state.from = snapshot;
        run_from(session);
    }
    free_conditions(state.conditions);
    Stop found = state.last_hit > 0 ? state.last_hit_stop : Stop::step;
    go_to_step(session, state.last_hit > 0 ? state.last_hit : 1);
    return found;
}

bool reverse_continue(Session& session) {
    return reverse_run(session) != Stop::step;
}

bool step_back(Session& session) {
    int64_t step = session.current.step - 1;
    // From the error, the step before shows the same statement, not yet run: go one further.
    if (session.ended && session.current.step == session.last_step &&
        !session.error_message.empty() && session.error_step == step && step > 1) {
        step--;
    }
    return step >= 1 && go_to_step(session, step);
}

void replay_steps(Session& session, size_t index, int64_t end, const StepVisitor& visit) {
    state.mode = Mode::trace;
    state.visit = &visit;
    state.scan_end = end;
    state.collect_from = state.collect_to = 0;
    state.from = session.snapshots[index];
    run_from(session);
    state.visit = nullptr;
}

size_t replayed_output_size() {
    return state.output_count + output_length;
}

std::string replay_output(Session& session, size_t index, size_t from, size_t to) {
    StepVisitor until = [to](int64_t, int32_t) { return replayed_output_size() < to; };
    state.collected.clear();
    state.mode = Mode::trace;
    state.visit = &until;
    state.scan_end = interval_end(session, session.snapshots.size() - 1);
    state.collect_from = from;
    state.collect_to = to;
    state.from = session.snapshots[index];
    run_from(session);
    state.visit = nullptr;
    state.collect_from = state.collect_to = 0;
    return std::move(state.collected);
}

int32_t line_of(const Session& session, int32_t token) {
    if (token < 0 || token >= static_cast<int32_t>(session.source.size())) return 1;
    return session.source[token].line;
}

int32_t column_of(const Session& session, int32_t token) {
    if (token < 0 || token >= static_cast<int32_t>(session.source.size())) return 1;
    return session.source[token].column;
}

int32_t depth_of(const Session& session, int32_t token) {
    if (token < 0 || token >= session.token_count) return 0;
    return session.model.depth[token];
}

std::vector<int32_t> enclosing_heads(const Session& session, int32_t token) {
    std::vector<int32_t> heads;
    if (token < 0 || token >= session.token_count) return heads;
    const std::vector<int32_t>& enclosing = session.model.enclosing;
    for (int32_t head = enclosing[token]; head >= 0; head = enclosing[head]) {
        heads.push_back(head);
    }
    return heads;
}

std::string statement_text(const Session& session, int32_t token) {
    int32_t count = static_cast<int32_t>(session.source.size());
    if (token < 0 || token >= count || session.token_count == 0) return "";
    int32_t last = token;
    if (session.model.condition_close[token] >= 0) {
        last = session.model.condition_close[token];
    } else {
        while (last + 1 < count && last - token < 40 &&
               session.source[last].type != TOKEN_SEMICOLON &&
               session.source[last + 1].type != TOKEN_LBRACE &&
               session.source[last + 1].type != TOKEN_EOF) {
            last++;
        }
    }
    size_t start = session.source[token].start;
    std::string text = session.text.substr(start, session.source[last].end - start);
    for (char& c : text) {
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    }
    if (text.size() > 60) text = text.substr(0, 57) + "...";
    return text;
}

Evaluation evaluate_text(Session& session, const std::string& expression) {
    Capture capture(session);
    state.session = &session;
    load_store(session.current.store);
    current_token = session.current.token;
    return compute(expression);
}

int32_t statement_at_line(const Session& session, int32_t line) {
    for (int32_t i = 0; i < session.token_count; i++) {
        if (session.model.statement_start[i] && session.source[i].line >= line) return i;
    }
    return -1;
}
