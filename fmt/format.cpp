// The layout. The tokens, their places and the lexical errors come from the source model, which
// scans the text as a run does (after a header directive's cut), so the formatter sees exactly
// the tokens a run sees; the stretches between them (whitespace, comments, a lone '&' or '|'
// that the scanner skips) are read here, and only they are rewritten.
#include "format.h"

#include <algorithm>
#include <cstddef>

#include "source_model.h"

namespace {

// A '-' or '+' after these is a sign (no space after it), not a binary operator: no operand
// ends with them. The language has no unary operator, but a script may still hold one.
bool is_operand_end(TokenType type) {
    return type == TOKEN_IDENTIFIER || type == TOKEN_NUMBER || type == TOKEN_STRING ||
           type == TOKEN_RPAREN;
}

// The first line break between tokens, or npos: it sets the output's line break style.
size_t first_line_break(std::string_view text, const std::vector<SourceToken>& tokens) {
    size_t from = 0;
    for (const SourceToken& token : tokens) {
        size_t to = token.type != TOKEN_EOF ? token.start : text.size();
        size_t at = text.substr(0, to).find('\n', from);
        if (at != std::string_view::npos || token.type == TOKEN_EOF) return at;
        from = token.end;
    }
    return std::string_view::npos;
}

// Writes tokens and the comments and skipped bytes between them, deciding each line break,
// indentation and space from the tokens alone.
struct Layout {
    std::string_view eol;
    std::string out;
    int32_t depth = 0;               // open blocks
    TokenType previous = TOKEN_EOF;  // the last token, TOKEN_EOF before the first
    bool previous_is_sign = false;   // it is a '!', or a '-' or '+' with no operand before it
    bool after_skipped = false;      // a lone '&' or '|' was written after it
    bool line_open = false;          // the output's current line holds something
    bool break_pending = false;      // what comes next starts a new line
    bool inside_statement = false;   // a line started now continues a statement
    int32_t newlines = 0;            // line breaks in the input since the last thing written

    // Before a token: the blocks it closes. The prefix kept as written goes through this too.
    void enter(TokenType type) {
        if (type == TOKEN_RBRACE && depth > 0) depth--;
    }

    // After a token.
    void leave(TokenType type) {
        previous_is_sign = type == TOKEN_NOT || ((type == TOKEN_MINUS || type == TOKEN_PLUS) &&
                                                 !is_operand_end(previous));
        previous = type;
        after_skipped = false;
        if (type == TOKEN_LBRACE) depth++;
        break_pending = ends_statement(type);
        inside_statement = !ends_statement(type);
    }

    // One space between the last thing written and this token on the same line, or none.
    bool space_before(TokenType type) const {
        if (after_skipped) return true;
        if (type == TOKEN_COMMA || type == TOKEN_SEMICOLON || type == TOKEN_RPAREN) return false;
        if (previous == TOKEN_LPAREN) return false;
        if (type == TOKEN_LPAREN && (previous == TOKEN_PRINT || previous == TOKEN_IDENTIFIER))
            return false;
        // "! =" written "!=" would be another token.
        if (previous_is_sign)
            return previous == TOKEN_NOT && (type == TOKEN_ASSIGN || type == TOKEN_EQ);
        return true;
    }

    // Starts a new line first when `new_line` says so or nothing is on the current one; keeps
    // one blank line where the input had one or more.
    void begin(bool new_line, int32_t levels, bool space) {
        if (new_line && line_open) {
            out += eol;
            line_open = false;
        }
        if (!line_open) {
            if (newlines >= 2 && !out.empty()) out += eol;
            out.append(4 * static_cast<size_t>(std::min(levels, MAX_INDENT_LEVELS)), ' ');
            line_open = true;
        } else if (space) {
            out += ' ';
        }
        newlines = 0;
        break_pending = false;
    }

    int32_t levels() const { return depth + (inside_statement ? 1 : 0); }

    // The line break, indent or space before a token; the token follows.
    void before_token(TokenType type) {
        enter(type);
        // A brace never takes a continuation's indent: it belongs to its statement's line.
        bool brace = type == TOKEN_LBRACE || type == TOKEN_RBRACE;
        begin(break_pending || type == TOKEN_RBRACE, brace ? depth : levels(), space_before(type));
    }

