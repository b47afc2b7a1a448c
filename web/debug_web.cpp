// What the playground's debugger calls: azuvel-dap's engine, compiled to WebAssembly, records a
// run statement by statement for the page to move through.
#include <emscripten/emscripten.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "record.h"

extern "C" {

// The run recorded as record_run gives it, up to `limit` steps; a malloc'd string the page
// frees.
EMSCRIPTEN_KEEPALIVE char* azuvel_debug_record(const char* text, int32_t limit) {
    std::string out = record_run(text, limit);
    char* copy = static_cast<char*>(std::malloc(out.size() + 1));
    if (copy != nullptr) std::memcpy(copy, out.c_str(), out.size() + 1);
    return copy;
}

}  // extern "C"
