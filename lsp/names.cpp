// Variables and loops from the token list alone, so that a script with syntax errors still
// gets names, hovers and jumps.
#include "names.h"

#include <algorithm>

std::string_view token_text(std::string_view text, const SourceToken& token) {
    if (token.start >= text.size()) return {};
    return text.substr(token.start, std::min(token.end, text.size()) - token.start);
}

// Names, keywords and literals: the tokens a cursor can rest on the end of.
static bool is_word(const SourceToken& token) {
    return token.type != TOKEN_EOF && token.type <= TOKEN_RETURN;
}

size_t token_at(const std::vector<SourceToken>& tokens, size_t offset) {
    auto after = std::upper_bound(tokens.begin(), tokens.end(), offset,
                                  [](size_t at, const SourceToken& t) { return at < t.start; });
    size_t index = static_cast<size_t>(after - tokens.begin());
    bool inside =
        index > 0 && offset < tokens[index - 1].end && tokens[index - 1].type != TOKEN_EOF;
    if (inside && (tokens[index - 1].start < offset || index < 2)) return index - 1;
    // A cursor right after a word is on the word, as editors place it after typing one.
    for (size_t i = index; i-- > 0 && i + 2 >= index;) {
        if (tokens[i].end == offset && is_word(tokens[i])) return i;
    }
    return inside ? index - 1 : NO_TOKEN;
}

bool is_declaration(const std::vector<SourceToken>& tokens, size_t index) {
    return index > 0 && tokens[index].type == TOKEN_IDENTIFIER &&
           tokens[index - 1].type == TOKEN_VAR;
}

bool is_write(const std::vector<SourceToken>& tokens, size_t index) {
    if (is_declaration(tokens, index)) return true;
    return tokens[index].type == TOKEN_IDENTIFIER && index + 1 < tokens.size() &&
           tokens[index + 1].type == TOKEN_ASSIGN;
}

std::vector<Variable> list_variables(std::string_view text,
                                     const std::vector<SourceToken>& tokens) {
    std::vector<Variable> variables;
    for (size_t i = 0; i < tokens.size(); i++) {
        if (!is_declaration(tokens, i)) continue;
        std::string_view name = token_text(text, tokens[i]);
        auto known = std::find_if(variables.begin(), variables.end(),
                                  [&](const Variable& v) { return v.name == name; });
        if (known != variables.end()) {
            known->declarations++;
            continue;
        }
        size_t end = i + 1;
        while (end < tokens.size() && tokens[end].type != TOKEN_EOF &&
               tokens[end].type != TOKEN_SEMICOLON && tokens[end].type != TOKEN_VAR &&
               tokens[end].type != TOKEN_RBRACE)
            end++;
        if (end < tokens.size() && tokens[end].type == TOKEN_SEMICOLON) end++;
        bool string_at_first = i + 2 < tokens.size() && tokens[i + 1].type == TOKEN_ASSIGN &&
                               tokens[i + 2].type == TOKEN_STRING;
        variables.push_back(Variable{std::string(name), i, end, 1, string_at_first});
    }
    return variables;
}

std::vector<size_t> find_uses(std::string_view text, const std::vector<SourceToken>& tokens,
                              std::string_view name) {
    std::vector<size_t> uses;
    for (size_t i = 0; i < tokens.size(); i++) {
        if (tokens[i].type == TOKEN_IDENTIFIER && token_text(text, tokens[i]) == name) {
            uses.push_back(i);
        }
    }
    return uses;
}

// The `while` owning the block that opens at `brace`: `while ( ... ) {`.
static size_t loop_of_block(const std::vector<SourceToken>& tokens, size_t brace) {
    if (brace == 0 || tokens[brace - 1].type != TOKEN_RPAREN) return NO_TOKEN;
    int depth = 0;
    for (size_t i = brace - 1;; i--) {
        if (tokens[i].type == TOKEN_RPAREN) depth++;
        if (tokens[i].type == TOKEN_LPAREN && --depth == 0) {
            return i > 0 && tokens[i - 1].type == TOKEN_WHILE ? i - 1 : NO_TOKEN;
        }
        if (tokens[i].type == TOKEN_LBRACE || tokens[i].type == TOKEN_RBRACE ||
            tokens[i].type == TOKEN_SEMICOLON || i == 0)
            return NO_TOKEN;
    }
}

size_t outermost_loop(const std::vector<SourceToken>& tokens, size_t index) {
    // The owner of every open block on the way to `index`, outermost first.
    std::vector<size_t> open;
    for (size_t i = 0; i < index && i < tokens.size(); i++) {
        if (tokens[i].type == TOKEN_LBRACE) open.push_back(loop_of_block(tokens, i));
        if (tokens[i].type == TOKEN_RBRACE && !open.empty()) open.pop_back();
    }
    for (size_t owner : open) {
        if (owner != NO_TOKEN) return owner;
    }
    return NO_TOKEN;
}
