// Positions: bytes on our side, UTF-16 code units or UTF-8 bytes on the client's.
#include "document.h"

namespace {

// Bytes of the UTF-8 sequence a lead byte starts; a stray continuation or invalid byte is one
// byte, which clients show as one replacement character.
size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0 && lead <= 0xF4) return 4;
    if (lead >= 0xE0) return lead <= 0xEF ? 3 : 1;
    if (lead >= 0xC2) return 2;
    return 1;
}

// The sequence at `at` is complete and well formed as far as its continuation bytes go.
size_t char_length(std::string_view line, size_t at) {
    size_t length = sequence_length(static_cast<unsigned char>(line[at]));
    if (at + length > line.size()) return 1;
    for (size_t i = 1; i < length; i++) {
        if ((static_cast<unsigned char>(line[at + i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

// Code units of one character of `length` bytes.
size_t units(size_t length, Encoding encoding) {
    if (encoding == Encoding::utf8) return length;
    return length == 4 ? 2 : 1;
}

// The bytes of protocol line `line` (0-based), without its line break.
std::string_view line_text(std::string_view text, const LineIndex& lines, size_t line) {
    return lines.editor.text_of(text, static_cast<int32_t>(line + 1));
}

}  // namespace

LineIndex index_lines(std::string_view text) {
    return LineIndex{LineTable(text, LineBreaks::any), LineTable(text)};
}

Position to_position(std::string_view text, const LineIndex& lines, size_t offset,
                     Encoding encoding) {
    offset = std::min(offset, text.size());
    size_t line = lines.editor.index(offset);
    std::string_view bytes = line_text(text, lines, line);
    size_t want = std::min(offset - lines.editor.starts[line], bytes.size());
    int64_t character = 0;
    for (size_t at = 0; at < want;) {
        size_t length = char_length(bytes, at);
        character += static_cast<int64_t>(units(length, encoding));
        at += length;
    }
    return {static_cast<int64_t>(line), character};
}

Position to_position(std::string_view text, const LineIndex& lines, int32_t line, int32_t column,
                     Encoding encoding) {
    if (line < 1) return {0, 0};
    return to_position(text, lines, lines.checker.offset(line, column), encoding);
}

size_t to_offset(std::string_view text, const LineIndex& lines, Position position,
                 Encoding encoding) {
    if (position.line < 0) return 0;
    if (static_cast<uint64_t>(position.line) >= lines.editor.starts.size()) return text.size();
    size_t line = static_cast<size_t>(position.line);
    std::string_view bytes = line_text(text, lines, line);
    int64_t character = 0;
    size_t at = 0;
    while (at < bytes.size() && character < position.character) {
        size_t length = char_length(bytes, at);
        character += static_cast<int64_t>(units(length, encoding));
        at += length;
    }
    return lines.editor.starts[line] + at;
}

void set_text(Document& document, std::string text) {
    document.text = std::move(text);
    document.lines = index_lines(document.text);
    document.tokens = lex_source(document.text);
}
