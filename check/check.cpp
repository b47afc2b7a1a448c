// The checker's driver: lexes the whole script, reports its lexical errors and layout pitfalls,
// then runs the syntax pass and the name rules over the tokens, and sorts what they found into
// text order. The codes it reports, with their severities and messages, are the table in codes.h.
#include "check.h"

#include <algorithm>
#include <string>

#include "blocks.h"
#include "layout.h"
#include "lexical.h"
#include "lexing.h"
#include "lines.h"
#include "rules.h"
#include "scan.h"

// All diagnostics of a script, in text order: every pass over one lexing.
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
