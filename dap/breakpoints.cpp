// Breakpoints as a run meets them; see breakpoints.h.
#include "breakpoints.h"

#include <cstring>

#include "inspect.h"
#include "output.h"

bool condition_holds(const Breakpoint& breakpoint) {
    if (breakpoint.condition.empty()) return true;
    Evaluation result = compute(breakpoint.condition);
    if (!result.ok) return true;  // a condition that cannot be computed stops, to be seen
    return result.number != 0.0;  // the language's truth: nan holds
}

// Breakpoints at the statement about to run, going forward: true to stop.
bool breakpoint_stops(Session& session, int32_t token) {
    bool stop = false;
    for (Breakpoint& breakpoint : session.breakpoints) {
        if (breakpoint.token != token || !condition_holds(breakpoint)) continue;
        breakpoint.hits++;
        if (!breakpoint.hit_condition.empty() &&
            check_hit_condition(breakpoint.hit_condition, breakpoint.hits) == 0) {
            continue;
        }
        if (breakpoint.log_message.empty()) {
            stop = true;
        } else {
            flush_output();  // the log line goes after what was printed before it
            session.log_lines.push_back(
                LogLine{session.output.size(), log_text(breakpoint.log_message)});
        }
    }
    return stop;
}

std::vector<char> breakpoint_marks(const Session& session) {
    std::vector<char> marks(static_cast<size_t>(session.token_count) + 1, 0);
    for (const Breakpoint& breakpoint : session.breakpoints) {
        if (breakpoint.token >= 0 && breakpoint.token < session.token_count) {
            marks[breakpoint.token] = 1;
        }
    }
    return marks;
}

int check_hit_condition(const std::string& text, int64_t hits) {
    size_t at = 0;
    auto skip_spaces = [&] {
        while (at < text.size() && text[at] == ' ') at++;
    };
    skip_spaces();
    std::string op;
    while (at < text.size() && std::strchr("<>=%", text[at]) != nullptr) op += text[at++];
    skip_spaces();
    int64_t number = 0;
    size_t digits = 0;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 18) {
        number = number * 10 + (text[at++] - '0');
        digits++;
    }
    skip_spaces();
    if (digits == 0 || at != text.size()) return -1;
    if (op.empty() || op == ">=") return hits >= number;
    if (op == "==" || op == "=") return hits == number;
    if (op == ">") return hits > number;
    if (op == "<") return hits < number;
    if (op == "<=") return hits <= number;
    if (op == "%") return number > 0 && hits % number == 0;
    return -1;
}
