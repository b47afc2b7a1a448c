// The checker: lexes the whole script through the shared scanner, then runs the syntax pass and
// the name rules over the tokens, and sorts what they found into text order.
//
// Diagnostic codes (stable; tools key on them):
//   Errors, with the interpreter's message:
//   unknown-character          a byte no token starts with ("Unknown character: %c")
//   unterminated-string        a string literal that never closes
//   too-many-tokens            more than 999 tokens plus the end token
//   expected-lparen-after-print  "print" without "("
//   expected-comma             two print items without "," between them
//   unexpected-token-in-print  a print item that is not a name, number or string
//   expected-semicolon         a statement that does not end with ";"
//   expected-variable-name     "var" without a name after it
//   expected-assign            "var NAME" without "="
//   unexpected-identifier      a statement starting with a name not followed by "="
//   compound-assignment        "x += 1;", "x++;" ("Unexpected identifier")
//   expected-lparen            "if" or "while" without "("
//   expected-rparen            an unclosed "(" or a condition without ")"
//   expected-lbrace            "if (...)" or "while (...)" without "{"
//   expected-rbrace            a block that is never closed
//   expected-expression        no operand where one must stand (a statement that starts with no
//                              statement word reads as an expression)
//   string-in-expression       a string literal where a number is computed
//   undefined-variable         a name no "var" anywhere declares
//   division-by-zero           a divisor made of numbers alone that is zero
//   Warnings:
//   var-in-loop                "var" inside a loop body adds an entry on every pass
//   redeclaration              a second "var" of a name: the new entry is never used
//   use-before-declaration     a use outside loops above every "var" of its name
//   string-as-number           a string variable computed with: it counts as 0
//   string-copy                "x = s;" or "var x = s;" with a string variable: copies 0
//   chained-comparison         "a < b < c" compares the 0 or 1 of "a < b" with c
//   directive-cuts-code        code after the header directive's ">" is cut with it
//   directive-not-first-line   "sg<" after the first line does nothing
//   carriage-returns-only      no newlines: after the first "#" the whole file is a comment
#include "check.h"

#include <algorithm>
#include <string>

#include "blocks.h"
#include "directive.h"
#include "rules.h"
#include "scan.h"

namespace {

// Byte offsets to real lines and columns.
struct LineMap {
    std::vector<size_t> starts;  // offset of each line's first byte

    explicit LineMap(std::string_view text) {
        starts.push_back(0);
        for (size_t i = 0; i < text.size(); i++) {
            if (text[i] == '\n') starts.push_back(i + 1);
        }
    }
    int32_t line(size_t offset) const {
        return static_cast<int32_t>(std::upper_bound(starts.begin(), starts.end(), offset) -
                                    starts.begin());
    }
    int32_t column(size_t offset) const {
        return static_cast<int32_t>(offset - starts[line(offset) - 1] + 1);
    }
};

// Lines and columns of offsets that never decrease, found by walking instead of searching.
struct LineWalker {
    const LineMap& lines;
    size_t index = 0;  // the line holding the last offset, 0-based

