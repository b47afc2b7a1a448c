// What the playground calls besides main: the checker's diagnostics, the tokens and the
// formatted script as JSON, and where a stopped run stood. Each result is a malloc'd
// string the page frees.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>

#include "check.h"
#include "embed.h"
#include "format.h"
#include "keep.h"
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

// The script laid out by azuvel-fmt: {"ok": true, "text": ..., "kept": [...]}, where "kept"
// lists the statements left as written for an error ("2-3: left as written, for an error there:
// Expected expression"), or {"ok": false, "message": ..., "line": ..., "column": ...} when the
// whole script is left as it is (line 0: no place).
EMSCRIPTEN_KEEPALIVE char* azuvel_format_json(const char* text) {
    FormatResult result = format_checked(text);
    nlohmann::json kept = nlohmann::json::array();
    for (const KeptLines& lines : result.kept) kept.push_back(kept_note(lines));
    nlohmann::json out = result.ok ? nlohmann::json{{"ok", true},
                                                    {"text", result.text},
                                                    {"kept", std::move(kept)}}
                                   : nlohmann::json{{"ok", false},
                                                    {"message", result.message},
                                                    {"line", result.line},
                                                    {"column", result.column}};
    return to_c_string(out.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

// Where the run that just ended with an error stopped, in the text it ran: {"line", "column"},
// 1-based, from the interpreter's cursor.
EMSCRIPTEN_KEEPALIVE char* azuvel_stop_json(const char* text) {
    RunStop stop = last_stop(text);
    return to_c_string(nlohmann::json{{"line", stop.line}, {"column", stop.column}}.dump());
}

}  // extern "C"
