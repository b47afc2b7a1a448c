// Which lines formatting leaves as written, from the checker's diagnostics and the source
// model's statement starts, blocks and brace pairs.
#include "keep.h"

#include <algorithm>
#include <string>

#include "check.h"
#include "source_model.h"

namespace {

// Why a part is kept: "error: Expected expression".
std::string reason(const Diagnostic& diagnostic) {
    return (diagnostic.severity == Severity::error ? "error: " : "warning: ") + diagnostic.message;
}

// Whether a diagnostic leaves its statement to the layout: one about a value (an undefined name,
// a division by zero), whose help names what to change and quotes no layout, and the notes on
// the header directive and carriage returns, which stand in comments and the first line, which
// the layout keeps where they are.
bool formatted_all_the_same(const Diagnostic& diagnostic) {
    static const Code notes[] = {Code::directive_cuts_code, Code::directive_not_first_line,
                                 Code::carriage_returns_only, Code::carriage_return_in_comment};
    for (Code code : notes) {
        if (diagnostic.code == info(code).name) return true;
    }
    for (const CodeInfo& code : code_table) {
        if (diagnostic.code == code.name) return code.stage == Stage::value;
    }
    return false;
}

// The first token at or after a place, or the end token.
size_t token_at(const std::vector<SourceToken>& tokens, int32_t line, int32_t column) {
    size_t index = 0;
    while (index + 1 < tokens.size() &&
           (tokens[index].line < line ||
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
    return KeptLines{first, last, reason(diagnostic)};
}

// The lines of an if's or while's header, from its keyword to its "{" (or its condition's end).
KeptLines header_lines(const SourceModel& model, size_t keyword, const std::string& why) {
    int32_t close = model.condition_close[keyword];
    size_t last = close >= 0 ? static_cast<size_t>(close) : keyword;
    if (last + 1 < model.tokens.size() && model.tokens[last + 1].type == TOKEN_LBRACE) last++;
    return KeptLines{model.tokens[keyword].line, model.tokens[last].end_line, why};
}

// The if's or while's header a statement's help may quote: the blocks it stands in, out to the
// innermost loop (a 'break' ends it), and the block closed just before it (an 'else' or 'elif'
// follows an if).
void add_headers(const SourceModel& model, size_t at, const std::string& why,
                 std::vector<KeptLines>& kept) {
    size_t start = at;
    while (start > 0 && !model.statement_start[start]) start--;
    // The innermost block, and on out to the innermost loop.
    for (int32_t block = model.enclosing[start]; block >= 0; block = model.enclosing[block]) {
        kept.push_back(header_lines(model, static_cast<size_t>(block), why));
        if (model.tokens[block].type == TOKEN_WHILE) break;
    }
    if (start > 0 && model.tokens[start - 1].type == TOKEN_RBRACE &&
        model.block_pair[start - 1] >= 0) {
        size_t open = static_cast<size_t>(model.block_pair[start - 1]);
        size_t keyword = open;
        while (keyword > 0 && !model.statement_start[keyword]) keyword--;
        TokenType type = model.tokens[keyword].type;
        if (type == TOKEN_IF || type == TOKEN_WHILE)
            kept.push_back(header_lines(model, keyword, why));
    }
}

}  // namespace

std::vector<KeptLines> lines_to_keep(std::string_view text) {
    SourceModel model = model_source(text);
    if (!model.errors.empty() || model.tokens.empty()) return {};
    std::vector<Diagnostic> diagnostics = check(text, model);
    std::vector<KeptLines> kept;
    // A brace the run leaves unpaired, or a "}" with no "{" open before it.
    bool unpaired = false;
    int32_t open = 0;
    for (size_t i = 0; i < model.tokens.size(); i++) {
        TokenType type = model.tokens[i].type;
        if ((type == TOKEN_LBRACE || type == TOKEN_RBRACE) && model.block_pair[i] < 0)
            unpaired = true;
        open += type == TOKEN_LBRACE ? 1 : type == TOKEN_RBRACE ? -1 : 0;
        if (open < 0) unpaired = true;
    }
    if (open != 0) unpaired = true;
    for (const Diagnostic& diagnostic : diagnostics) {
        if (formatted_all_the_same(diagnostic)) continue;
        size_t at = token_at(model.tokens, diagnostic.line, diagnostic.column);
        TokenType type = model.tokens[at].type;
        bool at_brace = type == TOKEN_LBRACE || type == TOKEN_RBRACE;  // "closes no block"
        if ((unpaired || at_brace) && diagnostic.severity == Severity::error) {
            int32_t lines = static_cast<int32_t>(std::count(text.begin(), text.end(), '\n'));
            if (!text.empty() && text.back() != '\n') lines++;
            return {KeptLines{1, lines, reason(diagnostic)}};
        }
        // A warning's help quotes its statement as written too (on one line, or in general
        // terms when it spans lines), so warnings keep their statements as errors do.
        kept.push_back(statement_lines(model, diagnostic));
        // A fix may span several statements ('for (...; ...; ...)'): its lines too.
        for (const Edit& fix : diagnostic.fixes) {
            kept.push_back(KeptLines{model.lines.line(fix.start),
                                     model.lines.line(fix.end > fix.start ? fix.end - 1 : fix.end),
                                     reason(diagnostic)});
        }
        add_headers(model, at, reason(diagnostic), kept);
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
    std::vector<KeptLines> kept = lines_to_keep(text);
    // Every token kept: not even the indent of the first line or the end changes.
    std::vector<SourceToken> tokens = model_source(text).tokens;
    bool all = !kept.empty() &&
               std::all_of(tokens.begin(), tokens.end() - 1, [&kept](const SourceToken& token) {
                   return keeps_lines(kept, token.line, token.end_line);
               });
    if (all) return FormatResult{true, std::string(text), {}, {}, 0, 0, std::move(kept)};
    return format_script(text, with_edits, std::move(kept));
}

std::string kept_note(const KeptLines& lines) {
    std::string where = std::to_string(lines.first);
    if (lines.last != lines.first) {
        where += '-';
        where += std::to_string(lines.last);
    }
    where += ": left as written, for the checker's ";
    where += lines.reason;
    return where;
}
