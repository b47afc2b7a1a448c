// The engine's answers about the past, held to a plain walk through the same run, one step at a
// time, which knows nothing of the snapshots' interval counts:
// - for every output line, the step the engine names printed its first byte: going to that step
//   and one more adds the bytes that hold it (exactly the line, when one print wrote it whole);
// - for every name a var declares and a spread of steps, the last write before the step and the
//   next after it are the walk's: a statement that reads "var NAME =" or "NAME =" and ran to its
//   end (a var added an entry of that name, an assignment left a number), with no such
//   statement between;
// - a name's history has the walk's count, steps and values; a log point set after the fact
//   meets the walk's passes; reverse continue to a data breakpoint visits the walk's writes, and
//   to a condition stops where the walk's store last met it.
// The session asked runs with small intervals, few snapshots and little output kept, so that
// skipping intervals, joining their counts and printing output again by replay are what it
// tests.
//
//   dap_past_test SCRIPT_OR_DIR...
#include "past.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "output.h"

namespace {

constexpr int64_t MAX_WALK = 3000;  // steps walked per script
constexpr int64_t MAX_ASKED = 120;  // steps asked about per name

struct Counts {
    int64_t scripts = 0, lines = 0, whole_lines = 0, asked = 0, writes = 0, histories = 0, logs = 0,
            reverse = 0, conditions = 0;
} counts;
int failures = 0;

void fail(const std::string& script, const std::string& what) {
    if (++failures <= 20) std::printf("FAIL %s: %s\n", script.c_str(), what.c_str());
}

// What the walk saw at a step, before its statement ran.
struct Seen {
    int32_t token;
    size_t output;
    std::vector<Variable> store;
};

// A number's exact text.
std::string exact(double number) {
    char text[32];
    return std::string(text, format_exact(number, text));
}

// The walk's writes of `name`: the steps whose statement reads as a write and did write.
std::vector<int64_t> walk_writes(Session& walk, const std::vector<Seen>& seen,
                                 const std::string& name, std::vector<std::string>& values) {
    std::regex declares("^var\\s+" + name + "\\s*=.*");
    std::regex assigns("^" + name + "\\s*=[^=].*");
    std::vector<int64_t> steps;
    for (size_t i = 1; i + 1 < seen.size(); i++) {
        std::string text = statement_text(walk, seen[i].token);
        const std::vector<Variable>& before = seen[i].store;
        const std::vector<Variable>& after = seen[i + 1].store;
        // The statement just before the error's stop wrote nothing when it raised the error.
        bool failed = i + 2 == seen.size() && walk.ended && !walk.error_message.empty() &&
                      seen[i + 1].token == seen[i].token;
        if (failed) continue;
        if (std::regex_match(text, declares)) {
            if (after.size() != before.size() + 1 || name != after.back().name) continue;
            values.push_back(after.back().is_string ? after.back().string
                                                    : exact(after.back().number));
        } else if (std::regex_match(text, assigns)) {
            int32_t entry =
                first_entry(after.data(), static_cast<int32_t>(after.size()), name.c_str());

            if (entry < 0 || after[entry].is_string) continue;
            values.push_back(exact(after[entry].number));
        } else {
            continue;
        }
        steps.push_back(static_cast<int64_t>(i));
    }
    return steps;
}

// Walks the run one step at a time: seen[s] is step s (seen[0] unused), and one more entry for
// the stop after the last step walked.
std::vector<Seen> walk_run(Session& walk) {
    std::vector<Seen> seen(1);
    for (;;) {
        Stop stop = advance(walk, Motion::step_in, 0, 1);
        if (stop == Stop::end) {
            seen.push_back(Seen{-1, walk.current.output_length, walk.current.store});
            break;
        }
        seen.push_back(Seen{walk.current.token, walk.current.output_length, walk.current.store});
        if (stop == Stop::error || static_cast<int64_t>(seen.size()) > MAX_WALK) break;
    }
    return seen;
}

void check_lines(const std::string& script, Session& asked, const std::vector<Seen>& seen,
                 const std::string& output) {
    size_t start = 0;
    for (int64_t line = 1; start < output.size(); line++) {
        size_t end = output.find('\n', start);
        end = end == std::string::npos ? output.size() : end + 1;
        int64_t expected = 0;
        for (size_t s = 1; s + 1 < seen.size(); s++) {
            if (seen[s].output <= start && start < seen[s + 1].output) expected = s;
        }
        PastStep named = printed_line(asked, line);
        counts.lines++;
        if (named.step != expected) {
            fail(script, "output line " + std::to_string(line) + ": step " +
                             std::to_string(named.step) + ", the walk says " +
                             std::to_string(expected));
        } else if (named.step > 0) {
            go_to_step(asked, named.step);
            size_t before = output_size(asked);
            go_to_step(asked, named.step + 1);
            std::string added = output_between(asked, before, output_size(asked));
            std::string text = output.substr(start, end - start);
            if (before > start || before + added.size() <= start ||
                output.compare(before, added.size(), added) != 0) {
                fail(script, "step " + std::to_string(named.step) + " does not print line " +
                                 std::to_string(line));
            }
            if (added == text) counts.whole_lines++;
        }
        start = end;
    }
}

// Reverse continue from the last step to a breakpoint with a condition on `name`, at the statement
// after a write in the middle of the run, stops where the walk's store last met it there.
void check_conditions(const std::string& script, Session& walk, Session& asked,
                      const std::vector<Seen>& seen, const std::string& name,
                      const std::vector<int64_t>& writes, const std::vector<std::string>& values) {
    if (writes.empty()) return;
    size_t middle = writes.size() / 2;
    int64_t known = static_cast<int64_t>(seen.size()) - 1;
    std::string value = values[middle];
    if (value.find_first_not_of("0123456789.") != std::string::npos ||
        static_cast<size_t>(writes[middle] + 1) >= seen.size()) {
        return;  // a literal cannot be negative, an exponent or not a number
    }
    int32_t token = seen[writes[middle] + 1].token;
    if (token < 0) return;
    Snapshot kept = walk.current;
    for (const std::string& condition :
         {name + " == " + value, name + " > " + value, name + " < " + value,
          "(" + name + " - " + value + ") * (" + name + " - " + value + ") < 1",
          name + " / 2 == " + value + " / 2 + 0 * undeclared", name + " +", value + " < " + name,
          value + " > " + name, value + " != " + name}) {
        int64_t expected = 1;
        for (int64_t step = known - 1; step >= 1 && expected == 1; step--) {
            if (seen[step].token != token) continue;
            walk.current.store = seen[step].store;
            walk.current.token = token;
            Evaluation result = evaluate_text(walk, condition);
            if (!result.ok || result.number != 0.0) expected = step;
        }
        go_to_step(asked, known);
        asked.breakpoints = {Breakpoint{token, condition, "", "", 0}};
        reverse_run(asked);
        asked.breakpoints.clear();
        counts.conditions++;
        if (asked.current.step != expected) {
            fail(script, "reverse continue to \"" + condition + "\" stops at step " +
                             std::to_string(asked.current.step) + ", the walk says " +
                             std::to_string(expected));
        }
    }
    walk.current = kept;
}

void check_name(const std::string& script, Session& walk, Session& asked,
                const std::vector<Seen>& seen, const std::string& name) {
    std::vector<std::string> values;
    std::vector<int64_t> writes = walk_writes(walk, seen, name, values);
    int64_t known = static_cast<int64_t>(seen.size()) - 1;  // the last step asked about
    std::set<int64_t> steps;
    for (int64_t s = 1; s <= known; s += std::max<int64_t>(1, known / MAX_ASKED)) steps.insert(s);
    for (int64_t w : writes) steps.insert({w, w + 1});
    for (int64_t step : steps) {
        if (step > known) continue;
        Writes found = writes_around(asked, name, step);
        auto after = std::upper_bound(writes.begin(), writes.end(), step);
        auto before = std::lower_bound(writes.begin(), writes.end(), step);
        int64_t last = before == writes.begin() ? 0 : *(before - 1);
        int64_t next = after == writes.end() ? 0 : *after;
        counts.asked++;
        counts.writes += (found.last.step != 0) + (found.next.step != 0);
        if (found.last.step != last || found.next.step != next) {
            fail(script, name + " around step " + std::to_string(step) + ": last " +
                             std::to_string(found.last.step) + " next " +
                             std::to_string(found.next.step) + ", the walk says " +
                             std::to_string(last) + " and " + std::to_string(next));
            return;
        }
    }
    History history = history_of(asked, name, 3);
    counts.histories++;
    // A history as text: its count, then "step=value" for the first few and the last few.
    auto add = [](std::string& to, int64_t step, const std::string& value) {
        to += ' ';
        to += std::to_string(step);
        to += '=';
        to += value;
    };
    std::string got = std::to_string(history.count), wanted = std::to_string(writes.size());
    size_t few = std::min<size_t>(3, writes.size());
    for (const Written& write : history.first) add(got, write.at.step, write.value);
    for (const Written& write : history.last) add(got, write.at.step, write.value);
    for (size_t i = 0; i < few; i++) add(wanted, writes[i], values[i]);
    for (size_t i = writes.size() - few; i < writes.size(); i++) add(wanted, writes[i], values[i]);
    if (got != wanted) fail(script, "history of " + name + ": " + got + ", the walk: " + wanted);
    check_conditions(script, walk, asked, seen, name, writes, values);
    if (writes.size() > 200) return;
    go_to_step(asked, known);
    asked.watches = {name};
    std::vector<int64_t> visited;
    while (reverse_run(asked) == Stop::data_breakpoint) visited.push_back(asked.current.step);
    asked.watches.clear();
    std::reverse(visited.begin(), visited.end());
    counts.reverse += static_cast<int64_t>(visited.size());
    if (visited == writes) return;
    std::string stops;
    for (int64_t step : visited) stops += std::to_string(step) + " ";
    fail(script, "reverse continue to writes of " + name + " visits " + stops + "(the walk has " +
                     std::to_string(writes.size()) + " writes)");
}

void check_script(const std::string& script, const std::string& text) {
    Session walk;
    start_session(walk, text);
    walk.interval = int64_t{1} << 40;
    std::vector<Seen> seen = walk_run(walk);
    int64_t walked = static_cast<int64_t>(seen.size()) - 2;

    Session asked;
    start_session(asked, text);
    asked.interval = 5;
    asked.max_snapshots = 8;
    asked.max_output = 16;
    advance(asked, Motion::run, 0, walked + 1);
    counts.scripts++;
    std::string output = output_between(asked, 0, output_size(asked));
    if (output != walk.output) fail(script, "the output kept and printed again differs");
    check_lines(script, asked, seen, walk.output);
    std::set<std::string> names;
    for (int32_t t = 0; t + 1 < walk.token_count; t++) {
        if (walk.source[t].type == TOKEN_VAR && walk.source[t + 1].type == TOKEN_IDENTIFIER) {
            const SourceToken& name = walk.source[t + 1];
            names.insert(walk.text.substr(name.start, name.end - name.start));
        }
    }
    for (const std::string& name : names) check_name(script, walk, asked, seen, name);
    // A log point after the fact at each statement's line meets the walk's passes there.
    for (int32_t t = 0; t < walk.token_count; t++) {
        if (!walk.model.statement_start[t]) continue;
        LogRun run = log_over_run(asked, line_of(walk, t), "{1}", 5);
        int64_t passes = 0;
        for (size_t s = 1; s + 1 < seen.size(); s++) passes += seen[s].token == run.token;
        counts.logs++;
        if (run.count != passes) fail(script, "a log point's passes differ from the walk");
    }
    end_session(asked);
    end_session(walk);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; i++) {
        if (!std::filesystem::is_directory(argv[i])) {
            scripts.push_back(argv[i]);
            continue;
        }
        for (const auto& entry : std::filesystem::recursive_directory_iterator(argv[i])) {
            if (entry.path().extension() == ".az") scripts.push_back(entry.path());
        }
    }
    std::sort(scripts.begin(), scripts.end());
    for (const std::string& script : scripts) check_script(script, read_file(script));
    std::printf(
        "%lld scripts: %lld output lines (%lld printed whole by one statement), %lld questions "
        "of last and next writes (%lld writes named), %lld histories, %lld log points, %lld "
        "data breakpoint stops in reverse, %lld reverse continues to a condition; %d failed\n",
        static_cast<long long>(counts.scripts), static_cast<long long>(counts.lines),
        static_cast<long long>(counts.whole_lines), static_cast<long long>(counts.asked),
        static_cast<long long>(counts.writes), static_cast<long long>(counts.histories),
        static_cast<long long>(counts.logs), static_cast<long long>(counts.reverse),
        static_cast<long long>(counts.conditions), failures);
    return failures == 0 ? 0 : 1;
}
