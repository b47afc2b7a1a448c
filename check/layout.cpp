// Layout warnings: code cut off by the header directive, a directive after the first line, and
// carriage returns that hide code in a comment or stand where newlines were meant.
#include "layout.h"

#include <algorithm>
#include <string>

#include "directive.h"

namespace {

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

}  // namespace

// The header directive's pitfalls, and carriage returns where newlines were meant.
void report_layout(std::string_view text, const Source& source, const LineTable& lines,
                   std::vector<Diagnostic>& diagnostics) {
    const Directive& directive = source.model.directive;
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
