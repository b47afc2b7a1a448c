// How long the debugger's engine takes to answer questions about the past of a run of 10 million
// statements, run to its end once: which step printed an output line, the last and next write of
// a name, a name's history, a log point over the whole run, and reverse continue to a
// conditional breakpoint and to a data breakpoint about 5 million steps back. Built natively and
// with Emscripten (run under Node) by bench/dap_past.
//
//   dap_past_bench [STATEMENTS]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "past.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds a call takes: the median and the slowest of `rounds`.
struct Timing {
    double median, slowest;
};
Timing time_it(int rounds, const std::function<void()>& body) {
    std::vector<double> times;
    for (int i = 0; i < rounds; i++) {
        Clock::time_point start = Clock::now();
        body();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return Timing{times[times.size() / 2], times.back()};
}

// A row of the table: the answer is read once the timing is done.
void row(const std::string& what, Timing timing, const std::function<std::string()>& answer) {
    std::printf("| %s | %.1f ms | %.1f ms | %s |\n", what.c_str(), timing.median, timing.slowest,
                answer().c_str());
}

// The script: five statements a pass (the if's block one more every 1000th), a print every
// 1000th pass, and `mark` written once, half way.
std::string script(int64_t passes) {
    std::string half = std::to_string(passes / 2);
    return "var i = 0;\n"      // 1
           "var total = 0;\n"  // 2
           "var c = 0;\n"      // 3
           "var mark = 0;\n"   // 4
           "while (i < " +
           std::to_string(passes) +
           ") {\n"                                             // 5
           "    i = i + 1;\n"                                  // 6
           "    total = total + 0.1;\n"                        // 7
           "    c = c + 1;\n"                                  // 8
           "    if (c == 1000) { print(i, total); c = 0; }\n"  // 9
           "    if (i == " +
           half +
           ") { mark = i; }\n"  // 10
           "}\n"
           "print(\"done\", i);\n";  // 12
}

std::string step_text(const Session& session, PastStep at) {
    return "step " + std::to_string(at.step) + " (line " +
           std::to_string(line_of(session, at.token)) + ")";
}

}  // namespace

int main(int argc, char** argv) {
    int64_t statements = argc > 1 ? std::atoll(argv[1]) : 10000000;
    int64_t passes = statements / 5;
    Session session;
    start_session(session, script(passes));
    Clock::time_point start = Clock::now();
    Stop stop = Stop::slice;
    while (stop == Stop::slice) stop = advance(session, Motion::run, 0, int64_t{1} << 22);
    double run_ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    int64_t end = session.last_step;
    std::printf("run to the end: %lld steps in %.0f ms (%zu snapshots, one every %lld steps)\n\n",
                static_cast<long long>(end - 1), run_ms, session.snapshots.size(),
                static_cast<long long>(session.interval));
    std::printf("| question, at the end of the run | median of 5 | slowest | answer |\n");
    std::printf("|---|---|---|---|\n");
    int64_t lines = passes / 1000;
    PastStep at;
    row("which step printed output line " + std::to_string(lines / 2),
        time_it(5, [&] { at = printed_line(session, lines / 2); }),
        [&] { return step_text(session, at); });
    row("which step printed the last line",
        time_it(5, [&] { at = printed_line(session, lines + 1); }),
        [&] { return step_text(session, at); });
    Writes writes;
    int64_t middle = end / 2;
    row("last and next write of total around step " + std::to_string(middle),
        time_it(5, [&] { writes = writes_around(session, "total", middle); }),
        [&] { return step_text(session, writes.last) + ", " + step_text(session, writes.next); });
    row("last and next write of mark at the end",
        time_it(5, [&] { writes = writes_around(session, "mark", end); }),
        [&] { return step_text(session, writes.last); });
    History history;
    row("history of total (5 first, 5 last)",
        time_it(5, [&] { history = history_of(session, "total", 5); }), [&] {
            return std::to_string(history.count) + " writes, the last at step " +
                   (history.last.empty() ? "-" : std::to_string(history.last.back().at.step));
        });
    LogRun log;
    row("log point \"{i} {total}\" on line 9 over the run",
        time_it(5, [&] { log = log_over_run(session, 9, "{i} {total}", 1000); }), [&] {
            return std::to_string(log.count) + " passes, " + std::to_string(log.lines.size()) +
                   " lines";
        });
    row("log point \"{mark}\" on line 12 (run once, at the end)",
        time_it(5, [&] { log = log_over_run(session, 12, "{mark}", 1000); }),
        [&] { return log.lines.empty() ? "none" : "step " + std::to_string(log.lines[0].step); });

    // Reverse continue from the end, about half the run back: a row timing it, with where it
    // stopped and whether the stop was of the kind asked for.
    auto reverse_row = [&](const std::string& what, Stop wanted) {
        Stop found = Stop::step;
        row(what,
            time_it(3,
                    [&] {
                        go_to_step(session, end);
                        found = reverse_run(session);
                    }),
            [&] {
                return step_text(session, PastStep{session.current.step, session.current.token}) +
                       (found == wanted ? "" : " (not the stop asked for)");
            });
    };
    std::string half = std::to_string(passes / 2);
    session.breakpoints = {Breakpoint{statement_at_line(session, 6), "i == " + half, "", "", 0}};
    reverse_row("reverse continue to \"i == " + half + "\" on line 6", Stop::breakpoint);
    // The same point by a condition whose value ranges cannot rule an interval out (total * 10000
    // twice spans millions in every interval), so every interval on the way back is replayed.
    std::string spread = "i + total * 10000 - total * 10000 == " + half;
    session.breakpoints = {Breakpoint{statement_at_line(session, 6), spread, "", "", 0}};
    reverse_row("reverse continue to \"" + spread + "\" (replayed)", Stop::breakpoint);
    session.breakpoints.clear();
    session.watches = {"mark"};
    reverse_row("reverse continue to a data breakpoint on mark", Stop::data_breakpoint);
    end_session(session);
    return 0;
}
