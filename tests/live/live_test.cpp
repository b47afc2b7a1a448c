// Live runs on small scripts: the note each statement gets (values, counts, prints, ifs, loops,
// never-run statements, errors, cut runs) and how a run stops, as one table; then the bounds
// (output kept, cancellation, time) and the JSON.
#include "live.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

namespace {

struct Case {
    const char* name;
    const char* script;
    int64_t max_steps;
    const char* stop_kind;
    std::vector<std::string> notes;  // "line: text", in text order
};

// Each note as "line: text".
std::vector<std::string> lines_of(const LiveRun& run) {
    std::vector<std::string> out;
    for (const LiveNote& note : run.notes)
        out.push_back(std::to_string(note.line) + ": " + note.text);
    return out;
}

const Case cases[] = {
    {"values",
     "var x = 5;\nx = x * 2 + 0.1;\nvar s = \"hi\";\nvar t = 0.1 + 0.2;\n",
     1000000,
     "end",
     {"1: x = 5", "2: x = 10.1", "3: s = \"hi\"", "4: t = 0.30000000000000004"}},
    {"loop counts",
     "var i = 0;\nwhile (i < 10) {\n    i = i + 1;\n    if (i > 7) {\n        print(\"big\", i);\n"
     "    }\n}\n",
     1000000,
     "end",
     {"1: i = 0", "2: 10 passes", "3: i = 10 (× 10: 1, 2, 3, …)", "4: taken 3 of 10",
      "5: \"big 10\" (× 3)"}},
    {"few values listed whole",
     "var i = 0;\nwhile (i < 2) { i = i + 1; }\nwhile (0) { i = 9; }\n",
     1000000,
     "end",
     {"1: i = 0", "2: 2 passes", "2: i = 2 (× 2: 1, 2)", "3: 0 passes", "3: never runs"}},
    {"never runs",
     "var x = 1;\nif (x > 5) {\n    print(\"no\");\n    x = 2;\n}\nprint(\"done\");\n",
     1000000,
     "end",
     {"1: x = 1", "2: not taken", "3: never runs", "4: never runs", "6: \"done\""}},
    // A var in a loop adds an entry each pass; the name keeps meaning the first one.
    {"nested loops",
     "var i = 0;\nwhile (i < 3) {\n    var j = 0;\n    while (j < i) { j = j + 1; }\n"
     "    i = i + 1;\n}\n",
     1000000,
     "end",
     {"1: i = 0", "2: 3 passes", "3: j = 0 (× 3: 0, 0, 0)", "4: 2 passes in 3 runs",
      "4: j = 2 (× 2: 1, 2)", "5: i = 3 (× 3: 1, 2, 3)"}},
    {"empty if blocks", "if (1) {}\nif (0) {}\n", 1000000, "end", {"1: taken", "2: not taken"}},
    {"error",
     "var z = 0;\nvar y = 1 / z;\nprint(y);\n",
     1000000,
     "error",
     {"1: z = 0", "2: this run stops here: Division by zero", "3: never runs"}},
    {"error in a loop's condition",
     "var n = 3;\nwhile (1 / n) {\n    n = n - 1;\n}\n",
     1000000,
     "error",
     {"1: n = 3", "2: 3 passes", "2: this run stops here: Division by zero",
      "3: n = 0 (× 3: 2, 1, 0)"}},
    // The statement that stops the run shows what it did on its passes before.
    {"error on a later pass",
     "var d = 2;\nvar q = 0;\nwhile (d > 0 - 1) {\n    q = 6 / d;\n    print(q);\n"
     "    d = d - 1;\n}\n",
     1000000,
     "error",
     {"1: d = 2", "2: q = 0", "3: 3 passes", "4: q = 6 (× 2: 3, 6)",
      "4: this run stops here: Division by zero", "5: \"6\" (× 2)", "6: d = 0 (× 2: 1, 0)"}},
    {"undefined after a skipped var",
     "if (0) {\n    var late = 1;\n}\nprint(late);\n",
     1000000,
     "error",
     {"1: not taken", "2: never runs", "4: this run stops here: Undefined variable: late"}},
    {"cut by the step budget",
     "var i = 0;\nwhile (1) {\n    i = i + 1;\n}\nprint(i);\n",
     100,
     "steps",
     {"1: i = 0", "2: 98 passes", "3: i = 98 (× 98: 1, 2, 3, …)", "3: stopped after 100 steps"}},
    {"endless empty loop",
     "var i = 0;\nwhile (i < 1) {}\nprint(i);\n",
     1000000,
     "steps",
     {"1: i = 0", "2: this loop never ends: its block is empty and its condition holds"}},
    {"print shortened",
     "print(\"0123456789012345678901234567890123456789xyz\");\n",
     1000000,
     "end",
     {"1: \"0123456789012345678901234567890123456789…\""}},
    {"print without newline",
     "#sg<nel>\nprint(\"a\");\nprint(\"b\\\"c\");\n",
     1000000,
     "end",
     {"2: \"a\"", "3: \"b\\\"c\""}},
    {"lexical error",
     "var x = 1;\nvar y = @;\n",
     1000000,
     "error",
     {"2: this run stops here: Unknown character: @"}},
};

TEST(Live, Notes) {
    for (const Case& c : cases) {
        LiveLimits limits;
        limits.max_steps = c.max_steps;
        LiveRun run = live_run(c.script, limits);
        EXPECT_EQ(run.stop_kind, c.stop_kind) << c.name;
        EXPECT_EQ(lines_of(run), c.notes) << c.name;
    }
}

// The steps are the debugger's: each statement begun is one, a while's test is none.
TEST(Live, StepsAndStop) {
    LiveRun run = live_run("var i = 0;\nwhile (i < 3) { i = i + 1; }\nvar z = 1 / 0;\n", {});
    EXPECT_EQ(run.steps, 6);  // var, while, three passes, the failing var
    EXPECT_EQ(run.stop_step, 7);
    EXPECT_EQ(run.stop_line, 3);
    EXPECT_EQ(run.stop_column, 1);
    ASSERT_EQ(run.notes.size(), 4u);
    EXPECT_EQ(run.notes[2].step, 5);  // the last pass's assignment
    EXPECT_EQ(run.notes[2].end_column, 27);
    EXPECT_EQ(run.notes[3].step, 7);  // the error's own stop, after the step that raised it
}

// Output past the limit is counted but not kept; a print's note still reads its own text.
TEST(Live, OutputKept) {
    LiveLimits limits;
    limits.max_output = 10;
    LiveRun run =
        live_run("var i = 0;\nwhile (i < 100) { print(\"line\", i); i = i + 1; }\n", limits);
    EXPECT_EQ(run.stop_kind, "end");
    EXPECT_EQ(run.output, "line 0\nlin");
    EXPECT_EQ(run.output_size, 790u);
    EXPECT_EQ(run.notes[2].text, "\"line 99\" (× 100)");
    EXPECT_EQ(run.notes[2].output_start, 782u);
    EXPECT_EQ(run.notes[2].output_end, 790u);
}

TEST(Live, Cancelled) {
    std::atomic<bool> cancelled{true};
    LiveLimits limits;
    limits.cancelled = &cancelled;
    LiveRun run = live_run("var i = 0;\nprint(i);\n", limits);
    EXPECT_EQ(run.stop_kind, "cancelled");
    EXPECT_TRUE(run.notes.empty());
}

TEST(Live, Time) {
    LiveLimits limits;
    limits.max_milliseconds = 0;
    limits.max_steps = 100000000;
    LiveRun run = live_run("var i = 0;\nwhile (1) {\n    i = i + 1;\n}\n", limits);
    EXPECT_EQ(run.stop_kind, "time");
    EXPECT_EQ(run.steps % 4096, 0);
    EXPECT_NE(run.notes.back().text.find("stopped after 0 ms"), std::string::npos);
}

// The next run starts afresh: nothing of the last one's store, output or hook is left.
TEST(Live, RunsInTurn) {
    LiveRun first = live_run("var a = 1;\nprint(a);\n", {});
    LiveRun second = live_run("var b = 2;\nprint(a);\n", {});
    EXPECT_EQ(first.stop_kind, "end");
    EXPECT_EQ(second.stop_kind, "error");
    EXPECT_EQ(second.message, "Undefined variable: a");
}

TEST(Live, Json) {
    LiveRun run = live_run("var x = 1;\nprint(\"\xff\xe2\x82\xac\");\nx = 1 / 0;\n", {});
    nlohmann::json json = nlohmann::json::parse(live_json(run));
    ASSERT_EQ(json["notes"].size(), 3u);
    EXPECT_EQ(json["notes"][0], nlohmann::json({{"line", 1},
                                                {"column", 1},
                                                {"endLine", 1},
                                                {"endColumn", 11},
                                                {"utf16Column", 1},
                                                {"utf16EndColumn", 11},
                                                {"text", "x = 1"},
                                                {"step", 1}}));
    EXPECT_EQ(json["notes"][1]["text"], "\"\xEF\xBF\xBD\xE2\x82\xAC\"");
    EXPECT_EQ(json["stop"], nlohmann::json({{"kind", "error"},
                                            {"message", "Division by zero"},
                                            {"line", 3},
                                            {"column", 1},
                                            {"step", 4}}));
    EXPECT_EQ(json["steps"], 3);
}

}  // namespace
