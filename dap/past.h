// Questions about a recorded run's past: which step printed an output line, where a variable was
// last written before a step and next after it, a variable's history, and a log point's values
// over the whole run, set after the fact. A run depends on nothing but its text, so each answer
// comes from the snapshots' interval summaries (which statements each interval began, and how
// often; the output's length at its start), which skip the intervals that cannot hold it, and a
// replay of the one or two that do.
//
// A write of a name is a step whose statement is `var NAME = ...;` (also a `var` of a name
// declared before, which adds an entry that is never read) or `NAME = ...;` (also of the same
// value), and that ran to its end: a statement that raised the run's error wrote nothing.
//
// Answers cover the statements run so far: up to the run's end, or, while it goes on, up to the
// one before the furthest step run (that one is about to run). A step of 0 means "none". None
// moves the session: the current step, its store and its output stay as they were.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "engine.h"

// A step of the run and the statement it began; step 0: none.
struct PastStep {
    int64_t step = 0;
    int32_t token = -1;
};

// The step whose print wrote the output byte at `offset` (from 0, in the whole output, also past
// what the session keeps of it).
PastStep printed_byte(Session& session, size_t offset);
// The step whose print wrote the first byte of output line `line` (from 1). A line that several
// prints make ("nel") is named by the first.
PastStep printed_line(Session& session, int64_t line);

// The last write of `name` before `step` and the next one after it (the statement at `step`
// itself is neither: it is the one about to run there).
struct Writes {
    PastStep last, next;
};
Writes writes_around(Session& session, const std::string& name, int64_t step);

// One write of a name: the step and the value the statement left in the entry it wrote.
struct Written {
    PastStep at;
    std::string value;    // exact: reads back as the same number (format_exact), or the string
    std::string printed;  // as print shows it
    std::string kind;     // "number" or "string"
};
// A name's writes over the run: how many, the first `few` and the last `few` (which overlap
// when there are fewer than 2 * few).
struct History {
    int64_t count = 0;
    std::vector<Written> first, last;
};
History history_of(Session& session, const std::string& name, size_t few);

// A log point set after the fact at the first statement on or after `line`: its message, with
// each "{expression}" computed, at every step that began that statement, in order (at most
// `limit` of them), and how many steps began it in all.
struct Logged {
    int64_t step;
    std::string text;
};
struct LogRun {
    int32_t token = -1;  // the statement it stands at; -1: none at or after the line
    int64_t count = 0;
    std::vector<Logged> lines;
};
LogRun log_over_run(Session& session, int32_t line, const std::string& message, size_t limit);

// Per token: whether the statement that begins there writes `name` (a var of it, or an
// assignment to it).
std::vector<char> writes_of(const Session& session, const std::string& name);
// Whether a `var` in the script declares `name`: what a data breakpoint can watch.
bool declared_name(const Session& session, const std::string& name);

// The output's bytes [from, to) as the run printed them, also past what the session keeps (by
// replay); `to` is at most the output's length at the furthest step run.
std::string output_between(Session& session, size_t from, size_t to);