    // A comment stays after the code of its line, one space before its '#', or on a line of
    // its own at the indent of what it stands among.
    void comment(std::string_view bytes) {
        if (newlines == 0 && line_open) {
            out += ' ';
        } else {
            begin(true, levels(), false);
        }
        out += bytes;
        break_pending = true;
    }

    // A lone '&' or '|', which the scanner skips: kept, with a space or a line start on both
    // sides, so that it never meets another '&' or '|' and becomes a token.
    void skipped(char byte) {
        begin(break_pending, levels(), true);
        out += byte;
        after_skipped = true;
    }

    // A new line for a kept token, with its indent as written.
    void begin_kept_line(std::string_view indent) {
        if (line_open) {
            out += eol;
            line_open = false;
        }
        if (newlines >= 2 && !out.empty()) out += eol;
        out += indent;
        line_open = true;
        newlines = 0;
        break_pending = false;
    }

    // A stretch between kept tokens, byte for byte: a help may quote it.
    void kept(std::string_view gap) {
        out += gap;
        newlines = 0;
    }

    // The whitespace, comments and skipped bytes of text[from, to).
    void between(std::string_view text, size_t from, size_t to) {
        for (size_t at = from; at < to;) {
            char c = text[at];
            if (c == '\n') {
                newlines++;
                at++;
            } else if (c == '#') {
                size_t end = std::min(text.find('\n', at), to);
                size_t last = end;
                while (last > at && is_space(text[last - 1])) last--;
                comment(text.substr(at, last - at));
                at = end;
            } else if (c == '&' || c == '|') {
                skipped(c);
                at++;
            } else {
                at++;
            }
        }
    }
};

// The edit that turns `before` (the input's bytes from `start`) into `after`, without the head
// and tail they share; it never splits a "\r\n", which editors count as one line break.
FormatEdit minimal_edit(size_t start, std::string_view before, std::string_view after) {
    size_t limit = std::min(before.size(), after.size());
    size_t head = 0;
    while (head < limit && before[head] == after[head]) head++;
    size_t tail = 0;
    while (tail < limit - head &&
           before[before.size() - 1 - tail] == after[after.size() - 1 - tail]) {
        tail++;
    }
    if (head > 0 && head < before.size() && before[head - 1] == '\r' && before[head] == '\n')
        head--;
    size_t cut = before.size() - tail;
    if (tail > 0 && cut > head && before[cut - 1] == '\r' && before[cut] == '\n') tail--;
    return FormatEdit{start + head, start + before.size() - tail,
                      std::string(after.substr(head, after.size() - tail - head))};
}

// The reason a script is left as it is, at a place.
FormatResult unchanged(std::string_view text, std::string message, int32_t line, int32_t column) {
    return FormatResult{false, std::string(text), {}, std::move(message), line, column, {}};
}

}  // namespace

