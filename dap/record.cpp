// Records a run step by step; see record.h.
#include "record.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "engine.h"

using json = nlohmann::json;

std::string record_run(const std::string& text, int64_t limit) {
    Session session;
    start_session(session, text);
    json steps = json::array();
    std::vector<Shown> before;
    bool cut = false;
    for (;;) {
        Stop stop = advance(session, Motion::step_in, 0, 1 << 20);
        if (stop == Stop::end) break;
        if (static_cast<int64_t>(steps.size()) >= limit) {
            cut = true;
            break;
        }
        std::vector<Shown> store = show_store(session.current.store);
        json changes = json::array();
        for (size_t i = 0; i < store.size(); i++) {
            const Shown& entry = store[i];
            bool same = i < before.size() && before[i].value == entry.value &&
                        before[i].kind == entry.kind;
            if (!same) changes.push_back({i, entry.name, entry.value, entry.kind, entry.unread});
        }
        before = std::move(store);
        int32_t token = session.current.token;
        steps.push_back({line_of(session, token), column_of(session, token),
                         depth_of(session, token), session.current.output_length, changes});
        if (stop == Stop::error) break;
    }
    bool failed = !session.error_message.empty();
    json result = {{"steps", steps},
                   {"output", session.output},
                   {"error", failed ? json(session.error_message) : json(nullptr)},
                   {"status", failed ? 1 : 0},
                   {"cut", cut}};
    end_session(session);
    return result.dump(-1, ' ', false, json::error_handler_t::replace);
}
