// Where a brace mistake most likely stands. The run pairs braces innermost first; the layout says
// what the writer meant: when a "}" is missing, the block that lost it, and when a "}" closes
// nothing, the earlier "}" that is one too many.
#pragma once

#include <cstdint>
#include <vector>

#include "rules.h"

// The blocks whose layout says they lost their "}", found once per script.
struct OpenClues {
    bool found = false;
    std::vector<int32_t> blocks;  // their "{"s, in text order
    // Per block: the first token of the line inside it that goes back out, or -1 when its "}"
    // is indented as if it closed an outer block.
    std::vector<int32_t> dedented;
};

// Notes on the error of a block at `open` run to the end: the block inside it that likely lost
// its "}", else the block itself. Returns the block the notes name.
int32_t note_unclosed(const Source& source, Sink& sink, OpenClues& clues, Diagnostic& diagnostic,
                      int32_t open);

// Notes on the error of a "}" at `close` that closes no block: the earlier "}" likely one too
// many, with the fix that removes it. Returns that "}", or -1.
int32_t note_extra_close(const Source& source, Sink& sink, Diagnostic& diagnostic, int32_t close);
