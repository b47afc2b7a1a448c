// Positions: bytes on our side, UTF-16 code units or UTF-8 bytes on the client's.
#include "document.h"

namespace {

// Code units of one character of `length` bytes.
size_t units(size_t length, Encoding encoding) {
    if (encoding == Encoding::utf8) return length;
    return static_cast<size_t>(utf16_units(length));
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
        size_t length = utf8_length(bytes, at);
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
        size_t length = utf8_length(bytes, at);
        character += static_cast<int64_t>(units(length, encoding));
        at += length;
    }
    return lines.editor.starts[line] + at;
}

Position token_position(const Document& document, size_t index, bool at_end, Encoding encoding) {
    const SourceToken& token = document.tokens[index];
    size_t offset = std::min(at_end ? token.end : token.start, document.text.size());
    int32_t line = at_end ? token.end_line : token.line;
    size_t editor_line = document.lines.editor.index(offset);
    if (document.lines.editor.starts[editor_line] != document.model.lines.starts[line - 1]) {
        return to_position(document.text, document.lines, offset, encoding);
    }
    int32_t column = encoding == Encoding::utf8 ? (at_end ? token.end_column : token.column)
                     : at_end                   ? token.utf16_end_column
                                                : token.utf16_column;
    return {static_cast<int64_t>(editor_line), static_cast<int64_t>(column - 1)};
}

void set_text(Document& document, std::string text) {
    document.text = std::move(text);
    document.lines = index_lines(document.text);
    document.model = model_source(document.text);
    document.tokens = tokens_before_error(document.model);
}
