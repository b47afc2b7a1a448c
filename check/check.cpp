// The checker's rules.
#include "check.h"

#include <algorithm>
#include <string>

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

}  // namespace

std::vector<SourceToken> lex_source(std::string_view text) {
    std::string script(text.substr(0, text.find('\0')));
    Directive directive = read_directive(script.c_str());
    size_t cut = directive.cut ? directive.cut_end - directive.start : 0;
    std::string cleaned = script;
    if (cut > 0) cleaned.erase(directive.start, cut);
    LineMap lines(script);
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
        size_t end = scan.status == SCAN_TOKEN ? as_written(scan.end) : start;
        TokenType type = scan.status == SCAN_TOKEN ? scan.type : TOKEN_EOF;
        result.push_back(SourceToken{type, start, end, lines.line(start), lines.column(start),
                                     lines.line(end), lines.column(end)});
        if (scan.status != SCAN_TOKEN) break;
        pos = scan.end;
    }
    return result;
}

std::vector<Diagnostic> check(std::string_view text) {
    std::vector<Diagnostic> diagnostics;
    (void)lex_source(text);
    return diagnostics;
}
