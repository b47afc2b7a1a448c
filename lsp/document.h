// Open documents and the conversion between byte offsets and protocol positions.
#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "lines.h"
#include "source_model.h"

// How a position's character counts: UTF-16 code units unless the client takes UTF-8 bytes.
enum class Encoding { utf16, utf8 };

// A protocol position: 0-based line and character in the negotiated encoding.
struct Position {
    int64_t line, character;
};

// Line starts of a text: `editor` as the protocol counts lines, after "\n", "\r\n" or a lone
// "\r"; `checker` after "\n" only, as the checker counts them.
struct LineIndex {
    LineTable editor;
    LineTable checker;
};

LineIndex index_lines(std::string_view text);

// A byte offset as a position; an offset inside a UTF-8 sequence counts as its character.
Position to_position(std::string_view text, const LineIndex& lines, size_t offset,
                     Encoding encoding);

// A checker place (1-based line, 1-based byte column) as a position; past the end clamps.
Position to_position(std::string_view text, const LineIndex& lines, int32_t line, int32_t column,
                     Encoding encoding);

// A position as a byte offset; a line or character past the end clamps to the end of the line
// or of the text, and a character inside a UTF-8 sequence or surrogate pair lands after it.
size_t to_offset(std::string_view text, const LineIndex& lines, Position position,
                 Encoding encoding);

struct Document {
    std::string text;
    int64_t version = 0;
    int64_t revision = 0;  // the server's number for this text: a save can change it too
    LineIndex lines;
    SourceModel model;  // kept with the text: every request reads it
    // The tokens a run reads, up to its first lexical error (the end token stands there): the
    // model's tokens, the same indices.
    std::vector<SourceToken> tokens;
};

// Where a token starts (or ends, with `at_end`) as a position: its UTF-16 or byte column from
// the model, unless a lone carriage return, which editors count as a line break, stands on its
// line before it.
Position token_position(const Document& document, size_t index, bool at_end, Encoding encoding);

// The open documents by URI.
using DocumentStore = std::map<std::string, Document>;

// Replaces the text and everything derived from it.
void set_text(Document& document, std::string text);