FormatResult format_script(std::string_view text, bool with_edits,
                           const std::vector<KeptLines>& keep) {
    if (text.find('\0') != std::string_view::npos) {
        return unchanged(text, "a NUL byte, where azuvel stops reading the script", 0, 0);
    }
    if (text.find('\r') != std::string_view::npos && text.find('\n') == std::string_view::npos) {
        return unchanged(
            text, "carriage returns but no newline: the whole file is one line to azuvel", 0, 0);
    }
    SourceModel model = model_source(text);
    if (!model.errors.empty()) {
        // Where the run's scanning stops: the line and byte column as written.
        const LexicalError& error = model.errors.front();
        return unchanged(text, lexical_message(error), error.line, error.column);
    }
    const std::vector<SourceToken>& tokens = model.tokens;

    // The first line is kept byte for byte when it holds "sg<": the header directive's rules
    // read its bytes. When a string literal runs on past it, the literal is kept whole.
    size_t prefix = 0;
    if (model.directive.found) {
        size_t first_break = text.find('\n');
        prefix = first_break == std::string_view::npos ? text.size() : first_break + 1;
        for (const SourceToken& token : tokens) {
            if (token.type == TOKEN_EOF || token.start >= prefix) break;
            if (token.end > prefix) prefix = token.end;
        }
    }

    Layout layout;
    size_t first_break = first_line_break(text, tokens);
    layout.eol =
        first_break != std::string_view::npos && first_break > 0 && text[first_break - 1] == '\r'
            ? "\r\n"
            : "\n";
    layout.out.reserve(text.size() + text.size() / 4 + 2);
    layout.out.append(text.substr(0, prefix));
    layout.line_open = prefix > 0 && text[prefix - 1] != '\n';
    layout.newlines = prefix > 0 && text[prefix - 1] == '\n' ? 1 : 0;

    FormatResult result{true, {}, {}, {}, 0, 0, keep};
    auto kept = [&keep](const SourceToken& token) {
        return keeps_lines(keep, token.line, token.end_line);
    };
    // What each stretch between two tokens became, where it changed; the first stretch is
    // always kept, for the line break that may still go before it.
    auto record = [&](size_t from, size_t to, size_t out_from) {
        if (!with_edits) return;
        std::string_view written = std::string_view(layout.out).substr(out_from);
        if (result.edits.empty() || written != text.substr(from, to - from)) {
            result.edits.push_back(FormatEdit{from, to, std::string(written)});
        }
    };
    size_t at = 0;  // the end of the last token
    const SourceToken* last = nullptr;  // the last token written after the prefix
    for (const SourceToken& token : tokens) {
        bool end = token.type == TOKEN_EOF;
        size_t start = end ? text.size() : token.start;
        if (!end && token.end <= prefix) {
            layout.enter(token.type);
            layout.leave(token.type);
            at = token.end;
            continue;
        }
        size_t out_from = layout.out.size() - (prefix > at ? prefix - at : 0);
        std::string_view gap = text.substr(std::max(at, prefix), start - std::max(at, prefix));
        bool beside_kept = !end && last != nullptr && (kept(*last) || kept(token));
        bool within_kept = beside_kept && kept(*last) && kept(token);
        if (within_kept || (beside_kept && gap.find_first_of("\n#") == std::string_view::npos)) {
            // Kept as written: "> =" is not joined, ">=" not split, "}" not moved to a line of
            // its own, and within kept lines the indentation stays (the checker reads it).
            layout.enter(token.type);
            layout.kept(gap);
        } else {
            size_t line_start = gap.rfind('\n');
            if (beside_kept && kept(token) && line_start != std::string_view::npos) {
                // The first kept line keeps its indent (a help may quote the line with it).
                layout.between(text, std::max(at, prefix), start - gap.size() + line_start + 1);
                layout.enter(token.type);
                layout.begin_kept_line(gap.substr(line_start + 1));
            } else {
                layout.between(text, std::max(at, prefix), start);
                if (end) {
                    if (layout.line_open) layout.out += layout.eol;
                    record(at, start, out_from);
                    break;
                }
                // A line break beside a kept line stays: no lines join across a missing ';'.
                if (beside_kept) layout.break_pending = true;
                layout.before_token(token.type);
            }
        }
        record(at, start, out_from);
        layout.out.append(text.substr(token.start, token.end - token.start));
        layout.leave(token.type);
        at = token.end;
        last = &token;
    }

    // No other line holding "sg<" may become the first: a line break goes before it instead.
    std::string& out = layout.out;
    if (prefix == 0 &&
        std::string_view(out).substr(0, out.find('\n')).find("sg<") != std::string_view::npos) {
        out.insert(0, layout.eol);
        if (with_edits) result.edits.front().text.insert(0, layout.eol);
    }
    std::vector<FormatEdit> edits;
    for (FormatEdit& edit : result.edits) {
        std::string_view before = text.substr(edit.start, edit.end - edit.start);
        if (before != edit.text) edits.push_back(minimal_edit(edit.start, before, edit.text));
    }
    result.edits = std::move(edits);
    result.text = std::move(out);
    return result;
}

std::vector<FormatEdit> range_edits(std::string_view text, const std::vector<FormatEdit>& edits,
                                    size_t start, size_t end) {
    std::vector<FormatEdit> chosen;
    for (const FormatEdit& edit : edits) {
        if (edit.start <= end && edit.end >= start) chosen.push_back(edit);
    }
    // The result's first line, built only as far as its first line break.
    std::string first;
    auto add = [&first](std::string_view piece) {  // false once the line is complete
        size_t line_end = piece.find('\n');
        first.append(piece.substr(0, line_end));
        return line_end == std::string_view::npos;
    };
    bool open = true;
    size_t at = 0;
    for (const FormatEdit& edit : chosen) {
        open = add(text.substr(at, edit.start - at)) && add(edit.text);
        if (!open) break;
        at = edit.end;
    }
    if (open) add(text.substr(at));
    std::string_view input_first = text.substr(0, text.find('\n'));
    if (first != input_first && first.find("sg<") != std::string::npos) return {};
    return chosen;
}
