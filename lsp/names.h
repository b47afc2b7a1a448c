// What the source model says about a script's variables, as the language server shows them:
// declarations, uses and loops.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "document.h"

inline constexpr size_t NO_TOKEN = static_cast<size_t>(-1);

// One variable: its first declaration is the entry every use refers to.
struct Variable {
    std::string name;
    size_t first;          // the name token of its first `var`
    size_t statement_end;  // the token after that `var` statement (its ';' included)
    int declarations;      // how many `var`s declare it
    bool string_at_first;  // the first `var` takes a string literal
};

// The token under a byte offset (a cursor just after a word still counts as on it), or NO_TOKEN.
size_t token_at(const std::vector<SourceToken>& tokens, size_t offset);

// The name token of a `var`.
bool is_declaration(const Document& document, size_t index);

// The name token of the `var` a name means, or NO_TOKEN.
size_t declaration_of(const Document& document, size_t index);

// A name being written: declared or the target of `=`.
bool is_write(const Document& document, size_t index);

// Every declared variable, in the order of its first declaration.
std::vector<Variable> list_variables(const Document& document);

// The identifier tokens spelling `name`.
std::vector<size_t> find_uses(const Document& document, std::string_view name);

// The `while` token of the outermost loop whose block holds token `index`, or NO_TOKEN.
size_t outermost_loop(const Document& document, size_t index);
