// The debugger's engine: runs a script under the core's statement hook until a stop, and goes
// back in time by replaying from a snapshot. A run depends on nothing but its text, so a replay
// gives exactly the same statements, store and output.
//
// Steps: the statements a run begins, counted from 1 in the order the interpreter begins them
// (a while's body statements once per pass). The stop at step N shows the state just before
// statement N runs. A run that ends with an error has one more stop, the error, at the
// statement that raised it.
//
// The engine drives the one interpreter of the process (its globals), so one session runs at a
// time; the session holds everything else.
//
// Memory stays bounded however long the run: at most max_snapshots snapshots (each a copy of the
// store, at most 100 entries, and a count per token of the statements begun in its interval),
// and of the output the first max_output bytes up to the current step (`output`), the same as far
// as the run has gone (`output_known`, so that going forward again needs no replay to show it),
// and the last bytes printed past them (`output_tail`, at most max_output): at most 3 *
// max_output bytes in all. Any other part is printed again by a replay when asked for (past.h,
// output_between).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter.h"
#include "source_model.h"

// The least and greatest value given to a store entry in an interval.
struct ValueRange {
    double low = __builtin_inf(), high = -__builtin_inf();  // none yet
    bool unknown = false;                                   // a not-a-number was given
};

// The state before a step: enough to show it and to resume the run from it.
struct Snapshot {
    int64_t step = 0;   // 0: before the first statement
    int32_t token = 0;  // the cursor: the statement's first token
    std::vector<Variable> store;
    size_t output_length = 0;     // of the whole output, also past what the session keeps
    int64_t output_newlines = 0;  // the newlines in it
    // Kept with the snapshots only: per token, the statements the run began there from this
    // snapshot's step up to the next snapshot's (or the furthest step run), which lets a
    // question about the past skip the intervals that cannot hold its answer.
    std::vector<uint32_t> begun;
    std::vector<ValueRange> written;  // per store entry, the values given to it in the interval
};

enum class Motion {
    step_in,    // the next statement
    step_over,  // the next statement at the same or an outer block
    step_out,   // the next statement outside the innermost block
    run,        // until a breakpoint or the end
};

enum class Stop {
    step,             // the motion is done
    breakpoint,       // a breakpoint stopped it
    data_breakpoint,  // the statement about to run writes a watched name (Session::watches)
    slice,            // the step budget ran out: call advance again to go on
    error,            // the run stopped with an error (the session's error_message)
    end,              // the run reached the end of the script
};

struct Breakpoint {
    int32_t token;              // the first token of the statement it stops at
    std::string condition;      // empty: always
    std::string hit_condition;  // "N" (same as ">= N"), "== N", "> N", "< N", "<= N", "% N"
    std::string log_message;    // not empty: a log point, which prints and never stops
    int64_t hits = 0;           // times reached with its condition true, going forward
};

// A log point's line, and how much output came before it.
struct LogLine {
    size_t output_length;
    std::string text;
};

// A step that printed going forward, and where its output starts, for a client that shows each
// print's place.
struct PrintNote {
    size_t offset;
    int64_t step;
    int32_t token;
};

struct Session {
    std::string text;                 // as written, up to its first NUL
    SourceModel model;                // its tokens' places, blocks, conditions and statement starts
    std::vector<SourceToken> source;  // the tokens a run reads: up to a lexical error, then the end
    int32_t token_count = 0;

    std::vector<Snapshot> snapshots;  // by step, the first at step 0
    int64_t interval = 4096;          // steps between snapshots; doubles as they thin out
    size_t max_snapshots = 512;
    Snapshot current;      // where the run stands
    int64_t frontier = 0;  // the furthest step run so far (its statement begun, maybe not run)
    int32_t frontier_token = 0;  // that statement's first token

