// What the checker's passes share: the tokens with their text, the brace table, the facts the
// syntax pass records for the name rules, and the place diagnostics are collected.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"

struct Source {
    std::string_view text;            // as written, up to the first NUL
    std::vector<SourceToken> tokens;  // every token that scans, ending with the end token
    std::vector<int32_t> block_end;   // "{" tokens: the matching "}", or -1; as the run pairs them
    std::vector<bool> after_junk;     // an unknown byte stands just before the token
    bool lexing_stopped;              // an unterminated string ends the tokens early

    std::string_view token_text(size_t index) const {
        const SourceToken& token = tokens[index];
        return text.substr(token.start, token.end - token.start);
    }
    // Two tokens written with nothing between them, as in "+=" or "1e5".
    bool adjacent(size_t first) const {
        return first + 1 < tokens.size() && tokens[first].end == tokens[first + 1].start;
    }
};

enum class UseKind : uint8_t {
    value,   // an operand: arithmetic, comparison or condition
    copy,    // the whole right-hand side of "x = s;" or "var x = s;"
    print,   // a print item
    target,  // the name an assignment writes
};

struct Use {
    int32_t token;
    UseKind kind;
    bool in_loop;
};

struct Declaration {
    int32_t var_token, name_token;
    int32_t ready;  // the token from which the entry exists: after its initialiser
    int32_t block;  // the "{" of the innermost block holding it, or -1 at the top level
    bool in_loop;
    bool from_string;  // "var s = \"...\";"
};

struct Facts {
    std::vector<Use> uses;
    std::vector<Declaration> declarations;
};

// Collects diagnostics; locations come from token indices of the source.
struct Sink {
    const Source& source;
    std::vector<Diagnostic>& diagnostics;
    Diagnostic scratch;   // takes what is not reported
    bool syntax = false;  // set while the syntax pass reports

    // At the token's bytes (the end token: just after the token before it).
    Diagnostic& at(size_t token, Severity severity, const char* code, std::string message);
    // Just after the token before `token`, where a missing token belongs.
    Diagnostic& after(size_t token, const char* code, std::string message);
    void note(Diagnostic& diagnostic, size_t token, std::string message);
    static void help(Diagnostic& diagnostic, std::string message);

private:
    bool echoes_lexing(size_t token);
};

// Every statement of every block: syntax errors with their help lines, constant division by
// zero, chained comparisons; records the names for check_names.
void check_syntax(const Source& source, Sink& sink, Facts& facts);

// Undefined names, declarations in loops, redeclarations, use before declaration and strings
// used as numbers.
void check_names(const Source& source, const Facts& facts, Sink& sink);
