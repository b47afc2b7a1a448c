// Breakpoints as a run meets them; see breakpoints.h.
#include "breakpoints.h"

#include <cstring>

#include "inspect.h"
#include "output.h"

std::vector<LexedExpression> lex_conditions(const Session& session) {
    std::vector<LexedExpression> conditions;
    for (const Breakpoint& breakpoint : session.breakpoints) {
        conditions.push_back(lex_expression(breakpoint.condition.c_str()));
    }
    return conditions;
}

void free_conditions(std::vector<LexedExpression>& conditions) {
    for (LexedExpression& condition : conditions) free_lexed(condition);
    conditions.clear();
}

bool condition_holds(const LexedExpression& condition) {
    if (condition.tokens.empty() && condition.error.empty()) return true;
    double value = 0.0;
    int32_t end_type = TOKEN_EOF;
    RunStop stop;
    // A condition that cannot be computed stops, to be seen.
    if (!compute_lexed(condition, &value, &end_type, stop) || end_type != TOKEN_EOF) return true;
    return value != 0.0;  // the language's truth: nan holds
}

bool breakpoint_stops(Session& session, int32_t token,
                      const std::vector<LexedExpression>& conditions) {
    bool stop = false;
    for (size_t i = 0; i < session.breakpoints.size(); i++) {
        Breakpoint& breakpoint = session.breakpoints[i];
        if (breakpoint.token != token || !condition_holds(conditions[i])) continue;
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
                LogLine{output_size(session), log_text(breakpoint.log_message)});
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
