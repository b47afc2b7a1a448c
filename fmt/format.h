// The formatter: one layout for every script, never changing what it does. A plain function
// from a script's text to the formatted text (or to the reason it is left as it is): no global
// state, never exits, so the command, the language server and the playground share it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Replace the input's bytes [start, end) with `text`.
struct FormatEdit {
    size_t start, end;
    std::string text;
};

// Lines [first, last] of the input, 1-based, left as written, and why (the checker's message).
struct KeptLines {
    int32_t first, last;
    std::string reason;
};

// Whether `keep` holds any of the lines [first, last].
inline bool keeps_lines(const std::vector<KeptLines>& keep, int32_t first, int32_t last) {
    for (const KeptLines& lines : keep) {
        if (first <= lines.last && last >= lines.first) return true;
    }
    return false;
}

struct FormatResult {
    bool ok;                        // false: the script is left as it is, for `message`
    std::string text;               // the formatted script; the input itself when !ok
    std::vector<FormatEdit> edits;  // from the input to `text`: in order, disjoint (if asked)
    std::string message;            // why the script is left unchanged ("Unterminated string")
    int32_t line, column;           // where, 1-based in bytes; 0 when the reason has no place
    std::vector<KeptLines> kept;    // the parts left as written (format_script's `keep`)
};

// Blocks nested deeper indent no further, so the output stays within a constant factor of the
// input (a script runs at most 999 tokens; a text of nothing but "{" is still formatted).
inline constexpr int MAX_INDENT_LEVELS = 40;

// Every rule of the layout at a glance: four spaces per block level (at most
// MAX_INDENT_LEVELS), one statement per line, "{" on the line of its statement, "}" on a line of
// its own, one space around binary operators and after commas, comments kept where they stand,
// at most one blank line in a row, no trailing spaces, a final line break in the input's style.
// The rules look at tokens only, never at the grammar: a script with a syntax error is
// formatted all the same. Only whitespace between tokens changes (and trailing whitespace in
// comments); the first line stays byte for byte when it holds "sg<".
//
// Left unchanged: a lexical error (an unknown character, an unterminated string), a NUL byte,
// and carriage returns without any newline (a file that is one line to the interpreter).
// `with_edits` also lists the changes as edits: in each stretch between two tokens that changes,
// the part that differs (never half of a "\r\n").
//
// `keep` names lines whose tokens stay as written: between two tokens of them everything is kept
// byte for byte (line breaks, indentation, comments); between one of them and a token beside
// it, the whitespace on a line is kept and a line break stays a line break (the indent of the
// new line follows the layout), so what touches stays touching and no lines are joined. The
// result's `kept` is `keep`.
FormatResult format_script(std::string_view text, bool with_edits = false,
                           const std::vector<KeptLines>& keep = {});

// The edits among `edits` (format_script(text, true).edits) that touch the bytes [start, end]
// of the input: a part of the script formatted alone. None when the result's first line would
// then hold an "sg<" that the input's does not.
std::vector<FormatEdit> range_edits(std::string_view text, const std::vector<FormatEdit>& edits,
                                    size_t start, size_t end);
