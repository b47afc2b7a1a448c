// Where the passes put what they find: diagnostics placed by token (Sink) or by byte offset
// (add_at_offset), with their notes, help lines and fixes; and what is not reported because it
// would only echo a lexical error.
#include <string>
#include <utility>

#include "lines.h"
#include "rules.h"

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

// At the token's bytes; the end token's place is just after the token before it.
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

// Just after the token before `token`, where a missing token belongs.
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

// A note pointing at the token's bytes.
void Sink::note(Diagnostic& diagnostic, size_t token, std::string message) {
    const SourceToken& place = source.tokens[token];
    int32_t end_column = place.end_line == place.line && place.end_column > place.column
                             ? place.end_column
                             : place.column + 1;
    diagnostic.notes.push_back(
        Note{false, place.line, place.column, end_column, std::move(message)});
}

// A help line: no place, only what to do.
void Sink::help(Diagnostic& diagnostic, std::string message) {
    diagnostic.notes.push_back(Note{true, 0, 0, 0, std::move(message)});
}

// An alternative fix: the bytes [start, end) as written become `replacement`.
void Sink::fix(Diagnostic& diagnostic, size_t start, size_t end, std::string replacement,
               bool certain) {
    diagnostic.fixes.push_back(Edit{start, end, std::move(replacement), certain});
}
