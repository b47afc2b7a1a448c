// A protocol message as JSON text: the one way both servers put JSON on the wire.
#pragma once

#include <nlohmann/json.hpp>
#include <string>

// The message as compact JSON. Script text and printed bytes need not be UTF-8 (a message such
// as "Unknown character: \xff" carries one): such bytes become U+FFFD instead of failing the
// whole message.
std::string json_text(const nlohmann::json& message);
