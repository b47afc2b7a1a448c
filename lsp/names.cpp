// Variables and loops from the source model's tokens and tables, so that a script with syntax
// errors still gets names, hovers and jumps. Only the tokens a run reads count: those before
// the first lexical error.
#include "names.h"

#include <algorithm>

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

// A token the run reads: before the end token of the document's tokens.
static bool is_read(const Document& document, size_t index) {
    return index + 1 < document.tokens.size();
}

bool is_declaration(const Document& document, size_t index) {
    return is_read(document, index) && declares(document.model, index);
}

size_t declaration_of(const Document& document, size_t index) {
    if (!is_read(document, index)) return NO_TOKEN;
    int32_t declaration = document.model.declaration[index];
    if (declaration < 0 || !is_read(document, static_cast<size_t>(declaration))) return NO_TOKEN;
    return static_cast<size_t>(declaration);
}

bool is_write(const Document& document, size_t index) {
    const std::vector<SourceToken>& tokens = document.tokens;
    if (is_declaration(document, index)) return true;
    return tokens[index].type == TOKEN_IDENTIFIER && index + 1 < tokens.size() &&
           tokens[index + 1].type == TOKEN_ASSIGN;
}

std::vector<Variable> list_variables(const Document& document) {
    const std::vector<SourceToken>& tokens = document.tokens;
    std::vector<Variable> variables;
    for (size_t i = 0; i < tokens.size(); i++) {
        if (!is_declaration(document, i)) continue;
        size_t first = declaration_of(document, i);
        if (first != i) {
            for (Variable& variable : variables) {
                if (variable.first == first) variable.declarations++;
            }
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
        variables.push_back(Variable{std::string(token_text(document.text, tokens[i])), i, end, 1,
                                     string_at_first});
    }
    return variables;
}

std::vector<size_t> find_uses(const Document& document, std::string_view name) {
    std::vector<size_t> uses;
    for (size_t i = 0; i < document.tokens.size(); i++) {
        if (document.tokens[i].type == TOKEN_IDENTIFIER &&
            token_text(document.text, document.tokens[i]) == name) {
            uses.push_back(i);
        }
    }
    return uses;
}

size_t outermost_loop(const Document& document, size_t index) {
    if (!is_read(document, index)) return NO_TOKEN;
    size_t outermost = NO_TOKEN;
    for (int32_t head = document.model.enclosing[index]; head >= 0;
         head = document.model.enclosing[head]) {
        if (document.model.tokens[head].type == TOKEN_WHILE) outermost = static_cast<size_t>(head);
    }
    return outermost;
}
