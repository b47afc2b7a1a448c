// The language features: each turns a document and a request's parameters into the
// response's result, as JSON values of the protocol. (Not features.h: the C library has one.)
#pragma once

#include <nlohmann/json.hpp>
#include <string>

#include "document.h"

using nlohmann::json;

// What every feature needs to know about the session.
struct Context {
    Encoding encoding = Encoding::utf16;
    bool snippets = false;  // the client expands completion snippets
};

// A protocol integer. A float is clamped first, since casting one out of range is undefined;
// any other type throws nlohmann's type_error, which the server answers as invalid params.
int64_t to_integer(const json& value);

// A Position object: {"line": L, "character": C}.
Position to_position(const json& value);

// Diagnostics published for one document at most: the first ones in text order.
inline constexpr size_t MAX_PUBLISHED = 1000;

// The params of textDocument/publishDiagnostics: the checker's diagnostics, up to MAX_PUBLISHED.
json publish_diagnostics(const std::string& uri, const Document& document, const Context& context);

json hover(const Document& document, Position position, const Context& context);
json definition(const std::string& uri, const Document& document, Position position,
                const Context& context);
json references(const std::string& uri, const Document& document, Position position,
                bool include_declaration, const Context& context);
json document_highlight(const Document& document, Position position, const Context& context);
json document_symbols(const Document& document, const Context& context);
json completion(const Document& document, Position position, const Context& context);

// Quick fixes for the diagnostics the client sends back with the request.
json code_actions(const std::string& uri, const Document& document, const json& diagnostics,
                  const Context& context);
