// Where each line of a text starts: byte offsets to 1-based lines and columns and back; and how
// the characters of a line count in UTF-16, as editors place a cursor. The source model, the
// checker, its renderer and the language server share it, so they always agree on places.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// Which bytes end a line: the checker and the run count "\n" only; editors also count a lone
// "\r" (a "\r\n" is one break).
enum class LineBreaks { newline, any };

struct LineTable {
    std::vector<size_t> starts;  // offset of each line's first byte; starts[0] is 0
    size_t size = 0;             // of the whole text

    LineTable() = default;
    explicit LineTable(std::string_view text, LineBreaks breaks = LineBreaks::newline)
        : size(text.size()) {
        starts.push_back(0);
        for (size_t i = 0; i < text.size(); i++) {
            bool lone_return = breaks == LineBreaks::any && text[i] == '\r' &&
                               (i + 1 == text.size() || text[i + 1] != '\n');
            if (text[i] == '\n' || lone_return) starts.push_back(i + 1);
        }
    }

    // The 0-based index of the line holding `offset`.
    size_t index(size_t offset) const {
        return static_cast<size_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                   starts.begin() - 1);
    }
    int32_t line(size_t offset) const { return static_cast<int32_t>(index(offset) + 1); }
    int32_t column(size_t offset) const {
        return static_cast<int32_t>(offset - starts[index(offset)] + 1);
    }
    // The offset of a 1-based line and column, clamped to the line (its break excluded) and
    // the text.
    size_t offset(int32_t line, int32_t column) const {
        if (line < 1) return 0;
        size_t at = static_cast<size_t>(line - 1);
        if (at >= starts.size()) return size;
        size_t end = at + 1 < starts.size() ? starts[at + 1] - 1 : size;
        size_t within = column < 1 ? 0 : static_cast<size_t>(column - 1);
        return starts[at] + std::min(within, end - starts[at]);
    }
    // A 1-based line without its line break (and a "\r" before a "\n"); empty past the end.
    std::string_view text_of(std::string_view text, int32_t line) const {
        if (line < 1 || static_cast<size_t>(line) > starts.size()) return {};
        size_t start = starts[line - 1];
        size_t end = static_cast<size_t>(line) < starts.size() ? starts[line] - 1 : text.size();
        std::string_view result = text.substr(start, end - start);
        if (!result.empty() && result.back() == '\r') result.remove_suffix(1);
        return result;
    }
};

// Lines and columns of offsets that never decrease, found by walking instead of searching.
struct LineWalker {
    const LineTable& lines;
    size_t at = 0;  // the line holding the last offset, 0-based

    void place(size_t offset, int32_t* line, int32_t* column) {
        while (at + 1 < lines.starts.size() && lines.starts[at + 1] <= offset) at++;
        *line = static_cast<int32_t>(at + 1);
        *column = static_cast<int32_t>(offset - lines.starts[at] + 1);
    }
};

// Bytes of the UTF-8 sequence at `at`: a stray continuation byte, an invalid lead byte or a
// sequence cut short is one byte, which editors show as one replacement character.
inline size_t utf8_length(std::string_view text, size_t at) {
    auto lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4
                    : lead >= 0xE0               ? (lead <= 0xEF ? 3 : 1)
                    : lead >= 0xC2               ? 2
                                                 : 1;
    if (at + length > text.size()) return 1;
    for (size_t i = 1; i < length; i++) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return 1;
    }
    return length;
}

// UTF-16 code units of a character of `length` UTF-8 bytes: two beyond the basic plane.
inline int32_t utf16_units(size_t length) {
    return length == 4 ? 2 : 1;
}
