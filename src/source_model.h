// The source model: everything the tools read from a script's text, computed once per text and
// held as plain data. The tokens with their places, the lines, the parenthesis and brace pairs,
// the if and while blocks around each token, where statements can begin, and which `var` each
// name means. Built on the one-token scanner, so the tools see the tokens a run sees; a pure
// function of the text: no global state, never exits, never throws.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "directive.h"
#include "lines.h"
#include "scan.h"
#include "token.h"

// A token where it stands in the text as written (the text before the header directive is
// cut). Lines count every newline, including those inside string literals.
struct SourceToken {
    TokenType type;
    size_t start, end;             // bytes as written; a string's include its quotes
    int32_t line, column;          // of `start`, 1-based, bytes
    int32_t end_line, end_column;  // of `end`
    int32_t utf16_column = 0;      // of `start` on its line, 1-based, in UTF-16 code units
    int32_t utf16_end_column = 0;  // of `end` on its line
};

// A lexical error: a run of unknown bytes (a string in single quotes counts as one run), or a
// string that is never closed, after which nothing more is scanned.
struct LexicalError {
    ScanStatus status;  // SCAN_UNKNOWN_CHARACTER or SCAN_UNTERMINATED_STRING
    size_t start, end;  // as written; an unterminated string's is its opening quote
    int32_t token;      // the first token after it (the end token, for an unterminated string)
    char byte;          // the first unknown byte
    int32_t line, column, utf16_column;  // of `start`, 1-based, as a token's
};

// Where the run's lexer stops, which stops at the first lexical error or the first token past
// its capacity; nothing runs then.
struct LexingStop {
    bool stops;
    int32_t token;        // the tokens the run holds when it stops: tokens[0, token)
    size_t offset;        // where, as written
    std::string message;  // the run's words: "Unknown character: @", "Too many tokens", ...
};

struct SourceModel {
    Directive directive;  // the header directive, read from the text as written
    LineTable lines;      // lines as the run counts them: after "\n" only
    // Every token that scans, ending with the end token. Scanning goes on past unknown bytes,
    // and stops at a string that is never closed (the end token then stands at its quote).
    std::vector<SourceToken> tokens;
    std::vector<LexicalError> errors;  // in text order
    LexingStop run_stop;
    // Per token, as many entries as tokens. Parentheses pair within a statement: a ";" or "{"
    // leaves every "(" still open unpaired.
    std::vector<int32_t> paren_pair;       // "(" its ")", ")" its "(", or -1
    std::vector<int32_t> block_pair;       // "{" its "}", "}" its "{", or -1: as the run pairs them
    std::vector<int32_t> enclosing;        // the innermost if or while whose block holds it, or -1
    std::vector<int32_t> depth;            // how many if and while blocks hold it
    std::vector<int32_t> condition_open;   // for an if or while: its condition's "(", else -1
    std::vector<int32_t> condition_close;  // and its ")"
    std::vector<bool> statement_start;     // a statement can begin at this token
    std::vector<int32_t> declaration;      // a name: the name token of the `var` it means, or -1
};

// The model of a script; the text ends at its first NUL byte, as it does for a run.
SourceModel model_source(std::string_view text);

// The tokens a run reads before its first lexical error, then the end token at the error.
std::vector<SourceToken> tokens_before_error(const SourceModel& model);

// A token's bytes as written.
inline std::string_view token_text(std::string_view text, const SourceToken& token) {
    if (token.start >= text.size()) return {};
    return text.substr(token.start, std::min(token.end, text.size()) - token.start);
}

// A statement ends with these: the token after one can begin the next statement.
inline bool ends_statement(TokenType type) {
    return type == TOKEN_SEMICOLON || type == TOKEN_LBRACE || type == TOKEN_RBRACE;
}

// The keywords that begin a statement wherever they stand: a reader that lost its way in a
// broken statement takes up again at one.
inline bool is_statement_keyword(TokenType type) {
    return type == TOKEN_PRINT || type == TOKEN_VAR || type == TOKEN_IF || type == TOKEN_WHILE;
}

// Whether a token is the name a `var` declares: a name after a `var` that begins a statement.
inline bool declares(const SourceModel& model, size_t index) {
    return index > 0 && index < model.tokens.size() &&
           model.tokens[index].type == TOKEN_IDENTIFIER &&
           model.tokens[index - 1].type == TOKEN_VAR && model.statement_start[index - 1];
}

// The run's message for a lexical error.
std::string lexical_message(const LexicalError& error);

// The statement that raised a run's error, from the first token of the last statement the run
// began and where its cursor stopped: that statement, unless the cursor stands before it, in the
// condition of a loop around it that was tested again.
int32_t raising_statement(const SourceModel& model, int32_t last_begun, int32_t cursor);
