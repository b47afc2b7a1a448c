// The source model of a script: one lexing through the shared scanner, and the tables the
// checker, the formatter, the language server and the debugger read from it.
#include "source_model.h"

#include <cstdio>
#include <unordered_map>

#include "blocks.h"
#include "messages.h"

namespace {

// The text a run lexes: the script without the header directive when it is cut, and the way
// back from an offset there to the text as written.
struct CutText {
    std::string cleaned;
    size_t cut_start = 0, cut_length = 0;

    size_t as_written(size_t offset) const {
        return cut_length > 0 && offset >= cut_start ? offset + cut_length : offset;
    }
};

// The cleaned copy, as the run makes it before lexing.
CutText cut_directive(std::string_view text, const Directive& directive) {
    CutText cut{std::string(text)};
    if (directive.cut) {
        cut.cut_start = directive.start;
        cut.cut_length = directive.cut_end - directive.start;
        cut.cleaned.erase(cut.cut_start, cut.cut_length);
    }
    return cut;
}

// Records an unknown byte: one error for a run of them.
void add_unknown(std::vector<LexicalError>& errors, size_t start, size_t end, int32_t token,
                 char byte) {
    if (!errors.empty() && errors.back().status == SCAN_UNKNOWN_CHARACTER &&
        errors.back().end == start) {
        errors.back().end = end;
        return;
    }
    errors.push_back(LexicalError{SCAN_UNKNOWN_CHARACTER, start, end, token, byte, 0, 0, 0});
}

// Every token and lexical error, by offsets as written. An unknown byte is recorded and
// scanning goes on after it, so one bad byte hides nothing else; a string in single quotes is
// one error for all of it, and no words from inside.
void scan_tokens(const CutText& cut, SourceModel& model) {
    const std::string& cleaned = cut.cleaned;
    size_t pos = 0;
    int32_t line = 1;
    for (;;) {
        Scan scan = scan_token(cleaned.c_str(), pos, line);
        line = scan.line;
        size_t start = cut.as_written(scan.start);
        auto next_token = static_cast<int32_t>(model.tokens.size());
        if (scan.status == SCAN_UNKNOWN_CHARACTER) {
            if (cleaned[scan.start] == '\'') {
                size_t close = cleaned.find_first_of("'\n", scan.end);
                if (close != std::string::npos && cleaned[close] == '\'') scan.end = close + 1;
            }
            add_unknown(model.errors, start, cut.as_written(scan.end), next_token,
                        cleaned[scan.start]);
            pos = scan.end;
            continue;
        }
        if (scan.status == SCAN_UNTERMINATED_STRING) {
            model.errors.push_back(
                LexicalError{SCAN_UNTERMINATED_STRING, start, start + 1, next_token, '"', 0, 0, 0});
        }
        size_t end = scan.status == SCAN_TOKEN ? cut.as_written(scan.end) : start;
        TokenType type = scan.status == SCAN_TOKEN ? scan.type : TOKEN_EOF;
        model.tokens.push_back(SourceToken{type, start, end, 0, 0, 0, 0});
        if (scan.status != SCAN_TOKEN) return;
        pos = scan.end;
    }
}

// Lines, byte columns and UTF-16 columns of offsets that never decrease, found by walking.
struct PlaceWalker {
    std::string_view text;
    LineWalker lines;
    size_t line_start = 0;
    size_t at = 0;  // the walk along the line: offset and the UTF-16 units before it
    int32_t units = 0;

