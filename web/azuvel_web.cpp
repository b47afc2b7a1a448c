// What the playground calls besides main: the checker's diagnostics and the tokens as JSON, and
// where a stopped run's cursor stood. Each result is a malloc'd string the page frees.
#include <emscripten/emscripten.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
#include "interpreter.h"

// Messages quote script bytes, which need not be UTF-8: they pass through, and the page decodes
// them with replacement characters.
static void append_json_string(std::string& out, const std::string& text) {
    out += '"';
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    out += '"';
}

static void append_place(std::string& out, int32_t line, int32_t column, int32_t end_column) {
    out += "\"line\":" + std::to_string(line) + ",\"column\":" + std::to_string(column) +
           ",\"end_column\":" + std::to_string(end_column);
}

static char* to_c_string(const std::string& text) {
    char* result = static_cast<char*>(std::malloc(text.size() + 1));
    if (result != nullptr) std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}

extern "C" {

EMSCRIPTEN_KEEPALIVE char* azuvel_check_json(const char* text) {
    std::string out = "[";
    for (const Diagnostic& diagnostic : check(text)) {
        if (out.size() > 1) out += ',';
        out += "{\"severity\":";
        out += diagnostic.severity == Severity::error ? "\"error\"," : "\"warning\",";
        append_place(out, diagnostic.line, diagnostic.column, diagnostic.end_column);
        out += ",\"code\":";
        append_json_string(out, diagnostic.code);
        out += ",\"message\":";
        append_json_string(out, diagnostic.message);
        out += ",\"notes\":[";
        for (size_t i = 0; i < diagnostic.notes.size(); i++) {
            const Note& note = diagnostic.notes[i];
            out += i > 0 ? ",{" : "{";
            out += note.help ? "\"help\":true," : "\"help\":false,";
            append_place(out, note.line, note.column, note.end_column);
            out += ",\"message\":";
            append_json_string(out, note.message);
            out += '}';
        }
        out += "]}";
    }
    out += ']';
    return to_c_string(out);
}

// Each token as [type, line, column, end_line, end_column] in the text as written.
EMSCRIPTEN_KEEPALIVE char* azuvel_tokens_json(const char* text) {
    std::string out = "[";
    for (const SourceToken& token : lex_source(text)) {
        if (out.size() > 1) out += ',';
        out += '[' + std::to_string(token.type) + ',' + std::to_string(token.line) + ',' +
               std::to_string(token.column) + ',' + std::to_string(token.end_line) + ',' +
               std::to_string(token.end_column) + ']';
    }
    out += ']';
    return to_c_string(out);
}

// The token index the statement cursor stood on when the run stopped.
EMSCRIPTEN_KEEPALIVE int32_t azuvel_cursor() { return current_token; }

}  // extern "C"