    void place(size_t offset, int32_t* line, int32_t* column) {
        while (index + 1 < lines.starts.size() && lines.starts[index + 1] <= offset) index++;
        *line = static_cast<int32_t>(index + 1);
        *column = static_cast<int32_t>(offset - lines.starts[index] + 1);
    }
};

struct LexError {
    ScanStatus status;
    size_t start, end;  // as written; a run of unknown bytes is one error
};

// The tokens as lex_source gives them; with `past_unknown`, an unknown byte is recorded in
// `errors` and scanning goes on after it, so one bad byte hides nothing else.
std::vector<SourceToken> lex(std::string_view text, bool past_unknown,
                             std::vector<LexError>* errors) {
    std::string script(text.substr(0, text.find('\0')));
    Directive directive = read_directive(script.c_str());
    size_t cut = directive.cut ? directive.cut_end - directive.start : 0;
    std::string cleaned = script;
    if (cut > 0) cleaned.erase(directive.start, cut);
    LineMap lines(script);
    LineWalker at_start{lines}, at_end{lines};
    auto as_written = [&](size_t offset) {
        return cut > 0 && offset >= directive.start ? offset + cut : offset;
    };
    std::vector<SourceToken> result;
    size_t pos = 0;
    int32_t line = 1;
    for (;;) {
        Scan scan = scan_token(cleaned.c_str(), pos, line);
        line = scan.line;
        size_t start = as_written(scan.start);
        if (scan.status == SCAN_UNKNOWN_CHARACTER && past_unknown) {
            if (cleaned[scan.start] == '\'') {
                // A string in single quotes: one error for all of it, and no words from inside.
                size_t close = cleaned.find_first_of("'\n", scan.end);
                if (close != std::string::npos && cleaned[close] == '\'') scan.end = close + 1;
            }
            size_t end = as_written(scan.end);
            if (!errors->empty() && errors->back().status == SCAN_UNKNOWN_CHARACTER &&
                errors->back().end == start) {
                errors->back().end = end;
            } else {
                errors->push_back(LexError{scan.status, start, end});
            }
            pos = scan.end;
            continue;
        }
        if (scan.status == SCAN_UNTERMINATED_STRING && errors != nullptr) {
            errors->push_back(LexError{scan.status, start, start + 1});
        }
        size_t end = scan.status == SCAN_TOKEN ? as_written(scan.end) : start;
        TokenType type = scan.status == SCAN_TOKEN ? scan.type : TOKEN_EOF;
        SourceToken token{type, start, end, 0, 0, 0, 0};
        at_start.place(start, &token.line, &token.column);
        at_end.place(end, &token.end_line, &token.end_column);
        result.push_back(token);
        if (scan.status != SCAN_TOKEN) break;
        pos = scan.end;
    }
    return result;
}

Diagnostic& add_at_offset(std::vector<Diagnostic>& diagnostics, const LineMap& lines,
                          Severity severity, const char* code, std::string message, size_t start,
                          size_t end) {
    int32_t line = lines.line(start);
    int32_t column = lines.column(start);
    int32_t end_column = lines.line(end) == line && end > start ? lines.column(end) : column + 1;
    diagnostics.push_back(
        Diagnostic{severity, line, column, end_column, code, std::move(message), {}});
    return diagnostics.back();
}

void report_lexical(const std::vector<LexError>& errors, std::string_view text,
                    const LineMap& lines, std::vector<Diagnostic>& diagnostics) {
    for (const LexError& error : errors) {
        if (error.status == SCAN_UNTERMINATED_STRING) {
            Diagnostic& diagnostic =
                add_at_offset(diagnostics, lines, Severity::error, "unterminated-string",
                              "Unterminated string", error.start, error.end);
            Sink::help(diagnostic, "close it with '\"'; a '\"' inside a string is written '\\\"'");
            continue;
        }
        char byte = text[error.start];
        Diagnostic& diagnostic =
            add_at_offset(diagnostics, lines, Severity::error, "unknown-character",
                          std::string("Unknown character: ") + byte, error.start, error.end);
        if (byte == '%') {
            Sink::help(diagnostic,
                       "there is no '%': for whole numbers, take b away in a loop: "
                       "'while (r > b - 1) { r = r - b; }'");
        } else if (byte == '\'') {
            Sink::help(diagnostic, "strings are written in double quotes: \"text\"");
        }
    }
}

// The header directive's pitfalls, and a file whose only line breaks are carriage returns.
void report_layout(std::string_view text, const Source& source, const LineMap& lines,
                   std::vector<Diagnostic>& diagnostics) {
    std::string script(text);
    Directive directive = read_directive(script.c_str());
    if (directive.found && directive.cut && directive.option_end < directive.cut_end) {
        size_t code = directive.option_end + 1;
        while (code < directive.cut_end && is_space(text[code])) code++;
        if (code < directive.cut_end && text[code] != '#') {
            size_t end = directive.cut_end;
            while (end > code && is_space(text[end - 1])) end--;
            Diagnostic& diagnostic = add_at_offset(
                diagnostics, lines, Severity::warning, "directive-cuts-code",
                "the header directive's line is cut: this code never runs", code, end);
            Sink::help(diagnostic, "move the code to the next line");
        }
    }
    // "sg<" after the first line, outside string literals.
    const std::vector<SourceToken>& tokens = source.tokens;
    size_t first_line_end = text.find('\n');
    for (size_t at = first_line_end == std::string_view::npos ? text.size()
                                                              : text.find("sg<", first_line_end);
         at < text.size(); at = text.find("sg<", at + 3)) {
        auto after = std::upper_bound(
            tokens.begin(), tokens.end(), at,
            [](size_t offset, const SourceToken& token) { return offset < token.start; });
        if (after != tokens.begin()) {
            const SourceToken& token = *(after - 1);
            if (token.type == TOKEN_STRING && at < token.end) continue;
        }
        Diagnostic& diagnostic =
            add_at_offset(diagnostics, lines, Severity::warning, "directive-not-first-line",
                          "a header directive works only on the first line", at, at + 3);
        Sink::help(diagnostic, "move it to line 1, for example '#sg<nel>'");
    }
    size_t carriage_return = text.find('\r');
    if (carriage_return != std::string_view::npos && first_line_end == std::string_view::npos) {
        size_t hash = text.find('#');
        if (hash != std::string_view::npos && text.find('\r', hash) != std::string_view::npos) {
            Diagnostic& diagnostic = add_at_offset(
                diagnostics, lines, Severity::warning, "carriage-returns-only",
                "the file has carriage returns but no newlines: this comment runs to its end", hash,
                hash + 1);
            Sink::help(diagnostic, "save the file with newline (LF) line endings");
        }
    }
}

}  // namespace

