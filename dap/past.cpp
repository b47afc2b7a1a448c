// Questions about a recorded run's past; see past.h. Each walks the snapshots' intervals, skips
// those whose counts say they cannot hold the answer, and replays the rest (replay.h) until it
// has it: for a run of millions of steps, one or two intervals.
#include "past.h"

#include <algorithm>
#include <cstring>

#include "inspect.h"
#include "interpreter.h"
#include "output.h"
#include "replay.h"

namespace {

// The last step whose statement has run (or raised the run's error): the furthest step run is
// the one about to run, until the run has ended.
int64_t last_known(const Session& session) {
    return session.ended ? session.last_step - 1 : session.frontier - 1;
}

// Whether interval `index` began a statement at one of the marked tokens.
bool interval_meets(const Session& session, size_t index, const std::vector<char>& marks) {
    const std::vector<uint32_t>& begun = session.snapshots[index].begun;
    for (size_t t = 0; t < begun.size() && t < marks.size(); t++) {
        if (marks[t] && begun[t] != 0) return true;
    }
    return false;
}

// How many steps of the run began a statement at one of the marked tokens, but the furthest step
// run while its statement has not run.
int64_t count_begun(const Session& session, const std::vector<char>& marks) {
    int64_t count = 0;
    if (!session.ended && session.frontier > 0 && marks[session.frontier_token]) count--;
    for (const Snapshot& snapshot : session.snapshots) {
        for (size_t t = 0; t < snapshot.begun.size() && t < marks.size(); t++) {
            if (marks[t]) count += snapshot.begun[t];
        }
    }
    return count;
}

// Whether the statement begun at `step` at `token` wrote, given the tokens that write a name.
bool writes_at(const Session& session, const std::vector<char>& writes, int64_t step,
               int32_t token) {
    return token >= 0 && writes[token] && step >= 1 && step <= last_known(session) &&
           step != session.error_step;
}

// The entry a statement about to run writes: a var's new entry, or the one an assignment's name
// means; -1 when there is none.
int32_t entry_written(const Session& session, int32_t token, const std::string& name) {
    if (session.source[token].type == TOKEN_VAR) return var_count;
    return first_entry(vars, var_count, name.c_str());
}

// A store entry as a history shows it.
Written written(PastStep at, const Variable& entry) {
    if (entry.is_string) return Written{at, entry.string, entry.string, "string"};
    char exact[32], printed[32];
    return Written{at, std::string(exact, format_exact(entry.number, exact)),
                   std::string(printed, format_number(entry.number, printed)), "number"};
}

// The writes of a name in interval `index`, in order, with the values they left; `keep` says
// which to keep as they come (the collected ones so far), false to stop.
void writes_in(Session& session, size_t index, const std::string& name,
               const std::vector<char>& writes,
               const std::function<bool(std::vector<Written>&)>& keep,
               std::vector<Written>& found) {
    PastStep pending;
    int32_t pending_entry = -1;
    int64_t end = interval_end(session, index);
    replay_steps(session, index, end, [&](int64_t step, int32_t token) {
        if (pending.step != 0) {
            if (pending_entry >= 0 && pending_entry < var_count) {
                found.push_back(written(pending, vars[pending_entry]));
                if (!keep(found)) return false;
            }
            pending = PastStep{};
        }
        if (step < end && writes_at(session, writes, step, token)) {
            pending = PastStep{step, token};
            pending_entry = entry_written(session, token, name);
        }
        return true;
    });
}

// The offset where output line `line` (from 1) begins, from the kept output or by a replay of
// the interval that printed the newline before it; false when the output has no such line.
bool line_start(Session& session, int64_t line, size_t& offset) {
    if (line == 1) {
        offset = 0;
        return true;
    }
    int64_t wanted = line - 1;  // the newlines before it
    size_t seen = 0;
    const std::string& head = session.output;
    for (size_t at = 0; at < head.size(); at++) {
        if (head[at] == '\n' && static_cast<int64_t>(++seen) == wanted) {
            offset = at + 1;
            return true;
        }
    }
    size_t index = 0;
    for (size_t i = 0; i < session.snapshots.size(); i++) {
        if (session.snapshots[i].output_newlines < wanted) index = i;
    }
    const Snapshot& from = session.snapshots[index];
    size_t to = index + 1 < session.snapshots.size() ? session.snapshots[index + 1].output_length
                                                     : SIZE_MAX;
    std::string printed = replay_output(session, index, from.output_length, to);
    int64_t count = from.output_newlines;
    for (size_t at = 0; at < printed.size(); at++) {
        if (printed[at] == '\n' && ++count == wanted) {
            offset = from.output_length + at + 1;
            return true;
        }
    }
    return false;
}

}  // namespace

size_t snapshot_before(const Session& session, int64_t step) {
    size_t index = 0;
    for (size_t i = 0; i < session.snapshots.size() && session.snapshots[i].step <= step; i++) {
        index = i;
    }
    return index;
}

size_t snapshot_before_output(const Session& session, size_t offset) {
    size_t index = 0;
    for (size_t i = 0; i < session.snapshots.size(); i++) {
        if (session.snapshots[i].output_length <= offset) index = i;
    }
    return index;
}

