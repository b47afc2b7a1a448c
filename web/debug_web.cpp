// What the playground's debugger calls: azuvel-dap's engine, compiled to WebAssembly, holds one
// session for the page's debugger worker. The worker starts it on a text, records the run to its
// end (or to the step limit) in slices, and then moves through it: each move replays from the
// engine's snapshots, so no step is copied and any step is reached quickly.
//
// Memory stays bounded whatever the script does: the engine keeps a bounded number of snapshots
// and of the output its first bytes and its last (engine.h), and a recording stops ("cut") at
// the page's step limit. The page keeps its own copy of the output's first bytes once, and shows
// a prefix of it by each step's output length.
#include "debug_web.h"

#include <emscripten/emscripten.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

using json = nlohmann::json;

namespace {

// Parallel to the page's motion numbers; "record" runs on past every breakpoint.
enum WebMotion : int32_t { WEB_STEP_IN, WEB_STEP_OVER, WEB_STEP_OUT, WEB_RUN, WEB_RECORD };

Session session;
int64_t step_limit = 0;     // the last step a recording may reach
bool cut = false;           // the recording stopped at step_limit before the run ended
int64_t origin_depth = 0;   // the block depth a step over or out started from
std::vector<std::string> watch_list;  // the page's watch expressions

// How a move ended, as the page reads it; a stop of another kind (a watched write) reads as a
// breakpoint's.
const char* stop_name(Stop stop) {
    switch (stop) {
        case Stop::step:
            return "step";
        case Stop::slice:
            return "slice";
        case Stop::error:
            return "error";
        case Stop::end:
            return "end";
        default:
            return "breakpoint";
    }
}

// A malloc'd copy of a JSON text, which the page frees.
char* to_page(const json& value) {
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// An expression's value in the current state, for a watch or the console.
json evaluation(const std::string& expression) {
    if (!session.loaded) {
        return {{"expression", expression}, {"ok", false}, {"kind", ""},
                {"value", session.error_message}, {"print", session.error_message}};
    }
    Evaluation result = evaluate_text(session, expression);
    json answer = {{"expression", expression}, {"ok", result.ok}, {"kind", result.kind}};
    answer["value"] = result.ok ? result.exact : result.value;
    answer["print"] = result.value;
    return answer;
}

// The store as show_store gives it: each number exactly, and as print shows it.
json store_json() {
    json entries = json::array();
    for (const Shown& entry : show_store(session.current.store)) {
        entries.push_back({{"name", entry.name},
                           {"kind", entry.kind},
                           {"unread", entry.unread},
                           {"value", entry.exact},
                           {"print", entry.value}});
    }
    return entries;
}

// The last position the page can go to: the end or the error once known, else the furthest step
// recorded.
int64_t last_position() {
    if (session.ended) return session.last_step;
    return std::min(std::max(session.frontier, session.current.step), step_limit);
}

// Where the session stands, as the page shows it; `stop` says how the last move ended.
json state_json(const char* stop) {
    const Snapshot& at = session.current;
    bool failed = !session.error_message.empty();
    json state = {{"step", at.step},
                  {"line", line_of(session, at.token)},
                  {"column", column_of(session, at.token)},
                  {"depth", depth_of(session, at.token)},
                  {"output_length", at.output_length},
                  {"store", store_json()},
                  {"ended", session.ended},
                  {"last", last_position()},
                  {"error", failed ? json(session.error_message) : json(nullptr)},
                  {"cut", cut},
                  {"limit", step_limit},
                  {"stop", stop}};
    if (failed) state["error_line"] = session.error_line;
    json values = json::array();
    for (const std::string& watch : watch_list) values.push_back(evaluation(watch));
    state["watches"] = values;
    return state;
}

// Steps a forward motion may still take before the limit.
int64_t room() {
    return step_limit - session.current.step;
}

// At the limit: a run whose next stop is its end or its error was not cut, and goes there; any
// other is, and stays.
const char* at_limit() {
    if (cut) return "cut";
    int64_t at = session.current.step;
    std::vector<Breakpoint> kept;
    kept.swap(session.breakpoints);
    Stop stop = advance(session, Motion::step_in, 0, 1);
    kept.swap(session.breakpoints);
    if (stop == Stop::end || stop == Stop::error) return stop_name(stop);
    go_to_step(session, at);
    cut = true;
    return "cut";
}

// Runs a motion for at most `budget` steps; WEB_RECORD runs past every breakpoint, counting no
// hit. The recording is cut where it reaches the limit, or the output limit, before the end.
const char* move(int32_t motion, bool fresh, int64_t budget) {
    if (session.ended && session.current.step >= session.last_step) {
        return session.error_message.empty() ? "end" : "error";
    }
    budget = std::min(budget, room());
    if (budget <= 0) return at_limit();
    if (fresh) origin_depth = depth_of(session, session.current.token);
    static const Motion motions[] = {Motion::step_in, Motion::step_over, Motion::step_out,
                                     Motion::run, Motion::run};
    std::vector<Breakpoint> kept;
    if (motion == WEB_RECORD) kept.swap(session.breakpoints);
    Stop stop = advance(session, motions[std::clamp(motion, 0, 4)], origin_depth, budget);
    if (motion == WEB_RECORD) kept.swap(session.breakpoints);
    if (stop != Stop::slice) return stop_name(stop);
    return room() > 0 ? "slice" : at_limit();
}

}  // namespace

Session& playground_session() {
    return session;
}

extern "C" {

// Starts a session on a text, with no breakpoint; a recording may reach `limit` steps.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_start(const char* text, double limit) {
    start_session(session, text);
    step_limit = std::max<int64_t>(1, static_cast<int64_t>(limit));
    cut = false;
    origin_depth = 0;
    return to_page(state_json("start"));
}

// Moves forward: motion 0 step in, 1 step over, 2 step out, 3 to a breakpoint, 4 on past every
// breakpoint (the recording); `fresh` starts the motion (a slice goes on with it), for at most
// `budget` steps. The state's "stop" is "slice" when the budget ran out first, "cut" at the limit.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_advance(int32_t motion, int32_t fresh, double budget) {
    const char* stop = move(motion, fresh != 0, std::max<int64_t>(1, static_cast<int64_t>(budget)));
    return to_page(state_json(stop));
}

