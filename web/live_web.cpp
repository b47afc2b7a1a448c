// What the playground's live values call: one bounded live run (live/), compiled into the
// debugger's module, which has the interpreter built with the statement hook.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "live.h"

extern "C" {

// A live run of the text within `max_steps` and `max_milliseconds`, as live_json gives it; a
// malloc'd string the page frees.
EMSCRIPTEN_KEEPALIVE char* azuvel_live_json(const char* text, int32_t max_steps,
                                            int32_t max_milliseconds) {
    LiveLimits limits;
    limits.max_steps = max_steps;
    limits.max_milliseconds = max_milliseconds;
    std::string out = live_json(live_run(text, limits));
    char* copy = static_cast<char*>(std::malloc(out.size() + 1));
    if (copy != nullptr) std::memcpy(copy, out.c_str(), out.size() + 1);
    return copy;
}

}  // extern "C"
