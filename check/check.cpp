// The checker's driver: reads the script through the source model, reports its lexical errors and
// layout pitfalls, then runs the syntax pass and the name rules over the tokens, and sorts what
// they found into text order. The codes it reports, with their severities and messages, are the
// table in codes.h.
#include "check.h"

#include <algorithm>
#include <string>

#include "layout.h"
#include "lexical.h"
#include "rules.h"

// Every token of the script, scanning stopped at the first lexical error.
std::vector<SourceToken> lex_source(std::string_view text) {
    return tokens_before_error(model_source(text));
}

// All diagnostics of a script, in text order.
std::vector<Diagnostic> check(std::string_view text) {
    return check(text, model_source(text));
}

// Every pass over the one lexing of the model.
std::vector<Diagnostic> check(std::string_view text, const SourceModel& model) {
    text = text.substr(0, text.find('\0'));
    const std::vector<LexicalError>& lexical = model.errors;
    Source source{text, model, model.tokens, model.block_pair, {}, false, 0};
    source.lexing_stopped = !lexical.empty() && lexical.back().status == SCAN_UNTERMINATED_STRING;
    source.runaway = source.lexing_stopped ? runaway_string(text, source.tokens) : 0;
    source.after_junk.assign(source.tokens.size(), false);
    for (const LexicalError& error : lexical) {
        if (error.status == SCAN_UNKNOWN_CHARACTER) source.after_junk[error.token] = true;
    }
    const LineTable& lines = model.lines;

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