// Goes to a step already recorded (1 up to the last position).
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_go_to(double step) {
    bool there = go_to_step(session, static_cast<int64_t>(step));
    return to_page(state_json(there ? "step" : "none"));
}

// One step back; from the error's stop, to the statement before the one that raised it.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_step_back() {
    bool moved = step_back(session);
    return to_page(state_json(moved ? "step" : "start"));
}

// Back to the last step before this one where a breakpoint's condition holds, or to step 1.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_reverse_continue() {
    bool found = reverse_continue(session);
    return to_page(state_json(found ? "breakpoint" : "start"));
}

// Replaces the breakpoints with [{"line", "condition", "hitCondition"}...]; the answer gives each
// one's line, moved to the next statement, or null and why not. Hit counts start again.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_set_breakpoints(const char* list) {
    json asked = json::parse(list, nullptr, false);
    session.breakpoints.clear();
    json answered = json::array();
    if (!asked.is_array()) return to_page(answered);
    for (const json& wanted : asked) {
        int32_t line = wanted.is_object() ? wanted.value("line", 0) : 0;
        std::string condition = wanted.is_object() ? wanted.value("condition", "") : "";
        std::string hit = wanted.is_object() ? wanted.value("hitCondition", "") : "";
        int32_t token = statement_at_line(session, line);
        if (!hit.empty() && check_hit_condition(hit, 0) < 0) {
            answered.push_back({{"line", nullptr},
                                {"message", "a hit count is a number, alone or after ==, >, >=, "
                                            "<, <= or %"}});
        } else if (token < 0) {
            answered.push_back({{"line", nullptr}, {"message", "no statement on or after it"}});
        } else {
            session.breakpoints.push_back(Breakpoint{token, condition, hit, "", 0});
            answered.push_back({{"line", line_of(session, token)}});
        }
    }
    return to_page(answered);
}

// Replaces the watch expressions with a JSON list of texts; the answer is the state with them.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_set_watches(const char* list) {
    json asked = json::parse(list, nullptr, false);
    watch_list.clear();
    if (asked.is_array()) {
        for (const json& expression : asked) {
            if (expression.is_string()) watch_list.push_back(expression);
        }
    }
    return to_page(state_json("step"));
}

// An expression in the current state: {"ok", "value", "print", "kind"}; a failure's value is
// the language's message.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_evaluate(const char* expression) {
    return to_page(evaluation(expression));
}

// Where the session stands.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_state() {
    return to_page(state_json("step"));
}

// The first bytes of the output up to the current step, as the session keeps them, read in
// place by the worker.
EMSCRIPTEN_KEEPALIVE const char* azuvel_debug_output() {
    return session.output.data();
}

// How many bytes of it the session keeps.
EMSCRIPTEN_KEEPALIVE double azuvel_debug_output_length() {
    return static_cast<double>(session.output.size());
}

// The whole output's length up to the current step, also past what the session keeps.
EMSCRIPTEN_KEEPALIVE double azuvel_debug_output_total() {
    return static_cast<double>(output_size(session));
}

}  // extern "C"
