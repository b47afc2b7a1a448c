// Where the debugger's engine stops, as tables: hit conditions (the hits a count lets stop), the
// place of an error inside a loop (the statement that raised it, not the loop around it), a step
// back from an error, data breakpoints going forward and back, reverse continue to a condition
// (also where the values in an interval straddle it),
// and values shown so that they read back exactly beside print's form.
//
//   dap_stops_test
#include <cstdio>
#include <string>
#include <vector>

#include "engine.h"

namespace {

int failures = 0;

void expect(const std::string& what, const std::string& got, const std::string& wanted) {
    if (got == wanted) return;
    std::printf("FAIL %s: got \"%s\", expected \"%s\"\n", what.c_str(), got.c_str(),
                wanted.c_str());
    failures++;
}

// Runs a motion to its stop, through the slices a long one takes.
Stop run(Session& session, Motion motion) {
    Stop stop = Stop::slice;
    int64_t depth = depth_of(session, session.current.token);
    while (stop == Stop::slice) stop = advance(session, motion, depth, 1 << 16);
    return stop;
}

const char* const counting =
    "var i = 0;\n"
    "while (i < 10) {\n"
    "    i = i + 1;\n"
    "}\n";

// A hit condition and the values of i at each stop of the breakpoint on line 3.
struct HitCase {
    const char* condition;
    const char* stops;
};
const HitCase hit_cases[] = {
    {"2", "1 2 3 4 5 6 7 8 9 "},
    {">= 9", "8 9 "},
    {"== 2", "1 "},
    {"= 3", "2 "},
    {"> 8", "8 9 "},
    {"< 3", "0 1 "},
    {"<= 2", "0 1 "},
    {"% 4", "3 7 "},
};

void check_hit_conditions() {
    for (const HitCase& test : hit_cases) {
        Session session;
        start_session(session, counting);
        session.breakpoints.push_back(
            Breakpoint{statement_at_line(session, 3), "", test.condition, "", 0});
        std::string stops;
        while (run(session, Motion::run) == Stop::breakpoint) {
            stops += evaluate_text(session, "i").value + " ";
        }
        expect(std::string("hit condition \"") + test.condition + "\"", stops, test.stops);
        end_session(session);
    }
}

// A script that stops with an error, the error's line (what is missing stands after the token
// before it) and the line of the statement shown at the error's stop, and the line one step back
// from there.
struct ErrorCase {
    const char* script;
    const char* message;
    int32_t line, shown, back;
};
const ErrorCase error_cases[] = {
    {"var i = 0;\nwhile (i < 2) {\n    i = i + 1;\n    ;\n}\n", "Expected expression", 3, 4, 3},
    {"var i = 0;\nwhile (i < 2) {\n    i = i + 1;\n    if (i == 2) {\n        ;\n    }\n}\n",
     "Expected expression", 4, 5, 4},
    {"var i = 0;\nwhile (i < 1 / (1 - i)) {\n    i = i + 1;\n}\n", "Division by zero", 2, 2, 3},
    {"var i = 0;\nprint(i);\nj = 1;\n", "Undefined variable: j", 3, 3, 2},
};

void check_errors() {
    for (const ErrorCase& test : error_cases) {
        Session session;
        start_session(session, test.script);
        std::string name = std::string("error of ") + test.script;
        expect(name, std::to_string(static_cast<int>(run(session, Motion::run))),
               std::to_string(static_cast<int>(Stop::error)));
        expect(name + ": message", session.error_message, test.message);
        expect(name + ": error line", std::to_string(session.error_line),
               std::to_string(test.line));
        expect(name + ": shown at line", std::to_string(line_of(session, session.current.token)),
               std::to_string(test.shown));
        step_back(session);
        expect(name + ": one step back, line",
               std::to_string(line_of(session, session.current.token)), std::to_string(test.back));
        end_session(session);
    }
}

const char* const writing =
    "var x = 0;\n"       // 1
    "var y = 0;\n"       // 2
    "while (y < 3) {\n"  // 3
    "    y = y + 1;\n"   // 4
    "    x = x;\n"       // 5: the same value is a write too
    "    var x = 7;\n"   // 6: a var of x again is a write
    "}\n"
    "print(x, y);\n";  // 8

// Data breakpoints on x: the lines continue stops at, then those reverse continue stops at.
void check_data_breakpoints() {
    Session session;
    start_session(session, writing);
    session.watches = {"x"};
    std::string forward, back;
    Stop stop;
    while ((stop = run(session, Motion::run)) == Stop::data_breakpoint) {
        forward += std::to_string(line_of(session, session.current.token)) + " ";
    }
    expect("data breakpoint forward", forward, "1 5 6 5 6 5 6 ");
    expect("data breakpoint forward ends", std::to_string(static_cast<int>(stop)),
           std::to_string(static_cast<int>(Stop::end)));
    while ((stop = reverse_run(session)) == Stop::data_breakpoint) {
        back += std::to_string(session.current.step) + ":" +
                std::to_string(line_of(session, session.current.token)) + " ";
    }
    expect("data breakpoint back", back, "12:6 11:5 9:6 8:5 6:6 5:5 1:1 ");
    end_session(session);
}

// Reverse continue to a condition, from the end of a run of many intervals.
void check_reverse_condition() {
    Session session;
    start_session(session, "var i = 0;\nwhile (i < 100000) {\n    i = i + 1;\n}\nprint(i);\n");
    session.interval = 64;
    session.max_snapshots = 16;
    run(session, Motion::run);
    session.breakpoints.push_back(Breakpoint{statement_at_line(session, 3), "i == 777", "", "", 0});
    expect("reverse continue to a condition",
           std::to_string(static_cast<int>(reverse_run(session))),
           std::to_string(static_cast<int>(Stop::breakpoint)));
    expect("reverse continue to a condition: i", evaluate_text(session, "i").value, "777");
    expect("reverse continue to a condition: step", std::to_string(session.current.step), "780");
    end_session(session);
}

// x goes 0, 5, 0 in every pass: an interval's values of x straddle any condition's bounds, which
// reverse continue must not take for a condition that cannot hold there; y is written once, before
// every interval but the first. Steps: pass k runs lines 5 to 8 at steps 4k + 1 to 4k + 4; the
// last pass is k = 1000.
const char* const swinging =
    "var i = 0;\n"
    "var x = 0;\n"
    "var y = 7;\n"
    "while (i < 1000) {\n"
    "    i = i + 1;\n"
    "    x = 0;\n"
    "    x = 5;\n"
    "    x = 0;\n"
    "}\n";

// A breakpoint's line and condition, and the step reverse continue from the end stops at (1: no
// breakpoint held).
struct ReverseCase {
    int32_t line;
    const char* condition;
    int64_t step;
};
const ReverseCase reverse_cases[] = {
    {8, "3 < x", 4004},
    {8, "x > 3", 4004},
    {8, "x == 5", 4004},
    {8, "5 == x", 4004},
    {8, "x != 0", 4004},
    {8, "0 != x", 4004},
    {8, "x * 2 > 9", 4004},
    {8, "x - 6 < 0 - 0.5", 4004},
    {8, "x < 3", 1},
    {7, "x < 3", 4003},
    {7, "3 < x", 1},
    {7, "x == 5", 1},
    {7, "10 / x > 1", 4003},
    {7, "1 / x < 0", 4003},
    {8, "y == 7", 4004},
    {8, "i == 500", 2004},
    {8, "500 == i + 0 * x", 2004},
    {8, "(i - 500) * (i - 500) < 1", 2004},
    {8, "x +", 4004},
    {8, "nothing", 4004},
};

void check_reverse_conditions() {
    Session session;
    start_session(session, swinging);
    session.interval = 16;
    session.max_snapshots = 8;
    run(session, Motion::run);
    for (const ReverseCase& test : reverse_cases) {
        go_to_step(session, session.last_step);
        session.breakpoints = {
            Breakpoint{statement_at_line(session, test.line), test.condition, "", "", 0}};
        reverse_run(session);
        expect(std::string("reverse continue to \"") + test.condition + "\" on line " +
                   std::to_string(test.line),
               std::to_string(session.current.step), std::to_string(test.step));
    }
    end_session(session);
}

// Values as print shows them and exactly.
void check_exact_values() {
    Session session;
    start_session(session,
                  "var a = 0.1 + 0.2;\nvar b = 19660801;\nvar c = 1000000;\nvar d = 2.5;\n"
                  "var s = \"text\";\nprint(a);\n");
    session.breakpoints.push_back(Breakpoint{statement_at_line(session, 6), "", "", "", 0});
    run(session, Motion::run);
    std::string shown;
    for (const Shown& entry : show_store(session.current.store)) {
        shown += entry.name + "=" + entry.exact + "/" + entry.value + " ";
    }
    expect("store shown exactly", shown,
           "a=0.30000000000000004/0.3 b=19660801/1.96608e+07 c=1000000/1e+06 d=2.5/2.5 "
           "s=text/text ");
    Evaluation sum = evaluate_text(session, "b + 1");
    expect("evaluate exactly", sum.exact + "/" + sum.value, "19660802/1.96608e+07");
    end_session(session);
}

}  // namespace

int main() {
    check_hit_conditions();
    check_errors();
    check_data_breakpoints();
    check_reverse_condition();
    check_reverse_conditions();
    check_exact_values();
    if (failures == 0) std::printf("all stops as expected\n");
    return failures == 0 ? 0 : 1;
}
