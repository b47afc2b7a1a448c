// The header directive: "sg<" and its options on the first line of a script, which the run
// reads from the text as written before lexing. Pure functions of the text.
#pragma once

#include <cstddef>

// The header directive as the run sees it.
struct Directive {
    bool found;         // "sg<" stands on the first line, at `start`
    bool newlines_off;  // its option text holds "nel" before a '>' (or the end)
    bool cut;           // only whitespace and '#' precede it, so [start, cut_end) is cut
    size_t start, cut_end;
    size_t option_end;  // the '>' that closes the option text, or the end of the text
};
Directive read_directive(const char* text);
