// The checker: reads a script without running it and lists every error and likely mistake.
// A check is a plain function from text to diagnostics: no global state, never exits.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "codes.h"
#include "source_model.h"
#include "token.h"

// A note points at another place ("block opened here"); a help line has no place (line 0)
// and says how to fix the mistake.
struct Note {
    bool help;
    int32_t line, column, end_column;  // 1-based, bytes; 0 for a help line
    std::string message;
};

// A fix: the bytes [start, end) of the text as written become `replacement`. A certain fix
// does what the script meant, whatever it is; any other needs a person's choice and is only
// shown (`azuvel-check --fix` applies certain ones alone).
struct Edit {
    size_t start, end;
    std::string replacement;
    bool certain;
};

struct Diagnostic {
    Severity severity;
    int32_t line, column, end_column;  // 1-based, bytes; end_column is one past the last byte
    std::string code;                  // stable: "var-in-loop", "expected-semicolon"
    std::string message;               // the interpreter's words where it has them
    std::vector<Note> notes;           // "block opened here", "help: ..."
    std::vector<Edit> fixes;           // alternatives, best first; each one edit
};

// Every token of the script in order, ending with the end token; scanning stops at the first
// lexical error (the end token then stands at the error's place).
std::vector<SourceToken> lex_source(std::string_view text);

// All diagnostics of a script, in text order. The text ends at its first NUL byte, as it does
// for the interpreter.
std::vector<Diagnostic> check(std::string_view text);
// The same over the text's source model, for a caller that keeps one (model_source(text)).
std::vector<Diagnostic> check(std::string_view text, const SourceModel& model);