    void place(size_t offset, int32_t* line, int32_t* column, int32_t* utf16_column) {
        lines.place(offset, line, column);
        size_t start = lines.lines.starts[lines.at];
        if (start != line_start || offset < at) {
            line_start = start;
            at = start;
            units = 0;
        }
        while (at < offset) {
            size_t length = utf8_length(text, at);
            units += utf16_units(length);
            at += length;
        }
        *utf16_column = units + 1;
    }
};

// The line and columns of every token's start and end, and of every error.
void place_tokens(std::string_view text, SourceModel& model) {
    PlaceWalker at_start{text, LineWalker{model.lines}}, at_end{text, LineWalker{model.lines}};
    for (SourceToken& token : model.tokens) {
        at_start.place(token.start, &token.line, &token.column, &token.utf16_column);
        at_end.place(token.end, &token.end_line, &token.end_column, &token.utf16_end_column);
    }
    PlaceWalker at_error{text, LineWalker{model.lines}};
    for (LexicalError& error : model.errors) {
        at_error.place(error.start, &error.line, &error.column, &error.utf16_column);
    }
}

// The run lexes until its first lexical error, and holds at most MAX_TOKENS - 1 tokens before
// the end token: whichever comes first stops it.
LexingStop find_run_stop(const SourceModel& model) {
    auto count = static_cast<int32_t>(model.tokens.size()) - 1;
    int32_t before = model.errors.empty() ? count : model.errors.front().token;
    if (before >= MAX_TOKENS) {
        return LexingStop{true, MAX_TOKENS - 1, model.tokens[MAX_TOKENS - 1].start,
                          MESSAGE_TOO_MANY_TOKENS};
    }
    if (model.errors.empty()) return LexingStop{false, count, 0, ""};
    const LexicalError& first = model.errors.front();
    return LexingStop{true, first.token, first.start, lexical_message(first)};
}

// Parentheses as the run pairs them (blocks.h), each way.
void find_parenthesis_pairs(SourceModel& model) {
    std::vector<int32_t> open(model.tokens.size());
    pair_parentheses(model.tokens, static_cast<int32_t>(model.tokens.size()), open.data(),
                     [&model](int32_t opening, int32_t closing) {
                         model.paren_pair[opening] = closing;
                         model.paren_pair[closing] = opening;
                     });
}

// Braces as the run pairs them (blocks.h), with each "}" pointing back at its "{".
void pair_blocks(SourceModel& model) {
    auto count = static_cast<int32_t>(model.tokens.size());
    std::vector<int32_t> open(model.tokens.size());
    pair_braces(model.tokens, count, model.block_pair.data(), open.data());
    for (int32_t i = 0; i < count; i++) {
        if (model.tokens[i].type == TOKEN_LBRACE && model.block_pair[i] >= 0) {
            model.block_pair[model.block_pair[i]] = i;
        }
    }
}

// The if or while whose condition's ")" stands just before the "{" at `brace`, or -1; notes
// that condition's parentheses.
int32_t head_of_block(SourceModel& model, int32_t brace) {
    if (brace < 1 || model.tokens[brace - 1].type != TOKEN_RPAREN) return -1;
    int32_t paren = model.paren_pair[brace - 1];
    if (paren < 1) return -1;
    TokenType head = model.tokens[paren - 1].type;
    if (head != TOKEN_IF && head != TOKEN_WHILE) return -1;
    model.condition_open[paren - 1] = paren;
    model.condition_close[paren - 1] = brace - 1;
    return paren - 1;
}

// The if and while blocks around each token, walking the braces as the run pairs them: a
// block's "}" is inside it, and a block never closed holds everything to the end.
void find_condition_blocks(SourceModel& model) {
    std::vector<int32_t> innermost;  // per open block: the innermost if or while head, or -1
    for (size_t i = 0; i < model.tokens.size(); i++) {
        auto index = static_cast<int32_t>(i);
        int32_t around = innermost.empty() ? -1 : innermost.back();
        model.enclosing[i] = around;
        model.depth[i] = around < 0 ? 0 : model.depth[around] + 1;
        TokenType type = model.tokens[i].type;
        if (type == TOKEN_LBRACE) {
            int32_t head = head_of_block(model, index);
            innermost.push_back(head >= 0 ? head : around);
        } else if (type == TOKEN_RBRACE && !innermost.empty()) {
            innermost.pop_back();
        }
    }
}

// A statement can begin at the first token and after one that ends a statement; never at a
// "}" or the end.
void find_statement_starts(SourceModel& model) {
    for (size_t i = 0; i < model.tokens.size(); i++) {
        TokenType type = model.tokens[i].type;
        bool after_end = i == 0 || ends_statement(model.tokens[i - 1].type);
        model.statement_start[i] = after_end && type != TOKEN_RBRACE && type != TOKEN_EOF;
    }
}

// A name means the first `var` of its spelling, in text order: a `var` at a statement start
// followed by the name. The run's store finds the earliest entry of a name, and a name declared
// twice keeps its first entry.
void find_declarations(std::string_view text, SourceModel& model) {
    std::unordered_map<std::string_view, int32_t> first;
    const std::vector<SourceToken>& tokens = model.tokens;
    for (size_t i = 1; i < tokens.size(); i++) {
        if (declares(model, i)) first.emplace(token_text(text, tokens[i]), static_cast<int32_t>(i));
    }
    for (size_t i = 0; i < tokens.size(); i++) {
        if (tokens[i].type != TOKEN_IDENTIFIER) continue;
        auto found = first.find(token_text(text, tokens[i]));
        if (found != first.end()) model.declaration[i] = found->second;
    }
}

}  // namespace

std::string lexical_message(const LexicalError& error) {
    if (error.status == SCAN_UNTERMINATED_STRING) return MESSAGE_UNTERMINATED_STRING;
    char message[64];
    std::snprintf(message, sizeof message, MESSAGE_UNKNOWN_CHARACTER, error.byte);
    return message;
}

SourceModel model_source(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    SourceModel model;
    std::string script(text);
    model.directive = read_directive(script.c_str());
    model.lines = LineTable(text);
    scan_tokens(cut_directive(text, model.directive), model);
    place_tokens(text, model);
    model.run_stop = find_run_stop(model);
    size_t count = model.tokens.size();
    model.paren_pair.assign(count, -1);
    model.block_pair.assign(count, -1);
    model.enclosing.assign(count, -1);
    model.depth.assign(count, 0);
    model.condition_open.assign(count, -1);
    model.condition_close.assign(count, -1);
    model.statement_start.assign(count, false);
    model.declaration.assign(count, -1);
    find_parenthesis_pairs(model);
    pair_blocks(model);
    find_condition_blocks(model);
    find_statement_starts(model);
    find_declarations(text, model);
    return model;
}

std::vector<SourceToken> tokens_before_error(const SourceModel& model) {
    if (model.errors.empty()) return model.tokens;
    const LexicalError& first = model.errors.front();
    std::vector<SourceToken> tokens(model.tokens.begin(), model.tokens.begin() + first.token);
    tokens.push_back(SourceToken{TOKEN_EOF, first.start, first.start, first.line, first.column,
                                 first.line, first.column, first.utf16_column, first.utf16_column});
    return tokens;
}

int32_t raising_statement(const SourceModel& model, int32_t last_begun, int32_t cursor) {
    if (last_begun < 0 || cursor >= last_begun) return last_begun;
    for (int32_t head = model.enclosing[last_begun]; head >= 0; head = model.enclosing[head]) {
        if (head <= cursor) return head;
    }
    return last_begun;
}
