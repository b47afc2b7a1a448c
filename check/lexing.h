// The checker's own lexing: the whole script through the shared scanner, into tokens that know
// their places in the text as written, with the lexical errors collected rather than fatal.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "check.h"
#include "scan.h"

struct LexError {
    ScanStatus status;
    size_t start, end;  // as written; a run of unknown bytes is one error
};

// The tokens as lex_source gives them; with `past_unknown`, an unknown byte is recorded in
// `errors` and scanning goes on after it, so one bad byte hides nothing else.
std::vector<SourceToken> lex(std::string_view text, bool past_unknown,
                             std::vector<LexError>* errors);
