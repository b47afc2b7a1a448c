// Where a brace mistake most likely stands, from indentation and "}}" on one line: the block left
// open, and the "}" one too many.
#include "braces.h"

#include <algorithm>
#include <string>

namespace {

// A "}" that stands first on its line.
bool first_on_line(const Source& source, int32_t close) {
    return close > 0 && source.tokens[close - 1].end_line < source.tokens[close].line;
}

// In a block written over lines, indented deeper than its "{"'s line, the first line before its
// "}" that goes back to that indentation: its first token, or -1.
int32_t line_out_of_block(const Source& source, int32_t open, int32_t close) {
    const std::vector<SourceToken>& tokens = source.tokens;
    int32_t indent = source.indent(open);
    int32_t first = open + 1;
    if (first >= close || tokens[first].line == tokens[open].end_line ||
        tokens[first].column <= indent) {
        return -1;
    }
    for (int32_t i = first + 1; i < close; i++) {
        if (tokens[i - 1].end_line < tokens[i].line && tokens[i].column <= indent) return i;
    }
    return -1;
}

// The blocks that likely lost their "}" and took an outer block's: the "}" stands first on its
// line, indented less than the line its "{" is on; or, when the "}" ends a line, a line of the
// block before it goes back to the indentation of the "{"'s line.
void find_clues(const Source& source, OpenClues& clues) {
    clues.found = true;
    const std::vector<SourceToken>& tokens = source.tokens;
    for (int32_t i = 0; i + 1 < static_cast<int32_t>(tokens.size()); i++) {
        int32_t close = source.block_end[i];
        if (tokens[i].type != TOKEN_LBRACE || close < 0) continue;
        bool outer_close = first_on_line(source, close) && tokens[close].column < source.indent(i);
        int32_t out = outer_close ? -1 : line_out_of_block(source, i, close);
        if (!outer_close && out < 0) continue;
        clues.blocks.push_back(i);
        clues.dedented.push_back(out);
    }
}

// The "{" that the "}" at `close` closes, or -1.
int32_t opening_of(const Source& source, int32_t close) {
    for (int32_t open = close - 1; open >= 0; open--) {
        if (source.block_end[open] == close) return open;
    }
    return -1;
}

}  // namespace

int32_t note_unclosed(const Source& source, Sink& sink, OpenClues& clues, Diagnostic& diagnostic,
                      int32_t open) {
    if (!clues.found) find_clues(source, clues);
    // The first such block inside the open one is the likeliest.
    auto inner = std::upper_bound(clues.blocks.begin(), clues.blocks.end(), open);
    if (inner == clues.blocks.end()) {
        sink.note(diagnostic, open, "block opened here");
        return open;
    }
    int32_t likely = *inner;
    int32_t out = clues.dedented[inner - clues.blocks.begin()];
    std::string why = out < 0 ? "the '}' on line " +
                                    std::to_string(source.tokens[source.block_end[likely]].line) +
                                    " is indented as if it closed an outer block"
                              : "line " + std::to_string(source.tokens[out].line) +
                                    " is indented as if it stood after it";
    sink.note(diagnostic, likely, "this block is the one left open: " + why);
    // Braces pair innermost first, so it is this "{" that a run finds unmatched.
    sink.note(diagnostic, open, "this '{' has no matching '}'");
    return likely;
}

int32_t note_extra_close(const Source& source, Sink& sink, Diagnostic& diagnostic, int32_t close) {
    // The first "}" that stands first on its line, indented deeper than the line of the "{" it
    // closes; else the second of two "}" on one line that close blocks opened on earlier lines.
    const std::vector<SourceToken>& tokens = source.tokens;
    int32_t doubled = -1;
    for (int32_t open = 0; open < close; open++) {
        int32_t end = source.block_end[open];
        if (tokens[open].type != TOKEN_LBRACE || end < 0 || end >= close) continue;
        if (first_on_line(source, end) && tokens[end].column > source.indent(open)) {
            sink.note(diagnostic, end,
                      "is this '}' one too many? it closes the block of line " +
                          std::to_string(tokens[open].line) + ", which is indented less");
            Sink::fix(diagnostic, tokens[end].start, tokens[end].end, "", false);
            return end;
        }
        if (doubled < 0 && tokens[end - 1].type == TOKEN_RBRACE &&
            tokens[end - 1].line == tokens[end].line && tokens[open].line < tokens[end].line) {
            int32_t inner = opening_of(source, end - 1);
            if (inner >= 0 && tokens[inner].line < tokens[end].line) doubled = end;
        }
    }
    if (doubled < 0) return -1;
    sink.note(diagnostic, doubled,
              "is this '}' one too many? the '}' before it on this line already closes a block");
    Sink::fix(diagnostic, tokens[doubled].start, tokens[doubled].end, "", false);
    return doubled;
}
