// Which lines formatting leaves as written, from the checker's errors and the source model's
// statement starts and brace pairs.
#include "keep.h"

#include <algorithm>
#include <string>

#include "check.h"
#include "source_model.h"

namespace {

// The first token at or after a place, or the end token.
size_t token_at(const std::vector<SourceToken>& tokens, int32_t line, int32_t column) {
    size_t index = 0;
    while (index + 1 < tokens.size() && (tokens[index].line < line ||
                                         (tokens[index].line == line && tokens[index].column < column)))
        index++;
    return index;
}

// The lines of the statement around a diagnostic's place: back to the statement start at or
// before it, on to the token before the next statement start. A place after the last token of
// its line (a missing ';') belongs to the statement of that token, and the next line is taken
// too, so the two are never joined.
KeptLines statement_lines(const SourceModel& model, const Diagnostic& diagnostic) {
    const std::vector<SourceToken>& tokens = model.tokens;
    size_t end = tokens.size() - 1;  // the end token
    size_t at = token_at(tokens, diagnostic.line, diagnostic.column);
    size_t low = at;
    if (low > 0 && (at == end || tokens[at].line > diagnostic.line)) low--;
    while (low > 0 && !model.statement_start[low]) low--;
    size_t high = std::max(at, low);
    if (high == end && high > 0) high--;
    while (high + 1 < end && !model.statement_start[high + 1] &&
           tokens[high + 1].type != TOKEN_RBRACE)
        high++;
    int32_t first = std::min(tokens[low].line, diagnostic.line);
    int32_t last = std::max(tokens[high].end_line, diagnostic.line);
    if (at != end) last = std::max(last, tokens[at].end_line);
    return KeptLines{first, last, diagnostic.message};
}

}  // namespace

std::vector<KeptLines> lines_to_keep(std::string_view text) {
    SourceModel model = model_source(text);
    if (!model.errors.empty() || model.tokens.empty()) return {};
    std::vector<Diagnostic> diagnostics = check(text, model);
    std::vector<KeptLines> kept;
    bool unpaired = false;
    for (size_t i = 0; i < model.tokens.size(); i++) {
        TokenType type = model.tokens[i].type;
        if ((type == TOKEN_LBRACE || type == TOKEN_RBRACE) && model.block_pair[i] < 0)
            unpaired = true;
    }
    for (const Diagnostic& diagnostic : diagnostics) {
        if (diagnostic.severity != Severity::error) continue;
        if (unpaired) {
            int32_t lines = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
            if (text.back() != '\n') lines++;
            return {KeptLines{1, lines, diagnostic.message}};
        }
        kept.push_back(statement_lines(model, diagnostic));
    }
    std::sort(kept.begin(), kept.end(),
              [](const KeptLines& a, const KeptLines& b) { return a.first < b.first; });
    // Overlapping parts become one, with the first one's reason.
    std::vector<KeptLines> merged;
    for (KeptLines& lines : kept) {
        if (!merged.empty() && lines.first <= merged.back().last) {
            merged.back().last = std::max(merged.back().last, lines.last);
        } else {
            merged.push_back(std::move(lines));
        }
    }
    return merged;
}

FormatResult format_checked(std::string_view text, bool with_edits) {
    return format_script(text, with_edits, lines_to_keep(text));
}

std::string kept_note(const KeptLines& lines) {
    std::string where = std::to_string(lines.first);
    if (lines.last != lines.first) {
        where += '-';
        where += std::to_string(lines.last);
    }
    where += ": left as written, for an error there: ";
    where += lines.reason;
    return where;
}
