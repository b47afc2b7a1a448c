// What the playground calls besides main: the checker's diagnostics, the tokens and the
// formatted script as JSON, and where a stopped run's cursor stood. Each result is a malloc'd
// string the page frees.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include <nlohmann/json.hpp>

#include "check.h"
#include "format.h"
#include "interpreter.h"
#include "render.h"

static char* to_c_string(const std::string& text) {
    char* result = static_cast<char*>(std::malloc(text.size() + 1));
    if (result != nullptr) std::memcpy(result, text.c_str(), text.size() + 1);
    return result;
}

extern "C" {

// The diagnostics as azuvel-check --format=json writes them, with no file name.
EMSCRIPTEN_KEEPALIVE char* azuvel_check_json(const char* text) {
    return to_c_string(render_json({FileReport{"", check(text)}}));
}

// Each token as [type, start, end, line, column]: byte offsets and place in the text as written.
EMSCRIPTEN_KEEPALIVE char* azuvel_tokens_json(const char* text) {
    std::string out = "[";
    for (const SourceToken& token : lex_source(text)) {
        if (out.size() > 1) out += ',';
        out += '[' + std::to_string(token.type) + ',' + std::to_string(token.start) + ',' +
               std::to_string(token.end) + ',' + std::to_string(token.line) + ',' +
               std::to_string(token.column) + ']';
    }
    out += ']';
    return to_c_string(out);
}

// The script laid out by azuvel-fmt: {"ok": true, "text": ...}, or {"ok": false, "message": ...,
// "line": ..., "column": ...} when it is left as it is (line 0: no place).
EMSCRIPTEN_KEEPALIVE char* azuvel_format_json(const char* text) {
    FormatResult result = format_script(text);
    nlohmann::json out = result.ok ? nlohmann::json{{"ok", true}, {"text", result.text}}
                                   : nlohmann::json{{"ok", false},
                                                    {"message", result.message},
                                                    {"line", result.line},
                                                    {"column", result.column}};
    return to_c_string(out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// The token index the statement cursor stood on when the run stopped.
EMSCRIPTEN_KEEPALIVE int32_t azuvel_cursor() {
    return current_token;
}

}  // extern "C"
