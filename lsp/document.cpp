// Positions: bytes on our side, UTF-16 code units or UTF-8 bytes on the client's.
#include "document.h"

#include <algorithm>

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

// The bytes of protocol line `line`, without its line break.
std::string_view line_text(std::string_view text, const LineIndex& lines, size_t line) {
    size_t start = lines.starts[line];
    size_t end = text.size();
    if (line + 1 < lines.starts.size()) {
        end = lines.starts[line + 1] - 1;
        if (text[end] == '\n' && end > start && text[end - 1] == '\r') end--;
    }
    return text.substr(start, end - start);
}

}  // namespace

LineIndex index_lines(std::string_view text) {
    LineIndex lines;
    lines.size = text.size();
    lines.starts.push_back(0);
    lines.checker_starts.push_back(0);
    for (size_t i = 0; i < text.size(); i++) {
        if (text[i] == '\n') {
            lines.starts.push_back(i + 1);
            lines.checker_starts.push_back(i + 1);
        } else if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')) {
            lines.starts.push_back(i + 1);
        }
    }
    return lines;
}

Position to_position(std::string_view text, const LineIndex& lines, size_t offset,
                     Encoding encoding) {
    offset = std::min(offset, text.size());
    size_t line =
        static_cast<size_t>(std::upper_bound(lines.starts.begin(), lines.starts.end(), offset) -
                            lines.starts.begin() - 1);
    std::string_view bytes = line_text(text, lines, line);
    size_t want = std::min(offset - lines.starts[line], bytes.size());
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
    const std::vector<size_t>& starts = lines.checker_starts;
    size_t index = static_cast<size_t>(line - 1);
    if (index >= starts.size()) return to_position(text, lines, text.size(), encoding);
    size_t end = index + 1 < starts.size() ? starts[index + 1] - 1 : text.size();
    size_t within = column < 1 ? 0 : std::min(static_cast<size_t>(column - 1), end - starts[index]);
    return to_position(text, lines, starts[index] + within, encoding);
}

size_t to_offset(std::string_view text, const LineIndex& lines, Position position,
                 Encoding encoding) {
    if (position.line < 0) return 0;
    if (static_cast<uint64_t>(position.line) >= lines.starts.size()) return text.size();
    size_t line = static_cast<size_t>(position.line);
    std::string_view bytes = line_text(text, lines, line);
    int64_t character = 0;
    size_t at = 0;
    while (at < bytes.size() && character < position.character) {
        size_t length = char_length(bytes, at);
        character += static_cast<int64_t>(units(length, encoding));
        at += length;
    }
    return lines.starts[line] + at;
}

void set_text(Document& document, std::string text) {
    document.text = std::move(text);
    document.lines = index_lines(document.text);
    document.tokens = lex_source(document.text);
}