// What follows an unclosed string is part of it, and an unknown byte stands for something left
// out: syntax errors there would only echo the lexical error.
bool Sink::echoes_lexing(size_t token) {
    bool cut_off = source.lexing_stopped && token + 1 == source.tokens.size();
    if (!cut_off && !(syntax && source.after_junk[token])) return false;
    scratch = Diagnostic{};
    return true;
}

Diagnostic& Sink::at(size_t token, Severity severity, const char* code, std::string message) {
    if (echoes_lexing(token)) return scratch;
    const SourceToken& place = source.tokens[token];
    if (place.type == TOKEN_EOF && token > 0) {
        Diagnostic& diagnostic = after(token, code, std::move(message));
        diagnostic.severity = severity;
        return diagnostic;
    }
    int32_t end_column = place.end_line == place.line && place.end_column > place.column
                             ? place.end_column
                             : place.column + 1;
    diagnostics.push_back(
        Diagnostic{severity, place.line, place.column, end_column, code, std::move(message), {}});
    return diagnostics.back();
}

Diagnostic& Sink::after(size_t token, const char* code, std::string message) {
    if (echoes_lexing(token)) return scratch;
    if (token == 0) return at(0, Severity::error, code, std::move(message));
    const SourceToken& before = source.tokens[token - 1];
    diagnostics.push_back(Diagnostic{Severity::error,
                                     before.end_line,
                                     before.end_column,
                                     before.end_column + 1,
                                     code,
                                     std::move(message),
                                     {}});
    return diagnostics.back();
}

void Sink::note(Diagnostic& diagnostic, size_t token, std::string message) {
    const SourceToken& place = source.tokens[token];
    int32_t end_column = place.end_line == place.line && place.end_column > place.column
                             ? place.end_column
                             : place.column + 1;
    diagnostic.notes.push_back(
        Note{false, place.line, place.column, end_column, std::move(message)});
}

void Sink::help(Diagnostic& diagnostic, std::string message) {
    diagnostic.notes.push_back(Note{true, 0, 0, 0, std::move(message)});
}

std::vector<SourceToken> lex_source(std::string_view text) {
    return lex(text, false, nullptr);
}

std::vector<Diagnostic> check(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<LexError> lexical;
    Source source{text, lex(text, true, &lexical), {}, {}, false};
    source.lexing_stopped = !lexical.empty() && lexical.back().status == SCAN_UNTERMINATED_STRING;
    source.block_end.assign(source.tokens.size(), -1);
    std::vector<int32_t> open_braces(source.tokens.size());
    pair_braces(source.tokens, static_cast<int32_t>(source.tokens.size()), source.block_end.data(),
                open_braces.data());
    source.after_junk.assign(source.tokens.size(), false);
    size_t next_token = 0;
    for (const LexError& error : lexical) {
        if (error.status != SCAN_UNKNOWN_CHARACTER) continue;
        while (next_token < source.tokens.size() && source.tokens[next_token].start < error.end) {
            next_token++;
        }
        if (next_token < source.tokens.size()) source.after_junk[next_token] = true;
    }
    LineMap lines(text);

    std::vector<Diagnostic> diagnostics;
    report_lexical(lexical, text, lines, diagnostics);
    Sink sink{source, diagnostics, {}};
    size_t count = source.tokens.size() - 1;
    if (count >= MAX_TOKENS) {
        Diagnostic& diagnostic =
            sink.at(MAX_TOKENS - 1, Severity::error, "too-many-tokens", "Too many tokens");
        sink.note(diagnostic, count - 1,
                  std::string("the script has ") + std::to_string(count) + " tokens; at most " +
                      std::to_string(MAX_TOKENS - 1) + " fit, plus the end token");
    }
    report_layout(text, source, lines, diagnostics);

    Facts facts;
    sink.syntax = true;
    check_syntax(source, sink, facts);
    sink.syntax = false;
    check_names(source, facts, sink);
    std::stable_sort(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& a, const Diagnostic& b) {
                         return a.line != b.line ? a.line < b.line : a.column < b.column;
                     });
    return diagnostics;
}
