// Live values: a script run once, bounded, and what each statement did in that run, as short
// texts an editor shows beside the lines (the language server's inlay hints, the playground's
// values). The run is the debugger's: the interpreter built with the statement hook, and steps
// counted as its engine counts them (dap/engine.h), so a note's step opens the debugger there.
//
// One run at a time in a process: the interpreter's state is global.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What bounds a run. The time is looked at every few thousand steps, the cancel flag at every
// step; output past max_output is counted but not kept.
struct LiveLimits {
    int64_t max_steps = 1000000;
    int64_t max_milliseconds = 2000;
    size_t max_output = 1 << 20;
    const std::atomic<bool>* cancelled = nullptr;
};

// What one statement did: a store's value, a print's text, how often an if was taken or how
// many passes a while made, "never runs", or where the run stopped.
struct LiveNote {
    int32_t token = 0;                               // the statement's first token
    int32_t line = 0, column = 0;                    // where it starts, 1-based, bytes
    int32_t end_line = 0, end_column = 0;            // where it ends (after its ";" or its "{")
    int32_t utf16_column = 0, utf16_end_column = 0;  // the same columns in UTF-16 code units
    std::string text;  // as an inlay hint reads: "x = 5", "× 10: ..."
    int64_t step = 0;  // its last run; 0 for a statement that never runs
    // For the tests that hold the notes to the run: a store's entry and last value as shown,
    // and where a print's last text stands in the run's output (bytes).
    int32_t entry = -1;
    std::string value;
    size_t output_start = 0, output_end = 0;
};

struct LiveRun {
    std::vector<LiveNote> notes;             // in text order
    std::string stop_kind;                   // "end", "error", "steps", "time", "cancelled"
    std::string message;                     // the error's message, or what cut the run
    int32_t stop_line = 0, stop_column = 0;  // the statement where it stopped (bytes)
    int64_t stop_step = 0, steps = 0;
    std::string output;      // what the run printed, up to LiveLimits::max_output bytes
    size_t output_size = 0;  // what it printed in all
};

// Runs a script (up to its first NUL) within the limits and notes what each statement did.
LiveRun live_run(const std::string& text, const LiveLimits& limits);

// {"notes":[{"line","column","endLine","endColumn","utf16Column","utf16EndColumn","text","step"}],
//  "stop":{"kind","message","line","column","step"},"steps":N}
std::string live_json(const LiveRun& run);
