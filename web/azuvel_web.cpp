// What the playground calls besides main: the checker's diagnostics and the tokens as JSON, and
// where a stopped run's cursor stood. Each result is a malloc'd string the page frees.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "check.h"
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

// The token index the statement cursor stood on when the run stopped.
EMSCRIPTEN_KEEPALIVE int32_t azuvel_cursor() {
    return current_token;
}

}  // extern "C"
