// The checker: lexes the whole script through the shared scanner, then runs the syntax pass and
// the name rules over the tokens, and sorts what they found into text order. The codes it
// reports, with their severities and messages, are the table in codes.h.
#include "check.h"

#include <algorithm>
#include <string>

#include "blocks.h"
#include "directive.h"
#include "lines.h"
#include "rules.h"
#include "scan.h"

namespace {

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
    LineTable lines(script);
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

// A diagnostic of `code` at the bytes [start, end) as written.
Diagnostic& add_at_offset(std::vector<Diagnostic>& diagnostics, const LineTable& lines, Code code,
                          std::string_view subject, size_t start, size_t end) {
    int32_t line = lines.line(start);
    int32_t column = lines.column(start);
    int32_t end_column = lines.line(end) == line && end > start ? lines.column(end) : column + 1;
    diagnostics.push_back(Diagnostic{info(code).severity,
                                     line,
                                     column,
                                     end_column,
                                     info(code).name,
                                     code_message(code, subject),
                                     {},
                                     {}});
    return diagnostics.back();
}

// Text between straight double quotes.
std::string quoted(std::string_view inside) {
    std::string out = "\"";
    out.append(inside);
    out += '"';
    return out;
}

// "E2 80 9C": the bytes as hex, for a help line about bytes a terminal may not show.
std::string hex_bytes(std::string_view bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty()) out += ' ';
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

// The UTF-8 sequence that starts at `at`, or one byte when it is not one.
std::string_view utf8_character(std::string_view text, size_t at) {
    unsigned char lead = static_cast<unsigned char>(text[at]);
    size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 1;
    if (lead >= 0xF5 || at + length > text.size()) return text.substr(at, 1);
    for (size_t i = 1; i < length; i++) {
        if ((static_cast<unsigned char>(text[at + i]) & 0xC0) != 0x80) return text.substr(at, 1);
    }
    return text.substr(at, length);
}

// The token that ends at `offset` exactly, or the number of tokens.
size_t token_ending_at(const std::vector<SourceToken>& tokens, size_t offset) {
    for (size_t i = 0; i < tokens.size(); i++) {
        if (tokens[i].end == offset && tokens[i].type != TOKEN_EOF) return i;
        if (tokens[i].start >= offset) break;
    }
    return tokens.size();
}

// The token that starts at `offset` exactly, or the number of tokens.
size_t token_starting_at(const std::vector<SourceToken>& tokens, size_t offset) {
    auto found =
        std::lower_bound(tokens.begin(), tokens.end(), offset,
                         [](const SourceToken& token, size_t at) { return token.start < at; });
    if (found == tokens.end() || found->start != offset || found->type == TOKEN_EOF) {
        return tokens.size();
    }
    return static_cast<size_t>(found - tokens.begin());
}

// Help for typographic quotes: the string they enclose, written with straight quotes.
void help_typographic_quote(Diagnostic& diagnostic, std::string_view text, size_t start,
                            std::string_view quote) {
    Sink::help(diagnostic, std::string("'") + std::string(quote) + "' (bytes " + hex_bytes(quote) +
                               ") is a typographic quote: strings are written between straight "
                               "double quotes, \"...\"");
    size_t line_end = text.find('\n', start);
    if (line_end == std::string_view::npos) line_end = text.size();
    for (const char* close : {"\xE2\x80\x9D", "\xE2\x80\x9C"}) {
        size_t found = text.substr(0, line_end).find(close, start + quote.size());
        if (found == std::string_view::npos) continue;
        std::string_view inside = text.substr(start + quote.size(), found - start - quote.size());
        if (inside.find('"') != std::string_view::npos) return;
        diagnostic.fixes.push_back(Edit{start, found + 3, quoted(inside), false});
        return;
    }
}

// Help for an unknown byte from outside ASCII: which character it starts, and where.
void help_non_ascii(Diagnostic& diagnostic, std::string_view text, const LineTable& lines,
                    const std::vector<SourceToken>& tokens, const LexError& error) {
    std::string_view character = utf8_character(text, error.start);
    if (error.start == 0 && text.substr(0, 3) == "\xEF\xBB\xBF") {
        Sink::help(diagnostic,
                   "the file starts with a byte order mark (bytes EF BB BF): save it as UTF-8 "
                   "without one");
        diagnostic.fixes.push_back(Edit{0, 3, "", true});
        return;
    }
    if (character == "\xE2\x80\x9C" || character == "\xE2\x80\x9D" || character == "\xE2\x80\x98" ||
        character == "\xE2\x80\x99") {
        help_typographic_quote(diagnostic, text, error.start, character);
        return;
    }
    bool in_name = token_ending_at(tokens, error.start) < tokens.size() &&
                   tokens[token_ending_at(tokens, error.start)].type == TOKEN_IDENTIFIER;
    size_t after = token_starting_at(tokens, error.end);
    in_name = in_name || (after < tokens.size() && tokens[after].type == TOKEN_IDENTIFIER);
    std::string where = "byte 0x" + hex_bytes(text.substr(error.start, 1)) + " at line " +
                        std::to_string(lines.line(error.start)) + ", column " +
                        std::to_string(lines.column(error.start));
    std::string what = character.size() > 1 ? " starts '" + std::string(character) + "' (bytes " +
                                                  hex_bytes(character) + "), which is not ASCII"
                                            : " is not ASCII text";
    Sink::help(diagnostic, where + what +
                               (in_name ? ": a name is made of ASCII letters, digits and '_'"
                                        : ": outside strings and comments, only ASCII is read"));
}

// Help for one-byte operators of other languages: "~=", "^", "%", ":" and ".".
void help_unknown_operator(Diagnostic& diagnostic, std::string_view text,
                           const std::vector<SourceToken>& tokens, const LexError& error) {
    char byte = text[error.start];
    size_t before = token_ending_at(tokens, error.start);
    for (size_t gap = error.start; before == tokens.size() && gap > 0 && text[gap - 1] == ' ';) {
        before = token_ending_at(tokens, --gap);
    }
    size_t after = error.end;
    while (after < text.size() && text[after] == ' ') after++;
    size_t next = token_starting_at(tokens, after);
    auto word = [&](size_t index) {
        return std::string(
            text.substr(tokens[index].start, tokens[index].end - tokens[index].start));
    };
    bool operands = before < tokens.size() && next < tokens.size();
    if (byte == '~' && error.end - error.start == 1 && text.substr(error.end, 1) == "=") {
        Sink::help(diagnostic, "there is no '~=': 'not equal' is written '!='");
        diagnostic.fixes.push_back(Edit{error.start, error.end + 1, "!=", true});
    } else if (byte == '^') {
        std::string left = operands ? word(before) : "x";
        Sink::help(diagnostic,
                   "there is no '^': to square, multiply, '" + left + " * " + left + "'");
        if (operands &&
            text.substr(tokens[next].start, tokens[next].end - tokens[next].start) == "2" &&
            (tokens[before].type == TOKEN_IDENTIFIER || tokens[before].type == TOKEN_NUMBER)) {
            diagnostic.fixes.push_back(
                Edit{tokens[before].start, tokens[next].end, left + " * " + left, false});
        }
    } else if (byte == '%') {
        std::string left = operands ? word(before) : "a";
        std::string right = operands ? word(next) : "b";
        Sink::help(diagnostic, "there is no '%': for whole numbers, 'var r = " + left +
                                   "; while (r > " + right + " - 1) { r = r - " + right +
                                   "; }' leaves the remainder in r");
    } else if (byte == '\'') {
        Sink::help(diagnostic, "strings are written in double quotes: \"text\"");
        std::string_view inside = text.substr(error.start + 1, error.end - error.start - 2);
        if (error.end - error.start >= 2 && text[error.end - 1] == '\'' &&
            inside.find('"') == std::string_view::npos) {
            diagnostic.fixes.push_back(Edit{error.start, error.end, quoted(inside), false});
        }
    } else if (byte == ':') {
        Sink::help(diagnostic, "a block is not opened with ':': it goes in braces, '{ ... }'");
    } else if (byte == '.' && operands && tokens[before].type == TOKEN_IDENTIFIER) {
        Sink::help(diagnostic, "there are no objects or methods: output is 'print(...);'");
    }
}

// The string that most likely lost its closing quote: the first one that runs past its line.
size_t runaway_string(std::string_view text, const std::vector<SourceToken>& tokens) {
    for (size_t i = 0; i + 1 < tokens.size(); i++) {
        const SourceToken& token = tokens[i];
        if (token.type == TOKEN_STRING &&
            text.substr(token.start, token.end - token.start).find('\n') !=
                std::string_view::npos) {
            return i;
        }
    }
    return tokens.size();
}

// The lexical errors, each with help for the habit or the bytes behind it.
void report_lexical(const std::vector<LexError>& errors, std::string_view text,
                    const LineTable& lines, const std::vector<SourceToken>& tokens,
                    std::vector<Diagnostic>& diagnostics) {
    for (const LexError& error : errors) {
        if (error.status == SCAN_UNTERMINATED_STRING) {
            Diagnostic& diagnostic = add_at_offset(diagnostics, lines, Code::unterminated_string,
                                                   {}, error.start, error.end);
            size_t runaway = runaway_string(text, tokens);
            if (runaway < tokens.size()) {
                const SourceToken& quote = tokens[runaway];
                diagnostic.notes.push_back(Note{false, quote.line, quote.column, quote.column + 1,
                                                "this string runs past the end of its line"});
                Sink::help(diagnostic,
                           "close it with '\"' on its own line; a '\"' inside a "
                           "string is written '\\\"'");
            } else {
                Sink::help(diagnostic,
                           "close it with '\"'; a '\"' inside a string is written '\\\"'");
            }
            continue;
        }
        char byte = text[error.start];
        Diagnostic& diagnostic = add_at_offset(diagnostics, lines, Code::unknown_character,
                                               std::string_view(&byte, 1), error.start, error.end);
        if (static_cast<unsigned char>(byte) >= 0x80) {
            help_non_ascii(diagnostic, text, lines, tokens, error);
        } else {
            help_unknown_operator(diagnostic, text, tokens, error);
        }
    }
}

// A comment holding a carriage return that is not part of a line end: editors show the rest of
// that line as a line of code, but the run reads it as comment.
void report_hidden_code(std::string_view text, const Source& source, const LineTable& lines,
                        std::vector<Diagnostic>& diagnostics) {
    const std::vector<SourceToken>& tokens = source.tokens;
    size_t from = 0;
    for (size_t i = 0; i <= tokens.size(); i++) {
        size_t to = i < tokens.size() ? tokens[i].start : text.size();
        for (size_t hash = text.find('#', from); hash < to; hash = text.find('#', hash)) {
            size_t end = std::min(text.find('\n', hash), to);
            size_t carriage_return = text.substr(0, end).find('\r', hash);
            if (carriage_return != std::string_view::npos) {
                size_t code = carriage_return + 1;
                while (code < end && is_space(text[code])) code++;
                if (code < end) {
                    Diagnostic& diagnostic =
                        add_at_offset(diagnostics, lines, Code::carriage_return_in_comment, {},
                                      carriage_return, carriage_return + 1);
                    Sink::help(diagnostic,
                               "the run reads '" + std::string(text.substr(code, end - code)) +
                                   "' as part of the comment: save the file with newline (LF) "
                                   "line endings");
                }
            }
            if (end >= to) break;
            hash = end;
        }
        if (i < tokens.size()) from = tokens[i].end;
    }
}

// The header directive's pitfalls, and carriage returns where newlines were meant.
void report_layout(std::string_view text, const Source& source, const LineTable& lines,
                   std::vector<Diagnostic>& diagnostics) {
    std::string script(text);
    Directive directive = read_directive(script.c_str());
    if (directive.found && directive.cut && directive.option_end < directive.cut_end) {
        size_t code = directive.option_end + 1;
        while (code < directive.cut_end && is_space(text[code])) code++;
        if (code < directive.cut_end && text[code] != '#') {
            size_t end = directive.cut_end;
            while (end > code && is_space(text[end - 1])) end--;
            Diagnostic& diagnostic =
                add_at_offset(diagnostics, lines, Code::directive_cuts_code, {}, code, end);
            Sink::help(diagnostic, "move the code to the next line");
            diagnostic.fixes.push_back(Edit{code, code, "\n", false});
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
            add_at_offset(diagnostics, lines, Code::directive_not_first_line, {}, at, at + 3);
        Sink::help(diagnostic, "move it to line 1, for example '#sg<nel>'");
    }
    size_t carriage_return = text.find('\r');
    if (carriage_return == std::string_view::npos) return;
    if (first_line_end != std::string_view::npos) {
        report_hidden_code(text, source, lines, diagnostics);
        return;
    }
    size_t hash = text.find('#');
    if (hash != std::string_view::npos && text.find('\r', hash) != std::string_view::npos) {
        Diagnostic& diagnostic =
            add_at_offset(diagnostics, lines, Code::carriage_returns_only, {}, hash, hash + 1);
        Sink::help(diagnostic, "save the file with newline (LF) line endings");
    }
}

}  // namespace

// What follows an unclosed string is part of it, and an unknown byte stands for something left
// out: syntax errors there would only echo the lexical error.
bool Sink::echoes_lexing(size_t token) {
    // After a string that ran past its line, quotes pair up wrongly: all that follows is echo.
    bool cut_off =
        source.lexing_stopped && (token + 1 == source.tokens.size() || token > source.runaway);
    if (!cut_off && !(syntax && source.after_junk[token])) return false;
    scratch = Diagnostic{};
    return true;
}

Diagnostic& Sink::at(size_t token, Code code, std::string_view subject) {
    if (echoes_lexing(token)) return scratch;
    const SourceToken& place = source.tokens[token];
    if (place.type == TOKEN_EOF && token > 0) {
        Diagnostic& diagnostic = after(token, code, subject);
        return diagnostic;
    }
    int32_t end_column = place.end_line == place.line && place.end_column > place.column
                             ? place.end_column
                             : place.column + 1;
    diagnostics.push_back(Diagnostic{info(code).severity,
                                     place.line,
                                     place.column,
                                     end_column,
                                     info(code).name,
                                     code_message(code, subject),
                                     {},
                                     {}});
    return diagnostics.back();
}

Diagnostic& Sink::after(size_t token, Code code, std::string_view subject) {
    if (echoes_lexing(token)) return scratch;
    if (token == 0) return at(0, code, subject);
    const SourceToken& before = source.tokens[token - 1];
    diagnostics.push_back(Diagnostic{info(code).severity,
                                     before.end_line,
                                     before.end_column,
                                     before.end_column + 1,
                                     info(code).name,
                                     code_message(code, subject),
                                     {},
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

void Sink::fix(Diagnostic& diagnostic, size_t start, size_t end, std::string replacement,
               bool certain) {
    diagnostic.fixes.push_back(Edit{start, end, std::move(replacement), certain});
}

std::vector<SourceToken> lex_source(std::string_view text) {
    return lex(text, false, nullptr);
}

std::vector<Diagnostic> check(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<LexError> lexical;
    Source source{text, lex(text, true, &lexical), {}, {}, false, 0};
    source.lexing_stopped = !lexical.empty() && lexical.back().status == SCAN_UNTERMINATED_STRING;
    source.runaway = source.lexing_stopped ? runaway_string(text, source.tokens) : 0;
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
    LineTable lines(text);

    std::vector<Diagnostic> diagnostics;
    report_lexical(lexical, text, lines, source.tokens, diagnostics);
    Sink sink{source, diagnostics, {}};
    size_t count = source.tokens.size() - 1;
    if (count >= MAX_TOKENS) {
        Diagnostic& diagnostic = sink.at(MAX_TOKENS - 1, Code::too_many_tokens);
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
