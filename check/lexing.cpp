// The checker's own lexing: the header directive cut as the run cuts it, every token scanned by
// the shared scanner, and each placed by byte offset, line and column in the text as written.
#include "lexing.h"

#include <string>

#include "directive.h"
#include "lines.h"

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

// Every token of the script, scanning stopped at the first lexical error.
std::vector<SourceToken> lex_source(std::string_view text) {
    return lex(text, false, nullptr);
}
