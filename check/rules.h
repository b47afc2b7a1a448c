// What the checker's passes share: the tokens with their text, the brace table, the facts the
// syntax pass records for the name rules, and the place diagnostics are collected.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "check.h"

struct LineTable;

// Text in single quotes, as help lines show code: 'x = x + 1;'. (Built by appending: GCC 12
// warns wrongly about "'" + std::string.)
inline std::string quote(std::string_view text) {
    std::string out = "'";
    out.append(text);
    out += '\'';
    return out;
}

struct Source {
    std::string_view text;                   // as written, up to the first NUL
    const SourceModel& model;                // the one lexing, and what follows from it
    const std::vector<SourceToken>& tokens;  // the model's: every token that scans, then the end
    // The model's brace pairs: "{" tokens the matching "}" or -1, as the run pairs them.
    const std::vector<int32_t>& block_end;
    std::vector<bool> after_junk;  // an unknown byte stands just before the token
    bool lexing_stopped;  // an unterminated string ends the tokens early
    size_t runaway;       // then, the string that likely lost its closing quote

    std::string_view token_text(size_t index) const {
        const SourceToken& token = tokens[index];
        return text.substr(token.start, token.end - token.start);
    }
    // The column of the first token on the token's line.
    int32_t indent(size_t index) const {
        while (index > 0 && tokens[index - 1].end_line == tokens[index].line) index--;
        return tokens[index].column;
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
    int32_t block;    // the "{" of the innermost block holding it, or -1 at the top level
    bool first_pass;  // that block is the body of a loop inside no other loop
};

struct Declaration {
    int32_t var_token, name_token;
    int32_t ready;  // the token from which the entry exists: after its initialiser
    int32_t block;  // the "{" of the innermost block holding it, or -1 at the top level
    bool in_loop;
    bool from_string;    // "var s = \"...\";"
    bool dead;           // inside a block that no run enters ("if (0) { ... }")
    bool zero;           // its value is 0 whatever runs: the number 0, or a string
    int32_t outer_loop;  // the "{" of the outermost loop body holding it, or -1
};

// "x / n": a divisor that is one name alone.
struct Division {
    int32_t slash, name;
    bool dead;
};

// A while loop: its condition's tokens and its body's braces.
struct Loop {
    int32_t condition_start, condition_end;  // [start, end): inside the parentheses
    int32_t open, close;                     // the body's "{" and "}" (or the end token)
    bool dead;                               // no run reaches it
};

struct Facts {
    std::vector<Use> uses;
    std::vector<Declaration> declarations;
    std::vector<Division> divisions;
    std::vector<Loop> loops;
    std::vector<int32_t> unclosed;  // the "{"s that unclosed blocks' errors name
    // Statements with an error of their own, as token ranges [start, end): no advice is built
    // on what they would do.
    std::vector<std::pair<int32_t, int32_t>> failed;
    // A "}" that closes no block, and the earlier "}" likely one too many (-1 when unknown):
    // the blocks closed from that one on are paired as the run pairs them, not as meant.
    int32_t stray_close = -1, extra_close = -1;
};

// Collects diagnostics; locations come from token indices of the source.
struct Sink {
    const Source& source;
    std::vector<Diagnostic>& diagnostics;
    Diagnostic scratch;   // takes what is not reported
    bool syntax = false;  // set while the syntax pass reports

    // At the token's bytes (the end token: just after the token before it); `subject` fills
    // the message's "%s" or "%c".
    Diagnostic& at(size_t token, Code code, std::string_view subject = {});
    // Just after the token before `token`, where a missing token belongs.
    Diagnostic& after(size_t token, Code code, std::string_view subject = {});
    void note(Diagnostic& diagnostic, size_t token, std::string message);
    static void help(Diagnostic& diagnostic, std::string message);
    // An alternative fix: the bytes [start, end) as written become `replacement`.
    static void fix(Diagnostic& diagnostic, size_t start, size_t end, std::string replacement,
                    bool certain);

private:
    bool echoes_lexing(size_t token);
};

// A diagnostic of `code` at the bytes [start, end) as written, for the passes over the text.
Diagnostic& add_at_offset(std::vector<Diagnostic>& diagnostics, const LineTable& lines, Code code,
                          std::string_view subject, size_t start, size_t end);

// Every statement of every block: syntax errors with their help lines, constant division by
// zero, chained comparisons; records the names for check_names.
void check_syntax(const Source& source, Sink& sink, Facts& facts);

// Undefined names, declarations in loops, redeclarations, use before declaration and strings
// used as numbers.
void check_names(const Source& source, const Facts& facts, Sink& sink);
