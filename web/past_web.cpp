// What the playground asks about a recorded run's past (dap/past.h), over its one debugger
// session: which step printed an output line, a variable's last and next writes, its history, and
// a log point over the whole run. Each export returns a malloc'd JSON text the page frees; lines
// and columns are 1-based, as line_of and column_of give them.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "debug_web.h"
#include "past.h"

using json = nlohmann::json;

namespace {

constexpr size_t HISTORY_FEW = 5;   // values at each end of a history
constexpr size_t LOG_LIMIT = 1000;  // a log point's lines

// A JSON text in memory the page frees.
char* to_page(const json& value) {
    std::string text = value.dump(-1, ' ', false, json::error_handler_t::replace);
    char* copy = static_cast<char*>(std::malloc(text.size() + 1));
    if (copy != nullptr) std::memcpy(copy, text.c_str(), text.size() + 1);
    return copy;
}

// A step and where its statement stands, or null for none.
json place(const Session& session, PastStep at) {
    if (at.step == 0) return nullptr;
    return {{"step", at.step},
            {"line", line_of(session, at.token)},
            {"column", column_of(session, at.token)}};
}

// Whether the session holds a run to ask about.
bool recorded(const Session& session) {
    return !session.snapshots.empty() && session.token_count > 0;
}

// A history's values, each with its place.
json written_list(const Session& session, const std::vector<Written>& list) {
    json out = json::array();
    for (const Written& write : list) {
        json entry = place(session, write.at);
        entry["value"] = write.value;
        entry["print"] = write.printed;
        out.push_back(entry);
    }
    return out;
}

}  // namespace

// The playground's debugger module (debug_web.cpp) defines the one session; this weak one stands
// in where that module is not linked, so that these exports link alone.
[[gnu::weak]] Session& playground_session() {
    static Session session;
    return session;
}

extern "C" {

// {"step","line","column"} of the step that printed output line `output_line` (from 1), or null.
EMSCRIPTEN_KEEPALIVE char* azuvel_past_printed_by(int32_t output_line) {
    Session& session = playground_session();
    if (!recorded(session)) return to_page(nullptr);
    return to_page(place(session, printed_line(session, output_line)));
}

// {"last": place or null, "next": place or null}: the writes of `name` around `step`.
EMSCRIPTEN_KEEPALIVE char* azuvel_past_writes(const char* name, double step) {
    Session& session = playground_session();
    if (!recorded(session)) return to_page({{"last", nullptr}, {"next", nullptr}});
    Writes writes = writes_around(session, name, static_cast<int64_t>(step));
    return to_page({{"last", place(session, writes.last)}, {"next", place(session, writes.next)}});
}

// {"count", "first": [...], "last": [...]}, each value with its place, exact and as print shows
// it.
EMSCRIPTEN_KEEPALIVE char* azuvel_past_history(const char* name) {
    Session& session = playground_session();
    if (!recorded(session)) {
        return to_page({{"count", 0}, {"first", json::array()}, {"last", json::array()}});
    }
    History history = history_of(session, name, HISTORY_FEW);
    return to_page({{"count", history.count},
                    {"first", written_list(session, history.first)},
                    {"last", written_list(session, history.last)}});
}

// [{"step", "text"}...]: a log point at `line` over the whole run, the first LOG_LIMIT of it.
EMSCRIPTEN_KEEPALIVE char* azuvel_past_log(int32_t line, const char* message) {
    Session& session = playground_session();
    json out = json::array();
    if (recorded(session)) {
        for (const Logged& logged : log_over_run(session, line, message, LOG_LIMIT).lines) {
            out.push_back({{"step", logged.step}, {"text", logged.text}});
        }
    }
    return to_page(out);
}

}  // extern "C"