    bool ended = false;         // the run's last step is known: it ended or stopped with an error
    int64_t last_step = 0;      // then: the step after the last statement (the error's, or the end)
    std::string error_message;  // the error's message, without "[Error] "
    int32_t error_line = 0;     // where the error stands in the text, 1-based (bytes)
    int32_t error_column = 0;
    Snapshot final_point;    // the error's state, once there is one
    int64_t error_step = 0;  // the step whose statement raised it; 0: a loop's condition did
    // The output up to the current step: its first max_output bytes, then the last ones past
    // them, from output_tail_start on (output_tail_start + output_tail.size() is its length).
    std::string output;
    std::string output_tail;
    size_t output_tail_start = 0;
    std::string output_known;  // the first max_output bytes as far as the run has gone
    size_t max_output = size_t{4} << 20;
    int64_t output_newlines = 0;  // in the output up to the current step

    std::vector<Breakpoint> breakpoints;
    std::vector<LogLine> log_lines;    // log points' lines not yet taken
    std::vector<std::string> watches;  // data breakpoints: names whose writes stop a run
    bool note_prints = false;          // going forward, note each step that prints in `prints`,
    std::vector<PrintNote> prints;     // for the client to take
    size_t print_noted = 0;            // the output's length at the last note
    // Store entry n is made by the same var statement in every replay: its first name and
    // string are kept, and later copies freed, so replays allocate nothing that stays.
    std::vector<Variable> made;
    bool loaded = false;  // the script is loaded into the interpreter
};

// Loads a script. A lexical error ends the run at once: the session's first stop is the error.
void start_session(Session& session, std::string text);
// Frees what the session holds.
void end_session(Session& session);

// Runs forward from the current step until the motion is done, a breakpoint stops it, the run
// ends, or `budget` steps have run.
Stop advance(Session& session, Motion motion, int64_t origin_depth, int64_t budget);
// Goes to a step of the run (1 up to the last one run); false when there is no such step.
bool go_to_step(Session& session, int64_t step);
// Goes back to the last step before the current one where a breakpoint's condition holds
// (hit counts and log points are for going forward) or that writes a watched name, or to step 1;
// true for a breakpoint or a write. Conditions are lexed once per call.
bool reverse_continue(Session& session);
// The same, saying which stopped it: Stop::breakpoint, Stop::data_breakpoint, or Stop::step at
// step 1.
Stop reverse_run(Session& session);
// One step back; from the error's stop, to the statement before the one that raised it (the
// step in between shows that same statement). False at step 1.
bool step_back(Session& session);
// The length of the whole output up to the current step.
size_t output_size(const Session& session);

// Where a token stands: its line and column as written, 1-based.
int32_t line_of(const Session& session, int32_t token);
int32_t column_of(const Session& session, int32_t token);
// How many blocks hold the statement at a token.
int32_t depth_of(const Session& session, int32_t token);
// The heads of the if and while statements around a token, innermost first.
std::vector<int32_t> enclosing_heads(const Session& session, int32_t token);
// The statement's text as written, from its first token to its ";" or its block, on one line.
std::string statement_text(const Session& session, int32_t token);

// A store entry as print shows it, its kind, and whether a later var of an earlier name added
// it (such an entry is never read).
struct Shown {
    std::string name, value, kind;
    bool unread;
    std::string exact;  // a number so that it reads back the same (format_exact); a string as is
};
std::vector<Shown> show_store(const std::vector<Variable>& store);

// An expression computed in the current state, read-only. A lone name shows as print shows it.
struct Evaluation {
    bool ok;
    std::string value;  // or the language's error message
    std::string kind;   // "number" or "string"
    double number;      // the value in an expression (a string variable counts as 0)
    std::string exact;  // a number so that it reads back the same (format_exact); else `value`
};
Evaluation evaluate_text(Session& session, const std::string& expression);

// The first statement at or after `line`; -1 when there is none.
int32_t statement_at_line(const Session& session, int32_t line);

// Whether a breakpoint's hit count passes its hit condition: 1 yes, 0 no, -1 when the text is
// not a hit condition.
int check_hit_condition(const std::string& text, int64_t hits);