int64_t interval_end(const Session& session, size_t index) {
    if (index + 1 < session.snapshots.size()) return session.snapshots[index + 1].step;
    return (session.ended ? session.last_step : session.frontier) + 1;
}

std::vector<char> writes_of(const Session& session, const std::string& name) {
    std::vector<char> writes(static_cast<size_t>(session.token_count) + 1, 0);
    auto is_name = [&](int32_t at) {
        const SourceToken& token = session.source[at];
        return token.type == TOKEN_IDENTIFIER && token.end - token.start == name.size() &&
               session.text.compare(token.start, name.size(), name) == 0;
    };
    for (int32_t t = 0; t + 1 < session.token_count; t++) {
        if (!session.model.statement_start[t]) continue;
        TokenType type = session.source[t].type;
        TokenType next = session.source[t + 1].type;
        writes[t] = (type == TOKEN_VAR && is_name(t + 1)) ||
                    (type == TOKEN_IDENTIFIER && next == TOKEN_ASSIGN && is_name(t));
    }
    return writes;
}

bool declared_name(const Session& session, const std::string& name) {
    std::vector<char> writes = writes_of(session, name);
    for (int32_t t = 0; t < session.token_count; t++) {
        if (writes[t] && session.source[t].type == TOKEN_VAR) return true;
    }
    return false;
}

PastStep printed_byte(Session& session, size_t offset) {
    size_t index = snapshot_before_output(session, offset);
    PastStep before, found;
    replay_steps(session, index, interval_end(session, index), [&](int64_t step, int32_t token) {
        if (replayed_output_size() > offset) {
            found = before;
            return false;
        }
        before = PastStep{step, token};
        return true;
    });
    return found;
}

PastStep printed_line(Session& session, int64_t line) {
    size_t offset = 0;
    if (line < 1 || !line_start(session, line, offset)) return PastStep{};
    return printed_byte(session, offset);
}

Writes writes_around(Session& session, const std::string& name, int64_t step) {
    Writes answer;
    std::vector<char> writes = writes_of(session, name);
    for (size_t i = snapshot_before(session, step - 1) + 1; i-- > 0 && answer.last.step == 0;) {
        if (!interval_meets(session, i, writes)) continue;
        int64_t end = std::min(interval_end(session, i), step);
        replay_steps(session, i, end, [&](int64_t at, int32_t token) {
            if (at < step && writes_at(session, writes, at, token)) answer.last = {at, token};
            return true;
        });
    }
    for (size_t i = snapshot_before(session, step + 1);
         i < session.snapshots.size() && answer.next.step == 0; i++) {
        if (!interval_meets(session, i, writes)) continue;
        replay_steps(session, i, interval_end(session, i), [&](int64_t at, int32_t token) {
            if (at > step && writes_at(session, writes, at, token)) {
                answer.next = {at, token};
                return false;
            }
            return true;
        });
    }
    return answer;
}

History history_of(Session& session, const std::string& name, size_t few) {
    History history;
    std::vector<char> writes = writes_of(session, name);
    history.count = count_begun(session, writes);
    if (session.error_step > 0 && writes[session.final_point.token]) history.count--;
    if (few == 0) return history;
    for (size_t i = 0; i < session.snapshots.size() && history.first.size() < few; i++) {
        if (!interval_meets(session, i, writes)) continue;
        writes_in(
            session, i, name, writes,
            [few](std::vector<Written>& found) { return found.size() < few; }, history.first);
    }
    for (size_t i = session.snapshots.size(); i-- > 0 && history.last.size() < few;) {
        if (!interval_meets(session, i, writes)) continue;
        std::vector<Written> found;
        writes_in(
            session, i, name, writes,
            [few](std::vector<Written>& kept) {
                if (kept.size() > few) kept.erase(kept.begin());
                return true;
            },
            found);
        size_t take = std::min(found.size(), few - history.last.size());
        history.last.insert(history.last.begin(), found.end() - take, found.end());
    }
    return history;
}

LogRun log_over_run(Session& session, int32_t line, const std::string& message, size_t limit) {
    LogRun run;
    run.token = statement_at_line(session, line);
    if (run.token < 0) return run;
    std::vector<char> marks(static_cast<size_t>(session.token_count) + 1, 0);
    marks[run.token] = 1;
    run.count = count_begun(session, marks);
    for (size_t i = 0; i < session.snapshots.size() && run.lines.size() < limit; i++) {
        if (!interval_meets(session, i, marks)) continue;
        replay_steps(session, i, interval_end(session, i), [&](int64_t step, int32_t token) {
            if (token != run.token || step < 1 || step > last_known(session)) return true;
            // A snapshot's step is seen by the interval that starts there, never by the one before.
            if (i + 1 < session.snapshots.size() && step >= session.snapshots[i + 1].step) {
                return false;
            }
            run.lines.push_back(Logged{step, log_text(message)});
            return run.lines.size() < limit;
        });
    }
    return run;
}

std::string output_between(Session& session, size_t from, size_t to) {
    if (from >= to) return "";
    if (to <= session.output.size()) return session.output.substr(from, to - from);
    if (from >= session.output_tail_start && to <= output_size(session)) {
        return session.output_tail.substr(from - session.output_tail_start, to - from);
    }
    return replay_output(session, snapshot_before_output(session, from), from, to);
}
